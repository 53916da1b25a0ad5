// The built program under faults an administrator of a shared machine would
// try: names taken by links, FIFOs and folders, a full disk, a file-size
// limit, SIGKILL at any moment, two runs at once, a reader that went away.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <tuple>

#include "support/process.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::run_shell;
using testing::shell_quoted;
using testing::TempFolder;

const std::string program = "Valcorvina_IC 318";
const std::vector<std::string> six_files{"Valcorvina_IC 318.dat",
                                         "Valcorvina_IC 318.sim",
                                         "Valcorvina_IC 318_note.txt",
                                         "Valcorvina_IC 318_rallentamenti.txt",
                                         "Valcorvina_IC 318_scheda_treno.txt",
                                         "Valcorvina_linea.dat"};

// A folder holding a copy of the program.
struct ProgramFolder {
    TempFolder folder;
    std::string path = folder.file(program);
    ProgramFolder() { fs::copy_file(PROGRAM_PATH, path); }
    std::string file(const std::string& name) const { return folder.file(name); }
    testing::Run run(const std::string& before = "") const {
        return run_shell(before + "cd / && timeout 60 " + shell_quoted(path));
    }
    pid_t start() const {
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(path.c_str(), program.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return child;
    }
    // Every name but the program's, hidden ones and folders included.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder.path())) names.push_back(e.path().filename().string());
        std::erase(names, program);
        std::sort(names.begin(), names.end());
        return names;
    }
};

const ProgramFolder& reference() {
    static const ProgramFolder* folder = [] {
        auto* f = new ProgramFolder;
        EXPECT_EQ(f->run().status, 0);
        return f;
    }();
    return *folder;
}

// The outputs that are not byte for byte those of an undisturbed run.
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
    using Put = std::function<void(const std::string& name, const std::string& outside)>;
    const Put link = [](auto& name, auto& outside) { fs::create_symlink(outside, name); };
    const Put dangling = [](auto& name, auto& outside) {
        fs::remove(outside);
        fs::create_symlink(outside, name);
    };
    const Put fifo = [](auto& name, auto&) { ::mkfifo(name.c_str(), 0600); };
    const Put folder = [](auto& name, auto&) { fs::create_directory(name); };
    const std::tuple<std::string, Put, std::string> cases[] = {
        // name, what holds it, the fatal report's reason (none: the run goes on)
        {"Valcorvina_IC 318.sim", link, ""},
        {"Valcorvina_linea.txt", link, ""},
        {"Valcorvina_IC 318.dat", dangling, ""},
        {"Valcorvina_IC 318-.txt", dangling, ""},
        {"Valcorvina_linea.dat", fifo, "cannot replace (is not a regular file)"},
        {"Valcorvina_IC 318_note.txt", folder, "cannot replace (is a folder)"},
    };
    for (const auto& [name, put, refusal] : cases) {
        SCOPED_TRACE(name);
        const ProgramFolder run;
        const TempFolder elsewhere;
        const std::string outside = elsewhere.file("owned by another");
        testing::write_file(outside, "kept");
        put(run.file(name), outside);
        const bool outside_exists = fs::exists(outside);
        const testing::Run r = run.run();
        if (refusal.empty()) {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(run.entries(), six_files);
            EXPECT_EQ(not_whole(run), std::vector<std::string>{});
        } else {
            EXPECT_EQ(r.status, 2);
            EXPECT_EQ(r.err, program + ": run-time error: " + refusal + " '" + run.file(name) + "'\n");
        }
        EXPECT_EQ(fs::exists(outside) ? read_file(outside) : "", outside_exists ? "kept" : "");
    }
}

