// scenario-tool new and package: a scenario to start from, and a folder
// made into a program that runs as the built-in one does.
#include <gtest/gtest.h>

#include <filesystem>

#include "description/embedded_scenario.h"
#include "documents/documents.h"
#include "driver/package_layout.h"
#include "support/process.h"
#include "tool/authoring.h"
#include "tool/commands/embedded_runner.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using testing::Outcome;
using testing::quoted;
using testing::read_file;
using testing::run_tool;
using testing::TempFolder;
using testing::write_file;

const std::vector<std::string> five_texts{"V_T 1-.txt", "V_T 1_note.txt", "V_T 1_rallentamenti.txt",
                                          "V_T 1_scheda_treno.txt", "V_linea.txt"};

// Runs a program file from a folder of its own; the folder keeps what it wrote.
struct ProgramRun {
    TempFolder folder;
    scenario::testing::Run outcome;
    ProgramRun(const std::string& program, const std::string& name) {
        const std::string path = folder.file(name);
        fs::copy_file(program, path);
        outcome = scenario::testing::run_shell("cd / && timeout 60 " + quoted(path));
        fs::remove(path);
    }
    std::string file(const std::string& name) const { return folder.file(name); }
};

void expect_same_files(const std::string& a, const std::string& b) {
    const std::vector<std::string> names = TempFolder::list(a);
    EXPECT_EQ(TempFolder::list(b), names);
    for (const std::string& name : names) {
        EXPECT_TRUE(read_file(a + "/" + name) == read_file(b + "/" + name)) << name;
    }
}

TEST(New, WritesTheProgramsOwnTextsByteForByte) {
    TempFolder work;
    const Outcome r = run_tool("new V --example", work.path().string());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "wrote Valcorvina_linea.txt, Valcorvina_IC 318-.txt, Valcorvina_IC 318_note.txt, Valcorvina_IC "
              "318_rallentamenti.txt and Valcorvina_IC 318_scheda_treno.txt into V\n");
    // The program's writers, into a folder of their own.
    TempFolder written;
    const ScenarioFiles files{written.path().string(), '/', "Valcorvina", "IC 318"};
    dati_linea(files);
    dati_treno(files);
    dati_note(files);
    dati_rallentamenti(files);
    dati_scheda(files);
    expect_same_files(work.file("V"), written.path().string());
}

TEST(New, WritesAScenarioThatChecksWithoutADiagnostic) {
    TempFolder work;
    const Outcome r = run_tool("new 'a/b' --title V --train-code 'T 1'", work.path().string());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TempFolder::list(work.file("a/b")), five_texts);
    for (const std::string& name : five_texts) {
        const std::string text = read_file(work.file("a/b/" + name));
        // Single-byte text, every line ended by CR LF, as the program writes.
        EXPECT_TRUE(text.ends_with("\r\n")) << name;
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << name;
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) {
            return c == '\r' || c == '\n' || (c >= ' ' && c <= '~');
        })) << name;
    }
    const Outcome check = run_tool("check a/b", work.path().string());
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.err, "");
    EXPECT_EQ(check.out, "0 errors, 0 warnings\n");
    // The comments are read as the author means: nothing of them is taken.
    const Outcome werror = run_tool("check a/b --werror", work.path().string());
    EXPECT_EQ(werror.status, 0) << werror.err;
}

// Whatever stands at any of the five names, nothing is written and what
// was there stays.
TEST(New, NeverReplacesAnything) {
    const std::pair<const char*, std::function<void(const std::string&)>> puts[] = {
        {"a file", [](auto& path) { write_file(path, "mine"); }},
        {"a folder", [](auto& path) { fs::create_directory(path); }},
        {"a link to nowhere", [](auto& path) { fs::create_symlink("nowhere", path); }},
    };
    for (const std::string& taken : five_texts) {
        for (const auto& [what, put] : puts) {
            SCOPED_TRACE(taken + ": " + what);
            TempFolder work;
            fs::create_directory(work.file("S"));
            put(work.file("S/" + taken));
            const Outcome r = run_tool("new S --title V --train-code 'T 1'", work.path().string());
            EXPECT_EQ(r.status, exit_status::cannot_create);
            EXPECT_EQ(r.err, "scenario-tool: 'S/" + taken + "' already exists; new never replaces a file\n");
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(TempFolder::list(work.file("S")),
                      std::string(what) == "a file" ? std::vector<std::string>{taken} : std::vector<std::string>{});
        }
    }
}

// A scenario folder S made by `new`, to package.
struct Scenario {
    TempFolder work;
    explicit Scenario(const std::string& options) {
        const Outcome made = run_tool("new S " + options, work.path().string());
        EXPECT_EQ(made.status, 0) << made.err;
    }
    Outcome run(const std::string& arguments) const { return run_tool(arguments, work.path().string()); }
    std::string file(const std::string& name) const { return work.file(name); }
};

