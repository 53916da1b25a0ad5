// What the built tool makes, keeps and refuses in an author's folders: one
// compile at a time in an output folder, folders it created gone again when
// nothing was written into them, scratch space that runs full, drawings that
// would replace their own input, and route cells cut short beside their
// records.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <optional>
#include <regex>

#include "io/file_system.h"
#include "support/description_files.h"
#include "tool/authoring.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing::line_description;
using scenario::testing::train_description;
using testing::embedded_line;
using testing::embedded_train;
using testing::Outcome;
using testing::read_file;
using testing::TempFolder;
using testing::write_file;

const std::string plain_train = train_description({"velocita,   0,    100", "aderenza,   0,    90"});

// A run of the built tool without a shell between.
struct Child {
    std::vector<std::string> arguments;
    std::string cwd = "/";
    std::string input = "/dev/null";  // standard input
    std::string tmpdir = {};          // TMPDIR, when given
    std::optional<rlim_t> file_size_limit = {};
};

pid_t start(const Child& c, const std::string& out, const std::string& err) {
    std::vector<char*> argv{const_cast<char*>("scenario-tool")};
    for (const std::string& a : c.arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child != 0) return child;
    const int in_fd = ::open(c.input.c_str(), O_RDONLY);
    const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in_fd < 0 || out_fd < 0 || err_fd < 0 || ::chdir(c.cwd.c_str()) != 0) ::_exit(127);
    ::dup2(in_fd, 0);
    ::dup2(out_fd, 1);
    ::dup2(err_fd, 2);
    if (!c.tmpdir.empty()) ::setenv("TMPDIR", c.tmpdir.c_str(), 1);
    if (c.file_size_limit) {
        // A write beyond the limit then fails instead of ending the tool.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{*c.file_size_limit, *c.file_size_limit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::execv(TOOL_PATH, argv.data());
    ::_exit(127);
}

