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
        {"check " + sources() + " >/dev/full", exit_status::cannot_write, no_space},
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
        EXPECT_EQ(r.err, "scenario-tool: " + c.report + "\n") << c.arguments;
    }
}

TEST(ToolUnderFaults, AnInterruptedCompileRemovesItsScratchFolder) {
    TempFolder out;
    std::mt19937 random(2024);
    for (int signal : {SIGINT, SIGTERM}) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                const std::string line = embedded_line();
                const std::string train = embedded_train();
                const std::string folder = out.path().string();
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
            ASSERT_EQ(scratch_folders(out), std::vector<std::string>{}) << "signal " << signal << ", " << attempt;
        }
    }
}

TEST(ToolUnderFaults, AStaleScratchFolderGoesAndOneInUseStays) {
    TempFolder out;
    const std::string stale = out.file(".scenario-tool-Ab12Cd");
    const std::string in_use = out.file(".scenario-tool-Xy34Zw");
    for (const std::string& folder : {stale, in_use}) {
        fs::create_directory(folder);
        write_file(folder + "/Valcorvina_linea.dat", std::string(100000, 'x'));
    }
    const int lock = ::open(in_use.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    EXPECT_EQ(run_tool("compile " + sources() + " --out .", out.path().string()).status, 0);
    ::close(lock);
    EXPECT_EQ(scratch_folders(out), std::vector<std::string>{".scenario-tool-Xy34Zw"});
}

}  // namespace
}  // namespace scenario::tool