TEST(Package, TheExamplePackagedWritesTheProgramsSixFilesByteForByte) {
    const Scenario packaged("--example");
    const Outcome r = packaged.run("package S --out out");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "wrote Valcorvina_IC 318 into out\n");
    // The embedded scenario's one warning is shown and does not block.
    EXPECT_EQ(r.err,
              "S/Valcorvina_linea.txt:115:20: warning: `-4,5` is read as -4: the comma ends the number and `5` is "
              "ignored; values are whole numbers [decimal-comma]\n"
              " 115 | pendenza,  1250,   -4,5\n"
              "     |                    ^~~~\n"
              "0 errors, 1 warning\n");
    const std::string program = packaged.file("out/Valcorvina_IC 318");
    EXPECT_EQ(fs::status(program).permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
    // The runner, then the scenario, then the trailer.
    const std::string bytes = read_file(program);
    const std::string runner = read_file(fs::path(TOOL_PATH).replace_filename("scenario-runner").string());
    EXPECT_TRUE(bytes.starts_with(runner));
    EXPECT_TRUE(bytes.ends_with(package_layout::magic));

    const ProgramRun built_in(PROGRAM_PATH, "Valcorvina_IC 318");
    const ProgramRun run(program, "Valcorvina_IC 318");
    EXPECT_EQ(run.outcome.status, 0) << run.outcome.err;
    EXPECT_EQ(run.outcome.out, "Attendere\n");
    EXPECT_EQ(run.outcome.err, "");
    EXPECT_EQ(TempFolder::list(run.folder.path().string()).size(), 6u);
    expect_same_files(run.folder.path().string(), built_in.folder.path().string());
}

// Without a runner beside it the tool takes the one built into it.
TEST(Package, TheEmbeddedRunnerIsTheBuiltOne) {
    EXPECT_TRUE(embedded_runner() == read_file(fs::path(TOOL_PATH).replace_filename("scenario-runner").string()));
}

TEST(Package, AnotherScenarioPackagedWritesWhatCompileWrites) {
    const Scenario packaged("--title V --train-code 'T 1'");
    ASSERT_EQ(packaged.run("package S --out out").status, 0);
    ASSERT_EQ(packaged.run("compile S --out compiled").status, 0);
    const ProgramRun run(packaged.file("out/V_T 1"), "V_T 1");
    EXPECT_EQ(run.outcome.status, 0) << run.outcome.err;
    for (const std::string& name : TempFolder::list(packaged.file("compiled"))) {
        EXPECT_TRUE(read_file(run.file(name)) == read_file(packaged.file("compiled/" + name))) << name;
    }
    // The documents as the author wrote them, each line ended by CR LF.
    for (const std::string name : {"V_T 1_note.txt", "V_T 1_rallentamenti.txt", "V_T 1_scheda_treno.txt"}) {
        EXPECT_TRUE(read_file(run.file(name)) == read_file(packaged.file("S/" + name))) << name;
    }
}

// The author's line ends become CR LF; everything else is written as it is,
// however many lines.
TEST(Package, EveryLineOfAnAuthorsTextIsWritten) {
    TempFolder work;
    ASSERT_EQ(run_tool("new S --title V --train-code 'T 1'", work.path().string()).status, 0);
    std::string notes;
    for (int i = 0; i < 3000; ++i)
        notes += "line " + std::to_string(i) + (i % 3 == 0 ? "\n" : i % 3 == 1 ? "\r" : "\r\n");
    notes += "last, without a line end";
    write_file(work.file("S/V_T 1_note.txt"), notes);
    ASSERT_EQ(run_tool("package S", work.path().string()).status, 0);
    const ProgramRun run(work.file("V_T 1"), "V_T 1");
    ASSERT_EQ(run.outcome.status, 0) << run.outcome.err;
    const std::string written = read_file(run.file("V_T 1_note.txt"));
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 3001);
    EXPECT_TRUE(written.ends_with("line 2999\r\nlast, without a line end\r\n"));
}