int exit_status_of(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

Outcome run(const Child& c) {
    const TempFolder streams;
    const pid_t child = start(c, streams.file("out"), streams.file("err"));
    const int status = exit_status_of(child);
    return {status, read_file(streams.file("out")), read_file(streams.file("err"))};
}

std::vector<std::string> compile_arguments(const std::string& line, const std::string& train, const std::string& out) {
    return {"compile", "--line", line, "--train", train, "--title", "Linea", "--train-code", "T 1", "--out", out};
}

// Every entry of a folder, files and folders, sorted.
std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const std::vector<std::string> compiled{"Linea_T 1.dat", "Linea_T 1.sim", "Linea_linea.dat"};

std::vector<std::string> contents(const TempFolder& folder) {
    std::vector<std::string> bytes;
    bytes.reserve(compiled.size());
    for (const std::string& name : compiled) bytes.push_back(read_file(folder.file(name)));
    return bytes;
}

TEST(ToolFolders, CompilesAtOnceIntoOneFolderLeaveTheThreeFilesOfOneRun) {
    constexpr int runs = 8;
    TempFolder work;
    const std::string train = work.file("train.txt");
    write_file(train, plain_train);
    std::vector<std::string> lines;
    std::vector<std::vector<std::string>> alone;  // each line's files, compiled on its own
    for (int i = 0; i < runs; ++i) {
        lines.push_back(work.file("line " + std::to_string(i) + ".txt"));
        write_file(lines.back(), line_description(40000 + 20000 * i, {}));
        const TempFolder out;
        ASSERT_EQ(run({compile_arguments(lines.back(), train, out.path().string())}).status, 0);
        alone.push_back(contents(out));
    }
    const TempFolder shared;
    const TempFolder streams;
    for (int round = 0; round < 10; ++round) {
        std::vector<pid_t> children;
        for (int i = 0; i < runs; ++i) {
            const std::string n = std::to_string(i);
            children.push_back(
                start({compile_arguments(lines[static_cast<std::size_t>(i)], train, shared.path().string())},
                      streams.file("out " + n), streams.file("err " + n)));
        }
        for (pid_t child : children) EXPECT_EQ(exit_status_of(child), 0) << "round " << round;
        // No lock file, no scratch folder: the three files only.
        ASSERT_EQ(entries(shared.path()), compiled) << "round " << round;
        EXPECT_NE(std::find(alone.begin(), alone.end(), contents(shared)), alone.end()) << "round " << round;
    }
}

TEST(ToolFolders, AWaitForTheOutputFolderEndsAfterItsPatienceNamingTheOtherRun) {
    const TempFolder out;
    const FolderLock other(out.path().string(), std::chrono::milliseconds(0));
    ASSERT_TRUE(other.held());
    try {
        const OutputFolder folder(out.path(), std::chrono::milliseconds(1000));
        ADD_FAILURE() << "the folder was taken while another run held it";
    } catch (const CommandFailure& refused) {
        EXPECT_EQ(refused.status(), exit_status::cannot_create);
        EXPECT_EQ(std::string(refused.what()), "cannot compile into '" + out.path().string() +
                                                   "': another run (tool_tests, process " + std::to_string(::getpid()) +
                                                   ") has been working in this folder for 1 s");
    }
}

TEST(ToolFolders, AFolderCompileCreatedGoesAgainWhenNothingWasWrittenIntoIt) {
    TempFolder work;
    const std::string line = work.file("line.txt");
    write_file(line, line_description(20000, {}));
    write_file(work.file("train.txt"), plain_train);
    write_file(work.file("stamp.txt"), train_description({"segnale,  0,  2, 4, 1,  1, 0,  2,  2,1,1, 0"}));
    fs::create_directory(work.file("line folder"));
    fs::create_directory(work.file("kept"));
    const struct {
        const char* name;
        std::string line, train, out;
        int status;
        std::vector<std::string> left;  // what `work` holds afterwards, besides the inputs
    } cases[] = {
        {"no route length", "missing.txt", "train.txt", "new/deeper", 1, {}},
        {"a description that is a folder", "line folder", "train.txt", "new/deeper", exit_status::no_input, {}},
        {"the stamp refused", "line.txt", "stamp.txt", "new", exit_status::stamp_error, {}},
        {"a folder that was there", "missing.txt", "train.txt", "kept", 1, {"kept"}},
        {"below a folder that was there", "missing.txt", "train.txt", "kept/deeper", 1, {"kept"}},
        {"files written", "line.txt", "train.txt", "new/deeper", 0, {"new"}},
    };
    const std::vector<std::string> inputs{"kept", "line folder", "line.txt", "stamp.txt", "train.txt"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome r = run({compile_arguments(c.line, c.train, c.out), work.path().string()});
        EXPECT_EQ(r.status, c.status) << r.err;
        std::vector<std::string> expected = inputs;
        expected.insert(expected.end(), c.left.begin(), c.left.end());
        std::sort(expected.begin(), expected.end());
        expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
        EXPECT_EQ(entries(work.path()), expected);
        EXPECT_EQ(entries(work.file("kept")), std::vector<std::string>{});
        if (c.status == 0) {
            EXPECT_EQ(entries(work.file(c.out)), compiled);
        }
        fs::remove_all(work.file("new"));
    }
}

// A file system of 64 KiB of the test's own; without the right to mount
// one, a limit on the size of the files the tool writes stands in.
class SmallDisk {
public:
    SmallDisk() : mounted_(::mount("tmpfs", at_.path().c_str(), "tmpfs", 0, "size=64k,mode=0777") == 0) {}
    ~SmallDisk() {
        if (mounted_) ::umount2(at_.path().c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    std::string path() const { return at_.path().string(); }
    std::optional<rlim_t> file_size_limit() const { return mounted_ ? std::nullopt : std::optional<rlim_t>(64 * 1024); }
    std::string full() const { return mounted_ ? "No space left on device" : "File too large"; }

private:
    TempFolder at_;
    bool mounted_;
};

// The scratch folder's process id and letters, which change from run to run.
std::string scratch_named(const std::string& text) {
    static const std::regex scratch(R"(\.scenario-tool-[0-9]+-[A-Za-z0-9]{6})");
    return std::regex_replace(text, scratch, ".scenario-tool-PID-XXXXXX");
}

TEST(ToolFolders, ScratchSpaceThatRunsFullIsToldAsAFailedWriteOfIt) {
    const SmallDisk disk;
    if (disk.file_size_limit()) {
        std::cerr << "[   NOTE   ] no tmpfs could be mounted (not root?): a file-size limit fills the scratch space\n";
    }
    TempFolder work;
    const std::string big = work.file("big line.txt");
    write_file(big, line_description(20000, std::vector<std::string>(20000, "; a comment row of the author's")));
    const std::string scratch_file = disk.path() + "/.scenario-tool-PID-XXXXXX/V_linea.txt";
    const std::string full = "cannot write (" + disk.full() + ") '" + scratch_file + "'";
    const std::vector<std::string> names{"--title", "V", "--train-code", "C"};
    auto with_names = [&names](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), names.begin(), names.end());
        return arguments;
    };
    const struct {
        const char* name;
        Child child;
        std::string err;
    } cases[] = {
        {"compile",
         {with_names({"compile", "--line", big, "--train", embedded_train(), "--out", disk.path()})},
         "cannot copy the line description '" + big + "' into scratch space: " + full},
        {"compile from standard input",
         {with_names({"compile", "--line", "-", "--train", embedded_train(), "--out", disk.path()}), "/", big},
         "cannot copy the line description from <stdin> into scratch space: " + full},
        {"plot",
         {with_names({"plot", "--line", big, "--train", embedded_train(), "--out", work.file("p.svg")}), "/",
          "/dev/null", disk.path()},
         "cannot copy the line description '" + big + "' into scratch space: " + full},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        c.child.file_size_limit = disk.file_size_limit();
        const Outcome r = run(c.child);
        EXPECT_EQ(r.status, exit_status::cannot_write);
        EXPECT_EQ(scratch_named(r.err), "scenario-tool: " + c.err + "\n");
        EXPECT_EQ(entries(disk.path()), std::vector<std::string>{});
        EXPECT_EQ(entries(work.path()), std::vector<std::string>{"big line.txt"});
    }
}

TEST(ToolFolders, ADrawingIsRefusedWhereItWouldReplaceItsInput) {
    TempFolder work;
    const std::string line = work.file("line.txt");
    const std::string train = work.file("train.txt");
    fs::copy_file(embedded_line(), line);
    fs::copy_file(embedded_train(), train);
    ASSERT_EQ(run({{"compile", "--line", line, "--train", train, "--title", "V", "--train-code", "C", "--out", "."},
                   work.path().string()})
                  .status,
              0);
    fs::create_hard_link(line, work.file("hard link"));
    fs::create_symlink("train.txt", work.file("link"));
    const std::vector<std::string> from_descriptions{"--line", "line.txt", "--train", "train.txt"};
    const std::vector<std::string> from_files{"--sim", "V_C.sim", "--dat", "V_C.dat", "--geometry", "V_linea.dat"};
    const struct {
        const char* command;
        const std::vector<std::string>& input;
        std::string out;
        std::string given;  // the option and its value
    } cases[] = {
        {"plot", from_descriptions, "line.txt", "--line ('line.txt')"},
        {"view", from_descriptions, "./train.txt", "--train ('train.txt')"},
        {"plot", from_descriptions, work.file("line.txt"), "--line ('line.txt')"},
        {"view", from_descriptions, "hard link", "--line ('line.txt')"},
        {"plot", from_descriptions, "link", "--train ('train.txt')"},
        {"view", from_files, "V_C.sim", "--sim ('V_C.sim')"},
        {"plot", from_files, "../" + work.path().filename().string() + "/V_C.dat", "--dat ('V_C.dat')"},
        {"view", from_files, "V_linea.dat", "--geometry ('V_linea.dat')"},
    };
    const std::vector<std::string> before = entries(work.path());
    std::vector<std::string> bytes;
    bytes.reserve(before.size());
    for (const std::string& name : before) bytes.push_back(read_file(work.file(name)));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " --out " + c.out);
        std::vector<std::string> arguments{c.command};
        arguments.insert(arguments.end(), c.input.begin(), c.input.end());
        arguments.insert(arguments.end(), {"--out", c.out});
        const Outcome r = run({arguments, work.path().string()});
        EXPECT_EQ(r.status, exit_status::usage);
        EXPECT_EQ(r.err, "scenario-tool: --out '" + c.out + "' is the file given to " + c.given +
                             ": the drawing would replace it\nrun `scenario-tool " + c.command + " --help`\n");
        ASSERT_EQ(entries(work.path()), before);
        for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(read_file(work.file(before[i])), bytes[i]);
    }
}

