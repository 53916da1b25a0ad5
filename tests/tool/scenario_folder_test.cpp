// A scenario folder given to the commands: which files it pairs, what it
// refuses and how it says so, and that a folder reads exactly as the same
// files named one by one.
#include <gtest/gtest.h>

#include <filesystem>

#include "tool/authoring.h"
#include "tool/base/failures.h"
#include "tool/base/scenario_folder.h"

namespace scenario::tool {
namespace {

using testing::Outcome;
using testing::quoted;
using testing::read_file;
using testing::run_tool;
using testing::TempFolder;
using testing::write_file;

TEST(ScenarioFolder, PairsTheLineWithItsTrain) {
    const struct {
        const char* what;
        std::vector<std::string> names;
        std::string title;   // given with --title
        std::string code;    // given with --train-code
        std::string chosen;  // "TITLE|CODE", or the usage error
    } cases[] = {
        {"the five files",
         {"V_linea.txt", "V_IC 318-.txt", "V_IC 318_note.txt", "V_IC 318_rallentamenti.txt"},
         "",
         "",
         "V|IC 318"},
        {"descriptions only, and other files",
         {"x.txt", "V_linea.txt", "V_T-.txt", "V_linea.dat", "V_T.sim"},
         "",
         "",
         "V|T"},
        {"a title holding _", {"Val_corvina_linea.txt", "Val_corvina_R_1-.txt"}, "", "", "Val_corvina|R_1"},
        {"a code holding - and _", {"V_linea.txt", "V_a-b_c-.txt"}, "", "", "V|a-b_c"},
        {"several trains, one chosen", {"V_linea.txt", "V_A-.txt", "V_B-.txt"}, "", "B", "V|B"},
        {"several lines, one chosen", {"V_linea.txt", "W_linea.txt", "W_A-.txt", "V_A-.txt"}, "W", "", "W|A"},
        {"a chosen title whose name holds another's",
         {"A_linea.txt", "A_B_linea.txt", "A_B_C-.txt"},
         "A_B",
         "",
         "A_B|C"},
        {"nothing", {}, "", "", "no line description (TITLE_linea.txt) in 'F'; found no .txt file"},
        {"no line description",
         {"V_T-.txt", "notes.txt", "V_linea.dat"},
         "",
         "",
         "no line description (TITLE_linea.txt) in 'F'; found V_T-.txt and notes.txt"},
        {"many names, some shown",
         {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "f.txt", "g.txt", "h.txt", "i.txt"},
         "",
         "",
         "no line description (TITLE_linea.txt) in 'F'; found a.txt, b.txt, c.txt, d.txt, e.txt, f.txt, g.txt "
         "and 2 more"},
        {"several lines",
         {"W_linea.txt", "V_linea.txt"},
         "",
         "",
         "several line descriptions in 'F': V_linea.txt and W_linea.txt; choose one with --title"},
        {"a title not there", {"V_linea.txt"}, "W", "", "no line description 'W_linea.txt' in 'F'; found V_linea.txt"},
        {"a train of another title",
         {"V_linea.txt", "W_T-.txt"},
         "",
         "",
         "no train description of 'V' (V_CODE-.txt) in 'F'; found V_linea.txt and W_T-.txt"},
        {"a train named without -",
         {"V_linea.txt", "V_T.txt"},
         "",
         "",
         "no train description of 'V' (V_CODE-.txt) in 'F'; found V_T.txt and V_linea.txt"},
        {"several trains",
         {"V_linea.txt", "V_B-.txt", "V_A-.txt"},
         "",
         "",
         "several train descriptions of 'V' in 'F': V_A-.txt and V_B-.txt; choose one with --train-code"},
        {"a code not there",
         {"V_linea.txt", "V_A-.txt"},
         "",
         "B",
         "no train description 'V_B-.txt' in 'F'; found V_A-.txt and V_linea.txt"},
        {"names compare exactly",
         {"V_Linea.txt", "V_LINEA.TXT", "V_linea.txt ", "v_linea.txt", "V_t-.txt"},
         "",
         "",
         "no train description of 'v' (v_CODE-.txt) in 'F'; found V_Linea.txt, V_t-.txt and v_linea.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            const ScenarioNames names = choose_scenario(c.names, c.title, c.code, "F");
            EXPECT_EQ(names.title + "|" + names.trainCode, c.chosen);
        } catch (const UsageError& wrong) {
            EXPECT_EQ(wrong.what(), c.chosen);
        }
    }
}

// A folder with the descriptions of a new scenario.
struct Folder {
    TempFolder work;
    Folder() {
        const Outcome made = run_tool("new 'my scenario' --title 'My Line' --train-code 'R 1'", work.path().string());
        EXPECT_EQ(made.status, 0) << made.err;
    }
    std::string file(const std::string& name) const { return work.file("my scenario/" + name); }
};

TEST(ScenarioFolder, CommandsReadAFolderAsTheSameFilesNamedOneByOne) {
    const Folder folder;
    const std::string named = "--line " + quoted(folder.file("My Line_linea.txt")) + " --train " +
                              quoted(folder.file("My Line_R 1-.txt")) + " --title 'My Line' --train-code 'R 1'";
    const std::string cwd = folder.work.path().string();
    for (const std::string command : {"compile", "view", "plot"}) {
        SCOPED_TRACE(command);
        const std::string by_folder = command == "compile" ? "a" : command == "view" ? "a.html" : "a.svg";
        const std::string by_names = command == "compile" ? "b" : command == "view" ? "b.html" : "b.svg";
        const Outcome a = run_tool(command + " 'my scenario' --out " + by_folder, cwd);
        const Outcome b = run_tool(command + " " + named + " --out " + by_names, cwd);
        ASSERT_EQ(a.status, 0) << a.err;
        ASSERT_EQ(b.status, 0) << b.err;
        // The page names the files it was drawn from, as they were given.
        if (command == "view") continue;
        if (command == "compile") {
            for (const std::string& name : TempFolder::list(folder.work.file("b"))) {
                EXPECT_TRUE(read_file(folder.work.file("a/" + name)) == read_file(folder.work.file("b/" + name)))
                    << name;
            }
            EXPECT_EQ(TempFolder::list(folder.work.file("a")).size(), 3u);
        } else {
            EXPECT_TRUE(read_file(folder.work.file(by_folder)) == read_file(folder.work.file(by_names)));
        }
    }
    const Outcome check = run_tool("check 'my scenario'", cwd);
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.out, "0 errors, 0 warnings\n");
    EXPECT_EQ(check.err, "");
}

TEST(ScenarioFolder, AFolderThatCannotBeReadIsRefusedAsAnInput) {
    const Folder folder;
    write_file(folder.work.file("file"), "");
    std::filesystem::create_directory(folder.work.file("lines"));
    std::filesystem::create_directory(folder.work.file("lines/V_linea.txt"));
    write_file(folder.work.file("lines/V_T-.txt"), "");
    const struct {
        std::string arguments;
        int status;
        std::string err;
    } cases[] = {
        {"check missing", exit_status::no_input, "scenario-tool: scenario folder 'missing' does not exist\n"},
        {"compile file", exit_status::no_input, "scenario-tool: scenario folder 'file' is not a folder\n"},
        {"compile lines --out out", exit_status::no_input,
         "scenario-tool: line description 'lines/V_linea.txt' is a folder\n"},
        {"compile 'my scenario' --line x", exit_status::usage,
         "scenario-tool: give either a scenario folder ('my scenario') or --line and --train, not both\n"
         "run `scenario-tool compile --help`\n"},
        {"view 'my scenario' --sim x --dat y --out z", exit_status::usage,
         "scenario-tool: give either --line and --train, or --sim and --dat (and --geometry), not both\n"
         "run `scenario-tool view --help`\n"},
    };
    for (const auto& c : cases) {
        const Outcome r = run_tool(c.arguments, folder.work.path().string());
        EXPECT_EQ(r.status, c.status) << c.arguments;
        EXPECT_EQ(r.err, c.err) << c.arguments;
    }
}

}  // namespace
}  // namespace scenario::tool
