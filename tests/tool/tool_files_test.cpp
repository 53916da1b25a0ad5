// What the built tool makes, keeps and refuses in an author's folders: one
// compile at a time in an output folder, folders it created gone again when
// nothing was written into them, scratch space that runs full, drawings that
// would replace their own input, and route cells cut short beside their
// records.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "io/file_system.h"
#include "support/description_files.h"
#include "support/process.h"
#include "tool/authoring.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing::line_description;
using scenario::testing::train_description;
using testing::embedded_line;
using testing::embedded_train;
using testing::Outcome;
using testing::quoted;
using testing::read_file;
using testing::TempFolder;
using testing::write_file;

const std::string plain_train = train_description({"velocita,   0,    100", "aderenza,   0,    90"});

// The built tool with (already quoted) arguments, from the folder `cwd`;
// `before` goes first on the shell's line (variables, limits).
Outcome run(const std::string& cwd, const std::string& arguments, const std::string& before = "") {
    const scenario::testing::Run r =
        scenario::testing::run_shell("cd " + quoted(cwd) + " && " + before + quoted(TOOL_PATH) + " " + arguments);
    return {r.status, r.out, r.err};
}

std::string compile_arguments(const std::string& line, const std::string& train, const std::string& out) {
    return "compile --line " + quoted(line) + " --train " + quoted(train) + " --title Linea --train-code 'T 1' --out " +
           quoted(out);
}

// Every entry of a folder, files and folders, sorted.
std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const std::vector<std::string> compiled{"Linea_T 1.dat", "Linea_T 1.sim", "Linea_linea.dat"};

std::vector<std::string> contents(const fs::path& folder) {
    std::vector<std::string> bytes;
    bytes.reserve(compiled.size());
    for (const std::string& name : compiled) bytes.push_back(read_file((folder / name).string()));
    return bytes;
}