TEST(ToolFolders, RouteCellsFewerThanTheirRecordsSayAreRefused) {
    TempFolder work;
    ASSERT_EQ(run({{"compile", "--line", embedded_line(), "--train", embedded_train(), "--title", "V", "--train-code",
                    "C", "--out", "."},
                   work.path().string()})
                  .status,
              0);
    const std::string cells = read_file(work.file("V_C.dat"));
    ASSERT_EQ(cells.size(), 4501u * 15);  // a route of 218000 m and 7000 m beyond, in cells of 50 m, and cell 0
    fs::create_directory(work.file("apart"));
    fs::copy_file(work.file("V_C.sim"), work.file("apart/only.sim"));
    const struct {
        const char* name;
        std::size_t cells;
        std::vector<std::string> arguments;  // after the command
        int status;
    } cases[] = {
        {"empty", 0, {"dump", "V_C.dat"}, exit_status::bad_data},
        {"cut at a cell", 10, {"dump", "V_C.dat"}, exit_status::bad_data},
        {"one cell short", 4500, {"dump", "V_C.dat", "--json"}, exit_status::bad_data},
        {"whole", 4501, {"dump", "V_C.dat"}, exit_status::done},
        {"records given", 10, {"dump", "-", "--as", "dat", "--sim", "apart/only.sim"}, exit_status::bad_data},
        {"no records beside", 10, {"dump", "-", "--as", "dat"}, exit_status::done},
        {"view, empty", 0, {"view", "--sim", "V_C.sim", "--dat", "V_C.dat", "--out", "p.html"}, exit_status::bad_data},
        {"plot, cut", 10, {"plot", "--sim", "V_C.sim", "--dat", "V_C.dat", "--out", "p.svg"}, exit_status::bad_data},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(work.file("V_C.dat"), cells.substr(0, c.cells * 15));
        const std::string records = c.arguments.back() == "apart/only.sim" ? "apart/only.sim" : "V_C.sim";
        const bool piped = c.arguments[1] == "-";
        const Outcome r = run({c.arguments, work.path().string(), piped ? work.file("V_C.dat") : "/dev/null"});
        EXPECT_EQ(r.status, c.status);
        if (c.status != exit_status::bad_data) continue;
        const std::string name = piped ? "standard input" : "V_C.dat";
        const std::string what = "the file holds " + std::to_string(c.cells) +
                                 " route cells, and the route length of 218000 m in " + records +
                                 " needs 4501 (at byte " + std::to_string(c.cells * 15) + ")";
        EXPECT_EQ(r.err, name + ": cannot decode: " + what + "\n");
        if (c.arguments.back() == "--json") {
            EXPECT_EQ(r.out, "{\"file\":\"V_C.dat\",\"error\":\"" + what +
                                 "\",\"offset\":" + std::to_string(c.cells * 15) + "}\n");
        } else {
            EXPECT_EQ(r.out, "");
        }
        EXPECT_FALSE(fs::exists(work.file("p.html")) || fs::exists(work.file("p.svg")));
    }
}

}  // namespace
}  // namespace scenario::tool