// After a good run, a second one that fails half-way through the plan
// geometry: the earlier files stay whole. The small disk is mounted in a
// mount namespace of the run's own, where the files are compared.
TEST(ProgramUnderFaults, AFailedRunLeavesTheEarlierFilesWhole) {
    const bool can_mount = run_shell("unshare --mount sh -c 'mount -t tmpfs none /mnt'").status == 0;
    const ProgramFolder run;
    const std::string room = std::to_string(fs::file_size(PROGRAM_PATH) + 6600000);
    struct Case {
        std::string wrap;   // the shell, in a mount namespace of its own or not
        std::string setup;  // before the good run
        std::string limit;  // before the failing run
        const char* reason;
    };
    const Case cases[] = {
        {"sh -c", "", "ulimit -f 2048; ", "File too large"},
        {"unshare --mount sh -c",
         "mount -t tmpfs -o size=" + room + " none " + shell_quoted(run.folder.path()) + " && cp " +
             shell_quoted(PROGRAM_PATH) + " " + shell_quoted(run.path) + " && ",
         "", "No space left on device"},
    };
    for (const auto& [wrap, setup, limit, reason] : cases) {
        if (wrap != "sh -c" && !can_mount) {
            std::cout << "skipped a full disk: cannot mount a small file system here (needs root and unshare)\n";
            continue;
        }
        std::string script = setup + "cd / && " + shell_quoted(run.path) + " >/dev/null && " + limit +
                             shell_quoted(run.path) + " >/dev/null; echo $?; ls -A " + shell_quoted(run.folder.path()) +
                             "; ";
        for (const std::string& name : six_files) {
            script += "cmp -s " + shell_quoted(run.file(name)) + " " + shell_quoted(reference().file(name)) +
                      " || echo not whole: " + shell_quoted(name) + "; ";
        }
        const testing::Run r = run_shell(wrap + " " + shell_quoted(script));
        std::string listing = "2\n" + program + "\n";
        for (const std::string& name : six_files) listing += name + "\n";
        EXPECT_EQ(r.out, listing) << wrap;
        EXPECT_EQ(r.err, program + ": run-time error: cannot write (" + reason + ") '" +
                             run.file("Valcorvina_linea.dat") + "'\n");
    }
}

// After a good run, a later write of the second run fails: the descriptions
// that run wrote are gone with it, the files it kept are as they were.
TEST(ProgramUnderFaults, AFailedWriteLeavesNoDescriptionBehind) {
    using Put = std::function<void(const std::string& name)>;
    const Put folder = [](auto& name) { fs::create_directory(name); };
    const Put fifo = [](auto& name) { ::mkfifo(name.c_str(), 0600); };
    const std::tuple<std::string, Put, std::string> cases[] = {
        // the name taken, by what, the fatal report's reason
        {"Valcorvina_IC 318-.txt", folder, "cannot replace (is a folder)"},
        {"Valcorvina_IC 318_note.txt", fifo, "cannot replace (is not a regular file)"},
        {"Valcorvina_IC 318_rallentamenti.txt", folder, "cannot replace (is a folder)"},
        {"Valcorvina_IC 318_scheda_treno.txt", fifo, "cannot replace (is not a regular file)"},
    };
    for (const auto& [name, put, reason] : cases) {
        SCOPED_TRACE(name);
        const ProgramFolder run;
        ASSERT_EQ(run.run().status, 0);
        fs::remove(run.file(name));
        put(run.file(name));
        const testing::Run r = run.run();
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, program + ": run-time error: " + reason + " '" + run.file(name) + "'\n");
        std::vector<std::string> left = six_files;
        std::erase(left, name);
        left.push_back(name);
        std::sort(left.begin(), left.end());
        EXPECT_EQ(run.entries(), left);
        std::vector<std::string> replaced;
        if (std::find(six_files.begin(), six_files.end(), name) != six_files.end()) replaced.push_back(name);
        EXPECT_EQ(not_whole(run), replaced);
    }
}

// A run removes what killed runs left of its own eight files' temporary
// files, and nothing else that merely looks like one.
TEST(ProgramUnderFaults, ARunSweepsOnlyTheTemporaryFilesOfItsOwnFiles) {
    const std::pair<std::string, bool> cases[] = {
        // the name, removed
        {".Valcorvina_linea.txt.Ab3dE9.partial", true},
        {".Valcorvina_IC 318-.txt.xY7zQ1.partial", true},
        {".Valcorvina_IC 318_note.txt.000000.partial", true},
        {".Valcorvina_IC 318_rallentamenti.txt.zzzzzz.partial", true},
        {".Valcorvina_IC 318_scheda_treno.txt.Q1w2E3.partial", true},
        {".Valcorvina_linea.dat.AAAAAA.partial", true},
        {".Valcorvina_IC 318.sim.a1B2c3.partial", true},
        {".Valcorvina_IC 318.dat.ZZ99zz.partial", true},
        {".myown.ABCDEF.partial", false},
        {".notes.txt.QWERTY.partial", false},
        {".x.partial", false},
        {".Valcorvina_IC 318.Ab3dE9.partial", false},
        {".Valcorvina_IC 319.sim.Ab3dE9.partial", false},
        {".Valcorvina_IC 318.dat.Ab3dE.partial", false},
        {".Valcorvina_IC 318.dat.Ab3dE9.partial~", false},
    };
    const ProgramFolder run;
    std::vector<std::string> left = six_files;
    for (const auto& [name, removed] : cases) {
        testing::write_file(run.file(name), "partial");
        if (!removed) left.push_back(name);
    }
    const std::string folder_alike = ".Valcorvina_IC 318.sim.Folder.partial";
    fs::create_directory(run.file(folder_alike));
    testing::write_file(run.file(folder_alike + "/inside"), "kept");
    left.push_back(folder_alike);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(run.run().status, 0);
    EXPECT_EQ(run.entries(), left);
    EXPECT_EQ(read_file(run.file(folder_alike + "/inside")), "kept");
}

