// The built tool's command line: what each usage error says first and the
// exit status of every kind of failure, --version and --help, and "-" for
// standard input and output.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "tool/authoring.h"
#include "tool/base/wording.h"

namespace scenario::tool {
namespace {

using testing::embedded_line;
using testing::embedded_train;
using testing::Outcome;
using testing::quoted;
using testing::read_file;
using testing::run_tool;
using testing::TempFolder;
using testing::write_file;

const std::string sources = "--line a --train b --title T --train-code C";

std::string usage(const std::string& first_line, const std::string& command) {
    return "scenario-tool: " + first_line + "\nrun `scenario-tool" + (command.empty() ? "" : " " + command) +
           " --help`\n";
}

TEST(CommandLine, EachUsageErrorSaysWhatIsWrongAndWhereTheUsageIs) {
    TempFolder work;
    const struct {
        std::string arguments;
        std::string first_line;
        std::string command;  // whose --help the second line names
    } wrong[] = {
        {"", "no command given; the commands are compile, check, explain, dump, diff, plot, view, new, package and lsp",
         ""},
        {"cmpile --line a", "'cmpile' is not a command; did you mean `compile`?", ""},
        {"comp", "'comp' is not a command; did you mean `compile`?", ""},
        {"vew", "'vew' is not a command; did you mean `view`?", ""},
        {"frobnicate",
         "'frobnicate' is not a command; the commands are compile, check, explain, dump, diff, plot, view, new, "
         "package and lsp",
         ""},
        {"--verison", "unknown option '--verison'; did you mean `--version`?", ""},
        {"compile " + sources + " --jsn", "unknown option '--jsn'; did you mean `--json`?", "compile"},
        {"compile " + sources + " --colour=never", "unknown option '--colour'; did you mean `--color`?", "compile"},
        {"compile " + sources + " --frobnicate", "unknown option '--frobnicate'", "compile"},
        {"dump --frm 4 x.sim", "unknown option '--frm'; did you mean `--from`?", "dump"},
        // An unknown option is named before what is missing: it often is the cause.
        {"compile --tittle T", "unknown option '--tittle'; did you mean `--title`?", "compile"},
        {"compile", "missing a scenario FOLDER, or --line, --train, --title and --train-code", "compile"},
        {"check", "missing a scenario FOLDER, or --line and --train", "check"},
        {"compile --title T", "missing --line, --train and --train-code", "compile"},
        {"compile --line a --train b --title T", "missing --train-code", "compile"},
        {"check --train b", "missing --line", "check"},
        {"dump", "missing FILE", "dump"},
        {"diff", "missing A and B", "diff"},
        {"plot --line a --train b", "missing --out", "plot"},
        {"compile " + sources + " extra", "give either a scenario folder ('extra') or --line and --train, not both",
         "compile"},
        {"compile a b", "unexpected argument 'b'", "compile"},
        {"new", "missing FOLDER", "new"},
        {"new F", "missing --title and --train-code (or --example)", "new"},
        {"new F --title T", "missing --train-code (or --example)", "new"},
        {"new F --example --train-code C",
         "--example writes the program's own scenario, Valcorvina / IC 318: --title and --train-code do not go "
         "with it",
         "new"},
        {"new F --title a/b --train-code C", "--title cannot hold '/': it becomes part of file names", "new"},
        {"package", "missing FOLDER", "package"},
        {"package F --target mac", "--target: 'mac' is none of linux and windows", "package"},
        {"package F --out ''", "--out is empty: give a folder (. for the current one)", "package"},
        {"package F -W no-such", "-W no-such: there is no warning named 'such' (scenario-tool explain lists them all)",
         "package"},
        {"explain a b", "unexpected argument 'b'", "explain"},
        {"explain no-such-thing",
         "no diagnostic is named or numbered 'no-such-thing'; `scenario-tool explain` lists them all", "explain"},
        {"compile " + sources + " --out", "--out needs a value", "compile"},
        {"compile " + sources + " --out a --out b", "--out is given more than once", "compile"},
        {"compile " + sources + " --out ''", "--out is empty: give a folder (. for the current one)", "compile"},
        {"plot --line a --train b --out ''", "--out is required: the SVG file, or - for standard output", "plot"},
        {"compile " + sources + " --color blue", "--color: 'blue' is none of auto, always and never", "compile"},
        {"dump x.sim --every 0", "--every: '0' is not a whole number of 1 or more", "dump"},
        {"dump x.sim --every -3", "--every: '-3' is not a whole number of 1 or more", "dump"},
        {"compile " + sources + " -W no-such",
         "-W no-such: there is no warning named 'such' (scenario-tool explain "
         "lists them all)",
         "compile"},
        {"compile --line - --train - --title T --train-code C",
         "--line - and --train - cannot both read standard input", "compile"},
        {"compile --line a --train b --title a/b --train-code C",
         "--title cannot hold '/': it becomes part of file names", "compile"},
        {"compile --line a --train b --title " + std::string(250, 't') + " --train-code C",
         "--title is too long for a file name: '" + std::string(250, 't') +
             "_linea.txt' would be 260 bytes, more than the 255 the output folder allows",
         "compile"},
        {"dump notes.txt",
         "cannot tell what 'notes.txt' holds: its name must end in .sim, .dat or _linea.dat, or give --as "
         "sim|dat|geometry",
         "dump"},
        {"dump - ", "standard input needs --as sim, --as dat or --as geometry", "dump"},
        {"view --line a --sim b --out x",
         "give either --line and --train, or --sim and --dat (and --geometry), not both", "view"},
        {"plot --sim a.sim --out x.svg", "--sim and --dat go together (--geometry is optional)", "plot"},
    };
    for (const auto& c : wrong) {
        const Outcome r = run_tool(c.arguments + " </dev/null", work.path().string());
        EXPECT_EQ(r.status, exit_status::usage) << c.arguments;
        EXPECT_EQ(r.err, usage(c.first_line, c.command)) << c.arguments;
        EXPECT_EQ(r.out, "") << c.arguments;
    }
    EXPECT_TRUE(work.files().empty());
}

TEST(CommandLine, FailuresOutsideTheCommandLineHaveTheirOwnStatus) {
    TempFolder work;
    write_file(work.file("bad.sim"), "not a scenario");
    write_file(work.file("bad.dat"), "not cells");
    std::filesystem::create_directory(work.file("folder"));
    const struct {
        std::string arguments;
        int status;
        std::string err;
    } cases[] = {
        {"compile " + sources + " --out /dev/null", exit_status::cannot_create,
         "scenario-tool: output folder '/dev/null' is not a folder\n"},
        {"compile " + sources + " --out /dev/null/below", exit_status::cannot_create,
         "scenario-tool: cannot create the output folder '/dev/null/below' (Not a directory)\n"},
        {"plot --line a --train b --out missing/plot.svg", exit_status::cannot_create,
         "scenario-tool: output folder 'missing' does not exist\n"},
        {"view --line a --train b --out folder", exit_status::cannot_create,
         "scenario-tool: cannot replace (is a folder) 'folder'\n"},
        {"compile --line folder --train b --title T --train-code C", exit_status::no_input,
         "scenario-tool: line description 'folder' is a folder\n"},
        {"compile --line a --train /dev/null --title T --train-code C", exit_status::no_input,
         "scenario-tool: train description '/dev/null' is not a regular file\n"},
        {"plot --sim missing.sim --dat bad.dat --out x.svg", exit_status::no_input,
         "scenario-tool: cannot open for reading (does not exist) 'missing.sim'\n"},
        {"dump missing.sim", exit_status::no_input, "missing.sim: does not exist\n"},
        {"dump bad.sim", exit_status::bad_data, "bad.sim: cannot decode: the file ends inside record 0 (at byte 0)\n"},
        {"diff bad.sim bad.sim", exit_status::bad_data,
         "bad.sim: cannot decode: the file ends inside record 0 (at byte 0)\n"},
    };
    for (const auto& c : cases) {
        const Outcome r = run_tool(c.arguments + " </dev/null", work.path().string());
        EXPECT_EQ(r.status, c.status) << c.arguments;
        EXPECT_EQ(r.err, c.err) << c.arguments;
    }
}

TEST(CommandLine, VersionAndHelpSayWhatTheyShould) {
    TempFolder work;
    const Outcome version = run_tool("--version", work.path().string());
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(std::regex_match(version.out,
                                 std::regex("scenario-tool " TOOL_VERSION " \\(commit ([0-9a-f]{12}|unknown)\\)\n")))
        << version.out;
    // Every exit status is listed, in the help of the tool and of each command.
    for (const std::string arguments : {"--help", "compile --help", "dump -h"}) {
        const Outcome help = run_tool(arguments, work.path().string());
        EXPECT_EQ(help.status, 0) << arguments;
        for (const char* status : {"\n  0  ", "\n  1  ", "\n  2  ", "\n  64  ", "\n  65  ", "\n  66  ", "\n  70  ",
                                   "\n  73  ", "\n  74  "}) {
            EXPECT_NE(help.out.find(status), std::string::npos) << arguments << ": " << status;
        }
    }
}

TEST(CommandLine, DashReadsADescriptionFromStandardInputAndWritesADrawingToStandardOutput) {
    TempFolder from_files;
    const std::string names = " --title Valcorvina --train-code 'IC 318'";
    ASSERT_EQ(run_tool("compile --line " + quoted(embedded_line()) + " --train " + quoted(embedded_train()) + names,
                       from_files.path().string())
                  .status,
              0);
    // Either description may come from standard input; the files are the same.
    for (const bool line_from_input : {true, false}) {
        TempFolder from_input;
        const std::string arguments =
            line_from_input
                ? "compile --line - --train " + quoted(embedded_train()) + names + " <" + quoted(embedded_line())
                : "compile --line " + quoted(embedded_line()) + " --train -" + names + " <" + quoted(embedded_train());
        const Outcome r = run_tool(arguments + " --out 'new folder/below'", from_input.path().string());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out,
                  "wrote Valcorvina_linea.dat, Valcorvina_IC 318.sim and Valcorvina_IC 318.dat into new "
                  "folder/below\n");
        for (const std::string& name : from_files.files()) {
            EXPECT_TRUE(read_file(from_input.file("new folder/below/" + name)) == read_file(from_files.file(name)))
                << name;
        }
    }
    // A diagnostic names standard input as the file.
    TempFolder work;
    write_file(work.file("train.txt"), "");
    const Outcome broken = run_tool("check --line - --train train.txt <train.txt", work.path().string());
    EXPECT_EQ(broken.err.rfind("<stdin>:", 0), 0u) << broken.err;

