// The built tool under faults: output on a full device, names in --out taken
// by something else than a file, interrupted compiles and what they leave.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <random>

#include "support/process.h"
#include "tool/authoring.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using testing::embedded_line;
using testing::embedded_train;
using testing::quoted;
using testing::read_file;
using testing::run_tool;
using testing::TempFolder;
using testing::write_file;

std::string sources(const std::string& title = "Valcorvina") {
    return "--line " + quoted(embedded_line()) + " --train " + quoted(embedded_train()) + " --title " + title +
           " --train-code 'IC 318'";
}

// Scratch folders the tool left in a folder.
std::vector<std::string> scratch_folders(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".scenario-tool-", 0) == 0) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ToolUnderFaults, EveryCommandReportsAFailedWriteOfItsOutput) {
    TempFolder out;
    ASSERT_EQ(run_tool("compile " + sources() + " --out .", out.path().string()).status, 0);
    // A full device of the test's own for --out, so that a tool that wrote
    // through it would only ever replace this one. Without the right to make
    // a device node, a FIFO stands in.
    const std::string device = out.file("full");
    if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 7)) != 0) ::mkfifo(device.c_str(), 0666);
    fs::create_directory(out.file("full_IC 318.sim"));
    const std::string no_space = "cannot write standard output (No space left on device)";
    const struct {
        std::string arguments;
        int status;
        std::string report;
    } cases[] = {
        {"compile " + sources() + " --out . >/dev/full", exit_status::cannot_write, no_space},
        {"compile " + sources() + " --out . --json >/dev/full", exit_status::cannot_write, no_space},
        {"dump 'Valcorvina_IC 318.sim' >/dev/full", exit_status::cannot_write,
         "cannot write the dump: No space left on device"},
        {"dump 'Valcorvina_IC 318.dat' --json >/dev/full", exit_status::cannot_write,
         "cannot write the dump: No space left on device"},
        // Without its one warning, check writes its summary to standard output.
        {"check " + sources() + " -W no-decimal-comma >/dev/full", exit_status::cannot_write, no_space},
        {"explain decimal-comma >/dev/full", exit_status::cannot_write, no_space},
        {"plot " + sources() + " --out plot.svg >/dev/full", exit_status::cannot_write, no_space},
        {"plot " + sources() + " --out - >/dev/full", exit_status::cannot_write, no_space},
        {"view " + sources() + " --out - >/dev/full", exit_status::cannot_write, no_space},
        // Refused before anything is drawn or compiled.
        {"plot " + sources() + " --out full", exit_status::cannot_create,
         "cannot replace (is not a regular file) 'full'"},
        {"compile " + sources("full") + " --out . --no-geometry", exit_status::cannot_create,
         "cannot replace (is a folder) './full_IC 318.sim'"},
    };
    for (const auto& c : cases) {
        // Standard output goes where the arguments send it.
        const scenario::testing::Run r = scenario::testing::run_shell("cd " + quoted(out.path().string()) + " && " +
                                                                      quoted(TOOL_PATH) + " " + c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments;
        EXPECT_EQ(testing::without_embedded_warning(r.err), "scenario-tool: " + c.report + "\n") << c.arguments;
    }
}

