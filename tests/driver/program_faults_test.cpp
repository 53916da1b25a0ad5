// The built program under faults an administrator of a shared machine would
// try: names taken by links, FIFOs and folders, a full disk, a file-size
// limit, SIGKILL at any moment, two runs at once, a reader that went away.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <random>

#include "support/process.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::run_shell;
using testing::shell_quoted;
using testing::TempFolder;
using testing::write_file;

const std::string program_name = "Valcorvina_IC 318";
const std::vector<std::string> six_files{"Valcorvina_IC 318.dat",
                                         "Valcorvina_IC 318.sim",
                                         "Valcorvina_IC 318_note.txt",
                                         "Valcorvina_IC 318_rallentamenti.txt",
                                         "Valcorvina_IC 318_scheda_treno.txt",
                                         "Valcorvina_linea.dat"};

// A folder holding a copy of the program.
struct ProgramFolder {
    TempFolder folder;
    std::string program = folder.file(program_name);
    ProgramFolder() { fs::copy_file(PROGRAM_PATH, program); }
    std::string file(const std::string& name) const { return folder.file(name); }
    testing::Run run(const std::string& before = "") const {
        return run_shell(before + "cd / && timeout 60 " + shell_quoted(program));
    }
    // Every name in the folder, hidden ones and folders included, but the program.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder.path())) {
            if (e.path().filename() != program_name) names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

// The six files of an undisturbed run.
const ProgramFolder& reference() {
    static const ProgramFolder* folder = [] {
        auto* f = new ProgramFolder;
        EXPECT_EQ(f->run().status, 0);
        return f;
    }();
    return *folder;
}

// The names whose file is not byte for byte the reference's.
std::vector<std::string> not_whole(const ProgramFolder& run) {
    std::vector<std::string> names;
    for (const std::string& name : six_files) {
        if (!fs::is_regular_file(fs::symlink_status(run.file(name))) ||
            read_file(run.file(name)) != read_file(reference().file(name))) {
            names.push_back(name);
        }
    }
    return names;
}

TEST(ProgramUnderFaults, AnOutputNameTakenByALinkAFifoOrAFolder) {
    struct Case {
        const char* held_by;
        std::string name;
        std::function<void(const std::string& name, const std::string& outside)> put;
        int status;
        std::string refusal;  // the fatal report after the path, for status 2
    };
    const auto link = [](const std::string& name, const std::string& outside) { fs::create_symlink(outside, name); };
    const auto dangling = [](const std::string& name, const std::string& outside) {
        fs::remove(outside);
        fs::create_symlink(outside, name);
    };
    const Case cases[] = {
        {"a link to a file elsewhere", "Valcorvina_IC 318.sim", link, 0, ""},
        {"a link to a file elsewhere", "Valcorvina_linea.txt", link, 0, ""},
        {"a dangling link", "Valcorvina_IC 318.dat", dangling, 0, ""},
        {"a dangling link", "Valcorvina_IC 318-.txt", dangling, 0, ""},
        {"a FIFO", "Valcorvina_linea.dat", [](auto& name, auto&) { ::mkfifo(name.c_str(), 0600); }, 2,
         "cannot replace (is not a regular file)"},
        {"a folder", "Valcorvina_IC 318_note.txt", [](auto& name, auto&) { fs::create_directory(name); }, 2,
         "cannot replace (is a folder)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " held by " + c.held_by);
        const ProgramFolder run;
        const TempFolder elsewhere;
        const std::string outside = elsewhere.file("owned by another");
        write_file(outside, "kept");
        c.put(run.file(c.name), outside);
        const bool outside_exists = fs::exists(outside);
        const testing::Run r = run.run();
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.status == 0) {
            EXPECT_EQ(run.entries(), six_files);
            EXPECT_EQ(not_whole(run), std::vector<std::string>{});
        } else {
            EXPECT_EQ(r.err, program_name + ": run-time error: " + c.refusal + " '" + run.file(c.name) + "'\n");
        }
        EXPECT_EQ(fs::exists(outside), outside_exists);
        if (outside_exists) {
            EXPECT_EQ(read_file(outside), "kept");
        }
    }
}

TEST(ProgramUnderFaults, AFailedRunLeavesTheEarlierFilesWhole) {
    const ProgramFolder run;
    ASSERT_EQ(run.run().status, 0);
    const testing::Run r = run.run("ulimit -f 2048; ");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, program_name + ": run-time error: cannot write (File too large) '" +
                         run.file("Valcorvina_linea.dat") + "'\n");
    EXPECT_EQ(not_whole(run), std::vector<std::string>{});
    EXPECT_EQ(run.entries(), six_files);
}