    // plot --out - writes the same page as plot --out FILE, and nothing else.
    const std::string compiled = " --sim " + quoted(from_files.file("Valcorvina_IC 318.sim")) + " --dat " +
                                 quoted(from_files.file("Valcorvina_IC 318.dat"));
    const Outcome to_file = run_tool("plot" + compiled + " --out plot.svg", work.path().string());
    ASSERT_EQ(to_file.status, 0) << to_file.err;
    const Outcome to_output = run_tool("plot" + compiled + " --out -", work.path().string());
    ASSERT_EQ(to_output.status, 0) << to_output.err;
    EXPECT_TRUE(to_output.out == read_file(work.file("plot.svg")));
    EXPECT_EQ(to_output.err, "");
}

TEST(Wording, NearestNameAndListing) {
    const std::vector<std::string> commands{"compile", "check", "explain", "dump", "diff", "plot", "view"};
    const std::vector<std::string> options{"--line", "--train", "--title", "--train-code", "--out", "--json"};
    const struct {
        std::string given;
        const std::vector<std::string>& names;
        std::optional<std::string> meant;
    } cases[] = {
        {"cmpile", commands, "compile"},       // a letter left out
        {"compiel", commands, "compile"},      // two neighbours swapped
        {"chekc", commands, "check"},          //
        {"dup", commands, "dump"},             // short words allow one edit only
        {"dmp", commands, "dump"},             //
        {"xyz", commands, std::nullopt},       //
        {"dumpster", commands, std::nullopt},  // too far from every name
        {"exp", commands, "explain"},          // the only name that begins so
        {"d", commands, std::nullopt},         // too short to tell
        {"--titel", options, "--title"},       //
        {"--train_code", options, "--train-code"},
        {"--tr", options, std::nullopt},  // begins two names
        {"--jsn", options, "--json"},
    };
    for (const auto& c : cases) EXPECT_EQ(nearest_name(c.given, c.names), c.meant) << c.given;

    EXPECT_EQ(listing({}), "");
    EXPECT_EQ(listing({"a"}), "a");
    EXPECT_EQ(listing({"a", "b"}), "a and b");
    EXPECT_EQ(listing({"a", "b", "c"}), "a, b and c");
}

TEST(Wording, OrdinalsAndCounts) {
    // The teens take "th"; past them the last digit decides.
    const std::pair<std::int64_t, const char*> ordinals[] = {
        {0, "0th"},     {1, "1st"},     {2, "2nd"},     {3, "3rd"},     {4, "4th"},      {11, "11th"},
        {12, "12th"},   {13, "13th"},   {21, "21st"},   {22, "22nd"},   {23, "23rd"},    {81, "81st"},
        {101, "101st"}, {111, "111th"}, {112, "112th"}, {113, "113th"}, {1002, "1002nd"}};
    for (const auto& [n, words] : ordinals) EXPECT_EQ(ordinal(n), words);
    EXPECT_EQ(counted(1, "roadside sign"), "1 roadside sign");
    EXPECT_EQ(counted(0, "station"), "0 stations");
    EXPECT_EQ(counted(4, "roadside sign"), "4 roadside signs");
}

}  // namespace
}  // namespace scenario::tool