TEST(ToolFolders, CompilesAtOnceIntoOneFolderLeaveTheThreeFilesOfOneRun) {
    constexpr int runs = 8;
    TempFolder work;
    write_file(work.file("train.txt"), plain_train);
    std::vector<std::vector<std::string>> alone;  // each line's files, compiled on its own
    std::string at_once = "s=0; p=";
    for (int i = 0; i < runs; ++i) {
        const std::string line = "line " + std::to_string(i) + ".txt";
        write_file(work.file(line), line_description(40000 + 20000 * i, {}));
        const TempFolder out;
        ASSERT_EQ(run(work.path().string(), compile_arguments(line, "train.txt", out.path().string())).status, 0);
        alone.push_back(contents(out.path()));
        at_once += "; " + quoted(TOOL_PATH) + " " + compile_arguments(line, "train.txt", "shared") + " & p=\"$p $!\"";
    }
    at_once += "; for c in $p; do wait $c || s=1; done; exit $s";
    fs::create_directory(work.file("shared"));
    for (int round = 0; round < 10; ++round) {
        EXPECT_EQ(scenario::testing::run_shell("cd " + quoted(work.path().string()) + " && " + at_once).status, 0);
        // No lock file, no scratch folder: the three files only.
        ASSERT_EQ(entries(work.file("shared")), compiled) << "round " << round;
        EXPECT_NE(std::find(alone.begin(), alone.end(), contents(work.file("shared"))), alone.end())
            << "round " << round;
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
        const Outcome r = run(work.path().string(), compile_arguments(c.line, c.train, c.out));
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
    // The shell's limit is in blocks of 512 or 1024 bytes: either way far
    // below the description.
    std::string limit() const { return mounted_ ? "" : "trap '' XFSZ; ulimit -f 128; "; }
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
    if (!disk.limit().empty()) {
        std::cerr << "[   NOTE   ] no tmpfs could be mounted (not root?): a file-size limit fills the scratch space\n";
    }
    TempFolder work;
    write_file(work.file("big line.txt"),
               line_description(20000, std::vector<std::string>(20000, "; a comment row of the author's")));
    const std::string full =
        "cannot write (" + disk.full() + ") '" + disk.path() + "/.scenario-tool-PID-XXXXXX/V_linea.txt'";
    const std::string names = " --train " + quoted(embedded_train()) + " --title V --train-code C";
    const std::string disk_out = " --out " + quoted(disk.path());
    const struct {
        const char* name;
        std::string before, arguments, err;
    } cases[] = {
        {"compile", "", "compile --line 'big line.txt'" + names + disk_out,
         "cannot copy the line description 'big line.txt' into scratch space: " + full},
        {"compile from standard input", "", "compile --line -" + names + disk_out + " <'big line.txt'",
         "cannot copy the line description from <stdin> into scratch space: " + full},
        {"plot", "TMPDIR=" + quoted(disk.path()) + " ", "plot --line 'big line.txt'" + names + " --out p.svg",
         "cannot copy the line description 'big line.txt' into scratch space: " + full},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome r = run(work.path().string(), c.arguments, disk.limit() + c.before);
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
    ASSERT_EQ(run(work.path().string(), "compile --line line.txt --train train.txt --title V --train-code C").status,
              0);
    fs::create_hard_link(line, work.file("hard link"));
    fs::create_symlink("train.txt", work.file("link"));
    const std::string from_descriptions = " --line line.txt --train train.txt";
    const std::string from_files = " --sim V_C.sim --dat V_C.dat --geometry V_linea.dat";
    const struct {
        const char* command;
        const std::string& input;
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
        const Outcome r = run(work.path().string(), c.command + c.input + " --out " + quoted(c.out));
        EXPECT_EQ(r.status, exit_status::usage);
        EXPECT_EQ(r.err, "scenario-tool: --out '" + c.out + "' is the file given to " + c.given +
                             ": the drawing would replace it\nrun `scenario-tool " + c.command + " --help`\n");
        ASSERT_EQ(entries(work.path()), before);
        for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(read_file(work.file(before[i])), bytes[i]);
    }
}

TEST(ToolFolders, RouteCellsFewerThanTheirRecordsSayAreRefused) {
    TempFolder work;
    ASSERT_EQ(run(work.path().string(), "compile --line " + quoted(embedded_line()) + " --train " +
                                            quoted(embedded_train()) + " --title V --train-code C")
                  .status,
              0);
    const std::string cells = read_file(work.file("V_C.dat"));
    ASSERT_EQ(cells.size(), 4501u * 15);  // a route of 218000 m and 7000 m beyond, in cells of 50 m, and cell 0
    fs::create_directory(work.file("apart"));
    fs::copy_file(work.file("V_C.sim"), work.file("apart/only.sim"));
    const struct {
        const char* name;
        std::size_t cells;
        std::string arguments;
        int status;
        std::string file = {}, records = {};  // as the message names them
    } cases[] = {
        {"empty", 0, "dump V_C.dat", exit_status::bad_data, "V_C.dat", "V_C.sim"},
        {"cut at a cell", 10, "dump V_C.dat", exit_status::bad_data, "V_C.dat", "V_C.sim"},
        {"one cell short", 4500, "dump V_C.dat --json", exit_status::bad_data, "V_C.dat", "V_C.sim"},
        {"whole", 4501, "dump V_C.dat", exit_status::done},
        {"records given", 10, "dump - --as dat --sim apart/only.sim <V_C.dat", exit_status::bad_data, "standard input",
         "apart/only.sim"},
        {"no records beside", 10, "dump - --as dat <V_C.dat", exit_status::done},
        {"view, empty", 0, "view --sim V_C.sim --dat V_C.dat --out p.html", exit_status::bad_data, "V_C.dat",
         "V_C.sim"},
        {"plot, cut", 10, "plot --sim V_C.sim --dat V_C.dat --out p.svg", exit_status::bad_data, "V_C.dat", "V_C.sim"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(work.file("V_C.dat"), cells.substr(0, c.cells * 15));
        const Outcome r = run(work.path().string(), c.arguments);
        EXPECT_EQ(r.status, c.status);
        if (c.status != exit_status::bad_data) continue;
        const std::string what = "the file holds " + std::to_string(c.cells) +
                                 " route cells, and the route length of 218000 m in " + c.records +
                                 " needs 4501 (at byte " + std::to_string(c.cells * 15) + ")";
        EXPECT_EQ(r.err, c.file + ": cannot decode: " + what + "\n");
        const bool json = c.arguments.ends_with("--json");
        EXPECT_EQ(r.out, json ? "{\"file\":\"V_C.dat\",\"error\":\"" + what + "\",\"offset\":67500}\n" : "");
        EXPECT_FALSE(fs::exists(work.file("p.html")) || fs::exists(work.file("p.svg")));
    }
}

}  // namespace
}  // namespace scenario::tool