// The same on a small file system that a second run fills: it is mounted in a
// mount namespace of the run's own, where the check is made.
TEST(ProgramUnderFaults, AFullDiskLeavesTheEarlierFilesWhole) {
    if (run_shell("unshare --mount sh -c 'mount -t tmpfs none /mnt'").status != 0) {
        GTEST_SKIP() << "cannot mount a small file system here (needs root and unshare)";
    }
    const TempFolder mount_point;
    const std::string folder = mount_point.file("disk");
    const std::string program = folder + "/" + program_name;
    const auto room = fs::file_size(PROGRAM_PATH) + 4600000 + 2000000;
    std::string script = "mount -t tmpfs -o size=" + std::to_string(room) + " none " + shell_quoted(mount_point.path()) +
                         " && mkdir " + shell_quoted(folder) + " && cp " + shell_quoted(PROGRAM_PATH) + " " +
                         shell_quoted(program) + " && cd / && " + shell_quoted(program) + " >/dev/null && " +
                         shell_quoted(program) + " >/dev/null; echo status $?; ls -A " + shell_quoted(folder) + "; ";
    for (const std::string& name : six_files) {
        script += "cmp -s " + shell_quoted(folder + "/" + name) + " " + shell_quoted(reference().file(name)) +
                  " || echo not whole: " + shell_quoted(name) + "; ";
    }
    const testing::Run r = run_shell("unshare --mount sh -c " + shell_quoted(script));
    std::string listing = "status 2\n" + program_name + "\n";
    for (const std::string& name : six_files) listing += name + "\n";
    EXPECT_EQ(r.out, listing);
    EXPECT_EQ(r.err, program_name + ": run-time error: cannot write (No space left on device) '" + folder +
                         "/Valcorvina_linea.dat'\n");
}

TEST(ProgramUnderFaults, KilledAtAnyMomentEveryOutputIsStillWhole) {
    const ProgramFolder run;
    ASSERT_EQ(run.run().status, 0);
    std::mt19937 random(12345);
    for (int attempt = 0; attempt < 40; ++attempt) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::execl(run.program.c_str(), program_name.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 15000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_EQ(not_whole(run), std::vector<std::string>{}) << "killed after attempt " << attempt;
    }
    // The next run removes whatever a killed one left.
    ASSERT_EQ(run.run().status, 0);
    EXPECT_EQ(run.entries(), six_files);
}

TEST(ProgramUnderFaults, TwoRunsAtOnceGiveTheFilesOfOne) {
    const ProgramFolder run;
    for (int pair = 0; pair < 10; ++pair) {
        pid_t children[2];
        for (pid_t& child : children) {
            child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                ::execl(run.program.c_str(), program_name.c_str(), static_cast<char*>(nullptr));
                ::_exit(127);
            }
        }
        for (pid_t child : children) {
            int status = -1;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "pair " << pair;
        }
        ASSERT_EQ(run.entries(), six_files) << "pair " << pair;
        ASSERT_EQ(not_whole(run), std::vector<std::string>{}) << "pair " << pair;
    }
}

TEST(ProgramUnderFaults, AReaderOfTheOutputThatWentAwayDoesNotStopTheRun) {
    const ProgramFolder run;
    const testing::Run r = run_shell("( sleep 0.2; cd / && " + shell_quoted(run.program) + "; echo $? >&2 ) | true");
    EXPECT_EQ(r.err, "0\n");
    EXPECT_EQ(run.entries(), six_files);
}

}  // namespace
}  // namespace scenario
