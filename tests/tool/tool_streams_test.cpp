// What the built tool writes where: standard output that is closed or full,
// arguments and paths echoed to a terminal, titles drawn into SVG and HTML,
// and names carried in JSON.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "support/process.h"
#include "tool/authoring.h"
#include "tool/base/display_text.h"

namespace scenario::tool {
namespace {

using Json = nlohmann::json;
using testing::CompiledEmbeddedScenario;
using testing::embedded_line;
using testing::embedded_train;
using testing::Outcome;
using testing::quoted;
using testing::read_file;
using testing::run_tool;
using testing::TempFolder;
using testing::write_file;

const std::string commands = "compile, check, explain, dump, diff, plot, view, new, package and lsp";

std::string usage(const std::string& first_line, const std::string& command) {
    return "scenario-tool: " + first_line + "\nrun `scenario-tool" + (command.empty() ? "" : " " + command) +
           " --help`\n";
}

// The built tool with its standard output a pipe whose reading end was
// closed before the tool started: its first write there finds no reader.
Outcome run_into_closed_pipe(const std::vector<std::string>& arguments, const std::string& cwd) {
    const TempFolder streams;
    const std::string err = streams.file("err");
    std::vector<char*> argv{const_cast<char*>(TOOL_PATH)};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int ends[2];
    if (::pipe(ends) != 0) return {};
    ::close(ends[0]);
    const pid_t child = ::fork();
    if (child == 0) {
        // The tool must ignore the signal itself, not inherit it ignored.
        std::signal(SIGPIPE, SIG_DFL);
        const int in = ::open("/dev/null", O_RDONLY);
        const int error = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || error < 0 || ::dup2(in, STDIN_FILENO) < 0 || ::dup2(ends[1], STDOUT_FILENO) < 0 ||
            ::dup2(error, STDERR_FILENO) < 0 || ::chdir(cwd.c_str()) != 0) {
            ::_exit(126);
        }
        ::execv(TOOL_PATH, argv.data());
        ::_exit(127);
    }
    ::close(ends[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), "", read_file(err)};
}

class ToolStreams : public CompiledEmbeddedScenario {};

TEST_F(ToolStreams, AClosedOutputPipeIsAFailedWriteInEveryCommand) {
    TempFolder work;
    const std::vector<std::string> descriptions{"--line",  embedded_line(), "--train",      embedded_train(),
                                                "--title", "Valcorvina",    "--train-code", "IC 318"};
    const std::vector<std::string> compiled{"--sim", sim(), "--dat", dat(), "--geometry", geometry()};
    const auto with = [](std::vector<std::string> first, const std::vector<std::string>& more) {
        first.insert(first.end(), more.begin(), more.end());
        return first;
    };
    const std::string broken_pipe = "scenario-tool: cannot write standard output (Broken pipe)\n";
    const struct {
        std::vector<std::string> arguments;
        std::string err;
    } cases[] = {
        {{"--help"}, broken_pipe},
        {{"--version"}, broken_pipe},
        {{"plot", "--help"}, broken_pipe},
        {{"explain"}, broken_pipe},
        {{"explain", "decimal-comma"}, broken_pipe},
        {with({"compile", "--out", work.path().string()}, descriptions), broken_pipe},
        {with({"compile", "--json", "--out", work.path().string()}, descriptions), broken_pipe},
        {with({"check", "-W", "no-decimal-comma"}, descriptions), broken_pipe},
        {with({"plot", "--out", "-"}, compiled), broken_pipe},
        {with({"view", "--out", "-"}, compiled), broken_pipe},
        {with({"view", "--out", "-"}, descriptions), broken_pipe},
        {{"dump", sim()}, "scenario-tool: cannot write the dump: Broken pipe\n"},
    };
    for (const auto& c : cases) {
        const Outcome r = run_into_closed_pipe(c.arguments, work.path().string());
        EXPECT_EQ(r.status, exit_status::cannot_write) << c.arguments.front() << " " << c.arguments.back();
        EXPECT_EQ(testing::without_embedded_warning(r.err), c.err) << c.arguments.front() << " " << c.arguments.back();
    }
}

TEST(ToolStreamsOnAFullDevice, HelpAndVersionReportTheFailedWrite) {
    TempFolder work;
    for (const std::string arguments : {"--help", "--version", "dump --help", "compile -h"}) {
        const scenario::testing::Run r =
            scenario::testing::run_shell(quoted(TOOL_PATH) + " " + arguments + " >/dev/full");
        EXPECT_EQ(r.status, exit_status::cannot_write) << arguments;
        EXPECT_EQ(testing::without_embedded_warning(r.err),
                  "scenario-tool: cannot write standard output (No space left on device)\n")
            << arguments;
    }
}

TEST_F(ToolStreams, EveryEchoedArgumentIsShownEscaped) {
    TempFolder work;
    const std::string sources = "--line " + quoted(embedded_line()) + " --train " + quoted(embedded_train());
    const std::string kinds = "station, sign, kilometre break, sizes, identity, repetition, unused, empty";
    const struct {
        std::string arguments;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {"dump " + quoted("x\x1b[2Jevil.sim"), exit_status::no_input, "", "x\\x1b[2Jevil.sim: does not exist\n"},
        // Single-byte letters of a name come out as UTF-8.
        {"dump " + quoted("citt\xe0.sim"), exit_status::no_input, "", "citt\xc3\xa0.sim: does not exist\n"},
        {quoted("cmp\x1b]0;x\x07"), exit_status::usage, "",
         usage("'cmp\\x1b]0;x\\x07' is not a command; the commands are " + commands, "")},
        {"compile " + quoted("--js\non"), exit_status::usage, "",
         usage("unknown option '--js\\x0aon'; did you mean `--json`?", "compile")},
        // Escaped once: the message is escaped where it is printed only.
        {"explain " + quoted("\x1b[2J"), exit_status::usage, "",
         usage("no diagnostic is named or numbered '\\x1b[2J'; `scenario-tool explain` lists them all", "explain")},
        {"dump x.sim --from " + quoted("\x1b[2J"), exit_status::usage, "",
         usage("--from '\\x1b[2J' is neither metres (500000 or 500000m) nor a kilometre reading (92.5km)", "dump")},
        {"dump " + quoted(sim()) + " --kind " +
             quoted("\x9b"
                    "2J"),
         exit_status::usage, "", usage("--kind '\\x9b2J' is no kind of record; the kinds are " + kinds, "dump")},
        {"compile " + sources + " --title T --train-code C --color " + quoted("\x1b"), exit_status::usage, "",
         usage("--color: '\\x1b' is none of auto, always and never", "compile")},
        {"compile " + sources + " --title T --train-code C --out " + quoted("/dev/null/\x1b[31m"),
         exit_status::cannot_create, "",
         "scenario-tool: cannot create the output folder '/dev/null/\\x1b[31m' (Not a directory)\n"},
        {"plot --line a --train b --out " + quoted("d\x1b/x.svg"), exit_status::cannot_create, "",
         "scenario-tool: output folder 'd\\x1b' does not exist\n"},
        // A message of the file layer names the path too.
        {"plot --sim " + quoted("a\x1b.sim") + " --dat b.dat --out -", exit_status::no_input, "",
         "scenario-tool: cannot open for reading (does not exist) 'a\\x1b.sim'\n"},
        {"compile " + sources + " --title " + quoted("T\x1b[8m") + " --train-code " + quoted("C\r"), exit_status::done,
         "wrote T\\x1b[8m_linea.dat, T\\x1b[8m_C\\x0d.sim and T\\x1b[8m_C\\x0d.dat into .\n", ""},
        {"plot --sim " + quoted(sim()) + " --dat " + quoted(dat()) + " --out " + quoted("p\x1b.svg"), exit_status::done,
         "drew p\\x1b.svg\n", ""},
    };
    for (const auto& c : cases) {
        const Outcome r = run_tool(c.arguments + " </dev/null", work.path().string());
        EXPECT_EQ(r.status, c.status) << c.arguments;
        EXPECT_EQ(r.out, c.out) << c.arguments;
        EXPECT_EQ(testing::without_embedded_warning(r.err), c.err) << c.arguments;
    }
}

// The text of the SVG element that follows `marker`, up to its end.
std::string element_text(const std::string& svg, const std::string& marker) {
    const std::size_t from = svg.find(marker);
    if (from == std::string::npos) return "(none)";
    const std::size_t text = from + marker.size();
    return svg.substr(text, svg.find("</text>", text) - text);
}

// The data of a viewer page.
Json page_data(const std::string& page) {
    const std::string open = "<script id=\"scenario-data\" type=\"application/json\">";
    const std::size_t from = page.find(open);
    if (from == std::string::npos) return nullptr;
    const std::size_t data = from + open.size();
    return Json::parse(page.substr(data, page.find("</script>", data) - data), nullptr, false);
}

TEST_F(ToolStreams, TitlesAndTrainCodesReachSvgAndPageAsUtf8) {
    if (scenario::testing::run_shell("xmllint --version").status != 0) GTEST_SKIP() << "xmllint is missing";
    TempFolder work;
    const struct {
        const char* what;
        std::string given;
        std::string in_svg;   // as the SVG holds it, XML escapes and all
        std::string on_page;  // as the page's data holds it: the page shows it as text
    } cases[] = {
        {"ASCII", "Valcorvina", "Valcorvina", "Valcorvina"},
        {"UTF-8", "Valc\xc3\xb2rvina", "Valc\xc3\xb2rvina", "Valc\xc3\xb2rvina"},
        {"single-byte", "Valc\xf2rvina", "Valc\xc3\xb2rvina", "Valc\xc3\xb2rvina"},
        {"no text at all", "\xff\xfe\x80", "\xc3\xbf\xc3\xbe\\x80", "\xc3\xbf\xc3\xbe\xc2\x80"},
        {"control characters", "Val\x1b[31m\ncorvina", "Val\\x1b[31m\\x0acorvina", "Val\x1b[31m\ncorvina"},
        {"markup", "<b>&amp;", "&lt;b&gt;&amp;amp;", "<b>&amp;"},
        {"no XML character", "V\xef\xbf\xbf", "V\xef\xbf\xbd", "V\xef\xbf\xbf"},
    };
    const std::string compiled = " --sim " + quoted(sim()) + " --dat " + quoted(dat());
    for (const auto& c : cases) {
        const std::string heading = " --title " + quoted(c.given) + " --train-code " + quoted(c.given);
        const Outcome plot = run_tool("plot" + compiled + heading + " --out plot.svg", work.path().string());
        ASSERT_EQ(plot.status, 0) << c.what << ": " << plot.err;
        const scenario::testing::Run lint =
            scenario::testing::run_shell("xmllint --noout " + quoted(work.file("plot.svg")));
        EXPECT_EQ(lint.status, 0) << c.what << ": " << lint.err;
        EXPECT_EQ(element_text(read_file(work.file("plot.svg")), "font-size=\"20\" font-weight=\"bold\">"),
                  c.in_svg + " \xe2\x80\x94 " + c.in_svg)
            << c.what;

        const Outcome view = run_tool("view" + compiled + heading + " --out page.html", work.path().string());
        ASSERT_EQ(view.status, 0) << c.what << ": " << view.err;
        const std::string page = read_file(work.file("page.html"));
        EXPECT_TRUE(is_valid_utf8(page)) << c.what;
        const Json data = page_data(page);
        ASSERT_FALSE(data.is_discarded()) << c.what;
        EXPECT_EQ(data["heading"], (Json{{"title", c.on_page}, {"trainCode", c.on_page}})) << c.what;
    }
}

// A train description whose first station bears `name`.
std::string train_with_station(const std::string& name) {
    std::string train = read_file(embedded_train());
    const std::size_t at = train.find(", Brenzola\n");
    if (at != std::string::npos) train.replace(at + 2, 8, name);
    return train;
}

TEST(ToolStreamsJson, NamesAreCarriedAsTheyAreNotAsATerminalShowsThem) {
    const struct {
        const char* what;
        std::string name;
        std::string in_json;  // decoded
    } cases[] = {
        {"a control character", "Bren\x01zola", "Bren\x01zola"},
        {"its escape, written out", "Bren\\x01zola", "Bren\\x01zola"},
        // Bytes that are not UTF-8 are single-byte letters, as a terminal shows them.
        {"single-byte", "Citt\xe0", "Citt\xc3\xa0"},
        {"UTF-8", "Citt\xc3\xa0", "Citt\xc3\xa0"},
    };
    for (const auto& c : cases) {
        TempFolder work;
        write_file(work.file("train.txt"), train_with_station(c.name));
        const std::string names = " --title " + quoted(c.name) + " --train-code T";
        const Outcome compile = run_tool(
            "compile --json --line " + quoted(embedded_line()) + " --train train.txt" + names, work.path().string());
        ASSERT_EQ(compile.status, 0) << c.what << ": " << compile.err;
        EXPECT_EQ(Json::parse(compile.out)["written"],
                  (Json{c.in_json + "_linea.dat", c.in_json + "_T.sim", c.in_json + "_T.dat"}))
            << c.what;

        const Outcome dump = run_tool("dump --json --kind station " + quoted(c.name + "_T.sim"), work.path().string());
        ASSERT_EQ(dump.status, 0) << c.what << ": " << dump.err;
        EXPECT_EQ(Json::parse(dump.out.substr(0, dump.out.find('\n')))["name"], c.in_json) << c.what;

        // A description that is not there is an error at its name.
        const Outcome check =
            run_tool("check --json --line " + quoted(c.name + ".txt") + " --train train.txt", work.path().string());
        EXPECT_EQ(Json::parse(check.out)["file"], c.in_json + ".txt") << c.what;
    }
}

}  // namespace
}  // namespace scenario::tool