// Every close the run makes fails in turn (strace injects EIO). A file whose
// close failed is never put in place: the earlier file stays, no temporary
// file or description is left, and the report names the file.
TEST(ProgramUnderFaults, AFailedCloseKeepsTheEarlierFile) {
    if (run_shell("strace -qq -o /dev/null true").status != 0) {
        GTEST_SKIP() << "needs strace, allowed to trace here, to make a close fail";
    }
    const ProgramFolder run;
    const auto earlier = [&run] {
        for (const std::string& name : six_files) testing::write_file(run.file(name), "earlier " + name);
    };
    const std::string traced = "cd / && strace -qq -e trace=close ";
    const TempFolder log;
    earlier();
    run_shell(traced + "-o " + shell_quoted(log.file("closes")) + " " + shell_quoted(run.path));
    const std::string calls = read_file(log.file("closes"));
    const auto closes = std::count(calls.begin(), calls.end(), '\n');
    ASSERT_GT(closes, 8) << calls;
    const std::string report = program + ": run-time error: cannot close after writing (Input/output error) '";
    std::set<std::string> failed;
    for (long n = 1; n <= closes; ++n) {
        SCOPED_TRACE("close " + std::to_string(n));
        earlier();
        const testing::Run r = run_shell(traced + "-o /dev/null -e inject=close:error=EIO:when=" + std::to_string(n) +
                                         " " + shell_quoted(run.path));
        EXPECT_EQ(run.entries(), six_files);
        if (r.status == 0) {
            EXPECT_EQ(not_whole(run), std::vector<std::string>{});
            continue;
        }
        if (r.status == 127) {
            // A dynamically linked build (the sanitizers') whose loader gave
            // up on the failed close before the run began.
            EXPECT_NE(r.err.find("error while loading shared libraries"), std::string::npos) << r.err;
            for (const std::string& kept : six_files) EXPECT_EQ(read_file(run.file(kept)), "earlier " + kept);
            continue;
        }
        ASSERT_EQ(r.status, 2) << r.err;
        ASSERT_EQ(r.err.substr(0, report.size()), report);
        const std::string name = fs::path(r.err.substr(report.size(), r.err.size() - report.size() - 2)).filename();
        EXPECT_EQ(r.err, report + run.file(name) + "'\n");
        failed.insert(name);
        for (const std::string& kept : six_files) {
            const std::string bytes = read_file(run.file(kept));
            const bool earlier_file = bytes == "earlier " + kept;
            if (kept == name) {
                EXPECT_TRUE(earlier_file) << kept << " was replaced although its close failed";
            } else {
                EXPECT_TRUE(earlier_file || bytes == read_file(reference().file(kept)))
                    << kept << " is neither the earlier file nor the new one whole";
            }
        }
    }
    std::set<std::string> written(six_files.begin(), six_files.end());
    written.insert({"Valcorvina_linea.txt", "Valcorvina_IC 318-.txt"});
    EXPECT_EQ(failed, written);
}

TEST(ProgramUnderFaults, KilledAtAnyMomentEveryOutputIsStillWhole) {
    const ProgramFolder run;
    ASSERT_EQ(run.run().status, 0);
    std::mt19937 random(12345);
    for (int attempt = 0; attempt < 40; ++attempt) {
        const pid_t child = run.start();
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 15000)(random));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ASSERT_EQ(not_whole(run), std::vector<std::string>{}) << "attempt " << attempt;
    }
    // The next run removes whatever a killed one left.
    ASSERT_EQ(run.run().status, 0);
    EXPECT_EQ(run.entries(), six_files);
}

TEST(ProgramUnderFaults, TwoRunsAtOnceGiveTheFilesOfOne) {
    const ProgramFolder run;
    for (int pair = 0; pair < 10; ++pair) {
        const pid_t children[] = {run.start(), run.start()};
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
    const testing::Run r = run_shell("( sleep 0.2; cd / && " + shell_quoted(run.path) + "; echo $? >&2 ) | true");
    EXPECT_EQ(r.err, "0\n");
    EXPECT_EQ(run.entries(), six_files);
}

}  // namespace
}  // namespace scenario