TEST(Package, ErrorsRefuseThePackageUnlessAllowed) {
    // Two signs in one route cell: the line reader stops there, before the
    // train description.
    const std::string sign = "cartello_indicatore,  1000,   (Cippo )(  Km  )( 1+000)";
    const auto with_error = [&](const Scenario& p) {
        std::string line = read_file(p.file("S/V_linea.txt"));
        line.replace(line.find(sign), sign.size(), sign + "\r\ncartello_indicatore,  1010,   (A)");
        write_file(p.file("S/V_linea.txt"), line);
    };
    const std::string diagnostic =
        "S/V_linea.txt:45:23: error: the roadside sign (A) at 1010 m goes into route cell 21, which already holds "
        "the roadside sign (Cippo )(  Km  )( 1+000) at 1000 m [sign-cell-taken]\n";
    const Scenario refused("--title V --train-code 'T 1'");
    with_error(refused);
    const Outcome no = refused.run("package S --out out");
    EXPECT_EQ(no.status, exit_status::scenario_error);
    EXPECT_EQ(no.out, "");
    EXPECT_EQ(no.err.substr(0, diagnostic.size()), diagnostic);
    EXPECT_TRUE(
        no.err.ends_with("1 error, 0 warnings\nscenario-tool: nothing was packaged: the scenario has errors "
                         "(--allow-errors packages it as the program would run it)\n"))
        << no.err;
    EXPECT_FALSE(fs::exists(refused.file("out")));

    // Allowed: the status and the files are compile's, and the run leaves
    // no description behind.
    const Outcome yes = refused.run("package S --out out --allow-errors");
    const Outcome compiled = refused.run("compile S --out compiled");
    EXPECT_EQ(yes.status, compiled.status);
    EXPECT_EQ(yes.status, exit_status::scenario_error);
    EXPECT_TRUE(yes.err.ends_with("scenario-tool: packaged all the same, as the program will run it: out/V_T 1\n"))
        << yes.err;
    const ProgramRun run(refused.file("out/V_T 1"), "V_T 1");
    EXPECT_EQ(run.outcome.status, 0) << run.outcome.err;
    EXPECT_EQ(TempFolder::list(run.folder.path().string()),
              (std::vector<std::string>{"V_T 1.dat", "V_T 1.sim", "V_T 1_note.txt", "V_T 1_rallentamenti.txt",
                                        "V_T 1_scheda_treno.txt", "V_linea.dat"}));
    for (const std::string& name : TempFolder::list(refused.file("compiled"))) {
        EXPECT_TRUE(read_file(run.file(name)) == read_file(refused.file("compiled/" + name))) << name;
    }
}

TEST(Package, WarningsBlockOnlyWithWerror) {
    const Scenario p("--title V --train-code 'T 1'");
    std::string train = read_file(p.file("S/V_T 1-.txt"));
    train.replace(train.find("velocita,   3000,    80"), 23, "velocita,   3000,    82");
    write_file(p.file("S/V_T 1-.txt"), train);
    const std::string warning =
        "S/V_T 1-.txt:22:22: warning: line speed 82 km/h is stored in steps of 5 km/h, as 80 km/h "
        "[speed-not-multiple-of-5]\n 22 | velocita,   3000,    82\n    |                      ^~\n";
    const Outcome shown = p.run("package S --out a");
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.err, warning + "0 errors, 1 warning\n");
    EXPECT_TRUE(fs::exists(p.file("a/V_T 1")));
    const Outcome blocked = p.run("package S --out b --werror");
    EXPECT_EQ(blocked.status, exit_status::scenario_error);
    EXPECT_FALSE(fs::exists(p.file("b")));
    const Outcome silenced = p.run("package S --out c --werror -W no-speed-not-multiple-of-5");
    EXPECT_EQ(silenced.status, 0);
    EXPECT_EQ(silenced.err, "");
}

TEST(Package, TheEndMarkerAsALineIsRefusedWhereItStands) {
    for (const std::string options : {"", " --allow-errors"}) {
        SCOPED_TRACE(options);
        const Scenario p("--title V --train-code 'T 1'");
        write_file(p.file("S/V_T 1_rallentamenti.txt"), "first\nriferimento fine del file\nlast\n");
        const Outcome r = p.run("package S --out out" + options);
        EXPECT_EQ(r.status, exit_status::scenario_error);
        EXPECT_EQ(r.err,
                  "S/V_T 1_rallentamenti.txt:2:1: error: the line is the end marker of the program's fixed texts, "
                  "\"riferimento fine del file\": it would end the text here\n"
                  " 2 | riferimento fine del file\n"
                  "   | ^~~~~~~~~~~~~~~~~~~~~~~~~\n"
                  "1 error, 0 warnings\n"
                  "scenario-tool: nothing was packaged: a text holds the end marker as a line\n");
        EXPECT_FALSE(fs::exists(p.file("out")));
    }
}

TEST(Package, RefusesWhatItCannotPackage) {
    TempFolder work;
    ASSERT_EQ(run_tool("new S --title V --train-code 'T 1'", work.path().string()).status, 0);
    fs::remove(work.file("S/V_T 1_scheda_treno.txt"));
    const Outcome r = run_tool("package S", work.path().string());
    EXPECT_EQ(r.status, exit_status::no_input);
    EXPECT_EQ(r.err,
              "scenario-tool: timetable sheet 'S/V_T 1_scheda_treno.txt' does not exist: a package needs all five "
              "files\n");
    // A runner for another system is looked for beside the tool only.
    const std::string beside = fs::path(TOOL_PATH).replace_filename("scenario-runner.exe").string();
    if (!fs::exists(beside)) {
        const Outcome windows = run_tool("package S --target windows", work.path().string());
        EXPECT_EQ(windows.status, exit_status::usage);
        EXPECT_EQ(windows.err, "scenario-tool: --target windows needs the runner '" + beside +
                                   "', which is not there: copy scenario-runner.exe (from the tool's package for "
                                   "windows, or from a build for it) beside the tool\n"
                                   "run `scenario-tool package --help`\n");
    }
    EXPECT_EQ(TempFolder::list(work.path().string()), std::vector<std::string>{});
}

}  // namespace
}  // namespace scenario::tool