TEST(ToolUnderFaults, AnInterruptedCompileRemovesItsScratchFolderAndTheFoldersItMade) {
    TempFolder out;
    std::mt19937 random(2024);
    const std::vector<std::string> written{"Valcorvina_IC 318.dat", "Valcorvina_IC 318.sim", "Valcorvina_linea.dat"};
    for (int signal : {SIGINT, SIGTERM}) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            // Into folders the compile makes.
            const std::string made = out.file("new " + std::to_string(signal) + "-" + std::to_string(attempt));
            const std::string folder = made + "/deeper";
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                const std::string line = embedded_line();
                const std::string train = embedded_train();
                ::execl(TOOL_PATH, "scenario-tool", "compile", "--line", line.c_str(), "--train", train.c_str(),
                        "--title", "Valcorvina", "--train-code", "IC 318", "--out", folder.c_str(), "--json",
                        static_cast<char*>(nullptr));
                ::_exit(127);
            }
            ::usleep(std::uniform_int_distribution<useconds_t>(0, 60000)(random));
            ::kill(child, signal);
            int status = 0;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFSIGNALED(status) ? WTERMSIG(status) == signal : WEXITSTATUS(status) == 0);
            // Either nothing is left, or the files written before the end.
            if (!fs::exists(made)) continue;
            std::vector<std::string> left;
            for (const auto& entry : fs::directory_iterator(folder)) left.push_back(entry.path().filename().string());
            for (const std::string& name : left) {
                EXPECT_NE(std::find(written.begin(), written.end(), name), written.end())
                    << name << ", signal " << signal << ", " << attempt;
            }
            EXPECT_FALSE(left.empty()) << "signal " << signal << ", " << attempt;
        }
    }
}

// A process id that no process has: a child that has ended.
long ended_process() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(ToolUnderFaults, ASweepTakesOnlyTheScratchFoldersTheToolProvesItsOwn) {
    const std::string ended = std::to_string(ended_process());
    const std::string alive = std::to_string(::getpid());
    const struct {
        std::string name;
        std::string marker;  // the process it names; empty: none
        bool swept;
    } folders[] = {
        // The author's own, with the name scratch folders once had.
        {".scenario-tool-Ab12Cd", "", false},
        {".scenario-tool-" + ended + "-Ab12Cd", "", false},
        // The marker and the name disagree.
        {".scenario-tool-" + ended + "-Cd34Ef", alive, false},
        // A tool at work.
        {".scenario-tool-" + alive + "-Gh56Ij", alive, false},
        // A tool killed outright; the same, but still held by a process.
        {".scenario-tool-" + ended + "-Kl78Mn", ended, true},
        {".scenario-tool-" + ended + "-Op90Qr", ended, false},
    };
    const std::string held = folders[std::size(folders) - 1].name;
    const std::string notes = "the author's notes";
    // The tool's scratch space: the output folder of compile, the system's
    // temporary folder of plot.
    const struct {
        const char* name;
        std::string command;
    } sweeps[] = {
        {"compile", quoted(TOOL_PATH) + " compile " + sources() + " --out ."},
        {"plot", "TMPDIR=. " + quoted(TOOL_PATH) + " plot " + sources() + " --out - >/dev/null"},
    };
    for (const auto& sweep : sweeps) {
        SCOPED_TRACE(sweep.name);
        TempFolder folder;
        std::vector<std::string> kept;
        for (const auto& f : folders) {
            fs::create_directory(folder.file(f.name));
            write_file(folder.file(f.name + "/notes.txt"), notes);
            if (!f.marker.empty()) {
                write_file(folder.file(f.name + "/" + scratch_marker), scratch_marker_text(std::stol(f.marker)));
            }
            if (!f.swept) kept.push_back(f.name);
        }
        // A link with a scratch folder's name, to one of the tool's own.
        TempFolder elsewhere;
        write_file(elsewhere.file(scratch_marker), scratch_marker_text(std::stol(ended)));
        write_file(elsewhere.file("notes.txt"), notes);
        const std::string link = ".scenario-tool-" + ended + "-St12Uv";
        fs::create_directory_symlink(elsewhere.path(), folder.file(link));
        kept.push_back(link);
        std::sort(kept.begin(), kept.end());

        const int lock = ::open(folder.file(held).c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_EQ(::flock(lock, LOCK_EX), 0);
        const scenario::testing::Run r =
            scenario::testing::run_shell("cd " + quoted(folder.path().string()) + " && " + sweep.command);
        ::close(lock);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(scratch_folders(folder), kept);
        for (const std::string& name : kept) EXPECT_EQ(read_file(folder.file(name + "/notes.txt")), notes) << name;
        EXPECT_EQ(TempFolder::list(elsewhere.path().string()),
                  (std::vector<std::string>{std::string(scratch_marker), "notes.txt"}));
    }
}

}  // namespace
}  // namespace scenario::tool
