// scenario-tool: compiles an author's line and train descriptions with the
// program's own compactor, decodes the binary files and plots the line.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "io/file_system.h"
#include "tool/base/display_text.h"
#include "tool/base/wording.h"
#include "tool/commands/commands.h"
#include "tool/lsp/documents.h"
#include "tool/lsp/server.h"

#ifndef TOOL_VERSION
#define TOOL_VERSION "unknown"
#endif
#ifndef TOOL_COMMIT
#define TOOL_COMMIT "unknown"
#endif

namespace {

using namespace scenario::tool;

// A value that must be one of a few words; the message names them all.
CLI::Validator one_of(const std::vector<std::string>& words) {
    return CLI::Validator(
        [words](std::string& value) -> std::string {
            if (std::find(words.begin(), words.end(), value) != words.end()) return {};
            return "'" + value + "' is none of " + listing(words);
        },
        "");
}

// A count of 1 or more, told in the tool's words before CLI11 converts it.
const CLI::Validator count_of_one_or_more(
    [](std::string& value) -> std::string {
        const bool digits = !value.empty() && value.size() <= 18 &&
                            std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (digits && value.find_first_not_of('0') != std::string::npos) return {};
        return "'" + value + "' is not a whole number of 1 or more";
    },
    "");

void add_sources(CLI::App& command, Sources& sources) {
    command.add_option("--line", sources.line, "the line description; - for standard input")->required();
    command.add_option("--train", sources.train, "the train description; - for standard input")->required();
    command.add_option("--title", sources.title, "the scenario title; the first part of every file name")->required();
    command.add_option("--train-code", sources.trainCode, "the train code; the second part of the train files' names")
        ->required();
}

// The diagnostics' options of compile and check.
void add_diagnostic_options(CLI::App& command, DiagnosticOptions& options, std::string& colour) {
    command.add_flag("--werror", options.warningsAreErrors, "treat every warning as an error");
    command.add_option("-W", options.warnings, "-W no-NAME: do not report the warning NAME (repeatable)");
    command.add_option("--color", colour, "colour the diagnostics: auto (on a terminal), always or never")
        ->check(one_of({"auto", "always", "never"}))
        ->default_str("auto");
}

bool colour_wanted(const std::string& colour) {
    if (colour == "always") return true;
    if (colour == "never") return false;
    const char* term = std::getenv("TERM");
    return ::isatty(STDERR_FILENO) != 0 && (term == nullptr || std::string(term) != "dumb");
}

// What a command printed must have reached standard output: a full disk or
// a closed stream there is a failure like any other failed write.
int checked_output(int status) {
    // A command that reported a failed write of its own output has said why.
    if (status == exit_status::cannot_write) return status;
    // A stream that failed earlier writes nothing more: the reason is then
    // the one its last write left.
    const int earlier = errno;
    errno = 0;
    std::cout.flush();
    int error = errno;
    const bool stream_good = std::cout.good();
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    if (error == 0) error = errno;
    if (stream_good && flushed) return status;
    if (error == 0) error = earlier;
    std::cerr << program_name << ": cannot write standard output ("
              << (error != 0 ? std::strerror(error) : "write error") << ")\n";
    return exit_status::cannot_write;
}

// The address of the reference page of the diagnostics: installed beside
// the tool, else in the source tree it was built from.
std::string reference_page() {
    std::error_code error;
    for (const char* page : {TOOL_REFERENCE_INSTALLED, TOOL_REFERENCE_SOURCE}) {
        if (std::filesystem::is_regular_file(page, error)) return lsp::uri_of_path(page);
    }
    return lsp::uri_of_path(TOOL_REFERENCE_SOURCE);
}

// The scenario to draw: both descriptions, or the compiled files.
void add_scenario_input(CLI::App& command, Sources& sources, std::string& records, std::string& cells,
                        std::string& geometry) {
    command.add_option("--line", sources.line, "the line description; - for standard input");
    command.add_option("--train", sources.train, "the train description; - for standard input");
    command.add_option("--title", sources.title, "the scenario title, for the heading");
    command.add_option("--train-code", sources.trainCode, "the train code, for the heading");
    command.add_option("--sim", records, "the compiled scenario records (.sim), instead of the descriptions");
    command.add_option("--dat", cells, "the compiled route cells (.dat)");
    command.add_option("--geometry", geometry, "the compiled plan geometry (_linea.dat), for the plan and curves");
}

// Every name a command's options go by: "--out", "-W", "--help".
std::vector<std::string> option_names(const CLI::App& command) {
    std::vector<std::string> names;
    for (const CLI::Option* option : command.get_options()) {
        for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
        for (const std::string& name : option->get_snames()) names.push_back("-" + name);
    }
    return names;
}

std::vector<std::string> command_names(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::App* command : app.get_subcommands({})) names.push_back(command->get_name());
    return names;
}

// What is wrong with an argument nothing took, in the tool's words, with the
// name it most likely meant.
std::string unknown_argument(const CLI::App& app, const CLI::App* command, const std::string& argument) {
    const bool option = argument.size() > 1 && argument[0] == '-';
    if (!option && command == nullptr) {
        const std::vector<std::string> commands = command_names(app);
        if (const auto meant = nearest_name(argument, commands)) {
            return "'" + argument + "' is not a command; did you mean `" + *meant + "`?";
        }
        return "'" + argument + "' is not a command; the commands are " + listing(commands);
    }
    if (!option) return "unexpected argument '" + argument + "'";
    const std::string name = argument.substr(0, argument.find('='));
    if (const auto meant = nearest_name(name, option_names(command != nullptr ? *command : app))) {
        return "unknown option '" + name + "'; did you mean `" + *meant + "`?";
    }
    return "unknown option '" + name + "'";
}

// The first argument that neither the tool nor its command took.
std::optional<std::string> first_unknown(const CLI::App& app, const CLI::App* command) {
    const std::vector<std::string> before = app.remaining();
    if (!before.empty()) return unknown_argument(app, nullptr, before.front());
    if (command == nullptr) return std::nullopt;
    const std::vector<std::string> after = command->remaining();
    if (!after.empty()) return unknown_argument(app, command, after.front());
    return std::nullopt;
}

// The required options and arguments of a command that were not given, all
// of them.
std::vector<std::string> missing_required(const CLI::App& command) {
    std::vector<std::string> missing;
    for (const CLI::Option* option : command.get_options()) {
        if (option->get_required() && option->count() == 0) missing.push_back(option->get_name());
    }
    return missing;
}

// What CLI11 found wrong, in the tool's words where they differ.
std::string parse_error_text(const CLI::ParseError& wrong, const CLI::App* command) {
    if (command != nullptr) {
        if (const std::vector<std::string> missing = missing_required(*command); !missing.empty()) {
            return "missing " + listing(missing);
        }
        const bool mismatch = dynamic_cast<const CLI::ArgumentMismatch*>(&wrong) != nullptr;
        for (const CLI::Option* option : command->get_options()) {
            const std::string name = option->get_name();
            if (!mismatch || std::string(wrong.what()).rfind(name + ":", 0) != 0) continue;
            if (option->count() == 0) return name + " needs a value";
            if (option->count() > 1) return name + " is given more than once";
        }
    }
    return wrong.what();
}

// A failure, told on standard error. Messages echo arguments and paths as
// given; they are escaped here, where every message is printed, so that no
// name can steer the terminal or spread over lines.
void tell(const std::string& what) { std::cerr << program_name << ": " << terminal_text(what) << "\n"; }

// A usage error: what is wrong, and where the usage is; never the whole help.
int usage_error(const CLI::App* command, const std::string& what) {
    tell(what);
    std::cerr << "run `" << program_name << (command != nullptr ? " " + command->get_name() : std::string())
              << " --help`\n";
    return exit_status::usage;
}

int run(int argc, char** argv) {
    // Past a file-size limit, or into a pipe whose reader has gone, a write
    // fails with its reason instead of killing the tool half-way; the reason
    // is told like that of any other failed write.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    CLI::App app{"Compiles, inspects and plots scenarios with the compactor's own reader and writers.", program_name};
    app.require_subcommand(0, 1);
    app.allow_extras();
    app.set_version_flag("--version", std::string(program_name) + " " + TOOL_VERSION + " (commit " TOOL_COMMIT ")",
                         "print the version and the commit it was built from");
    app.footer(exit_status_help);

    CompileOptions compile;
    CLI::App* compile_app = app.add_subcommand(
        "compile", "Compile a line and a train description into the three binary files, and explain any error.");
    add_sources(*compile_app, compile.sources);
    compile_app->add_option("--out", compile.out,
                            "the folder for the binary files, created when missing (default: the current folder)");
    compile_app->add_flag("--no-geometry", compile.noGeometry, "compile without the plan geometry");
    compile_app->add_flag("--json", compile.json, "report as one JSON object on standard output");
    std::string compile_colour = "auto";
    add_diagnostic_options(*compile_app, compile.diagnostics, compile_colour);

    CheckOptions check;
    CLI::App* check_app =
        app.add_subcommand("check", "Report every error and warning of a line and a train description; write nothing.");
    check_app->add_option("--line", check.sources.line, "the line description; - for standard input")->required();
    check_app->add_option("--train", check.sources.train, "the train description; - for standard input")->required();
    check.sources.title = "scenario";
    check.sources.trainCode = "train";
    check_app->add_option("--title", check.sources.title, "the scenario title (default: scenario)");
    check_app->add_option("--train-code", check.sources.trainCode, "the train code (default: train)");
    check_app->add_flag("--no-geometry", check.noGeometry, "read without the plan geometry, as compile --no-geometry");
    check_app->add_flag("--json", check.json, "report as one JSON object on standard output");
    std::string check_colour = "auto";
    add_diagnostic_options(*check_app, check.diagnostics, check_colour);

    ExplainOptions explain;
    CLI::App* explain_app = app.add_subcommand(
        "explain", "Explain a diagnostic: what it means, its causes, how to fix it; without NAME, list them all.");
    explain_app->add_option("NAME", explain.what, "a diagnostic's name (as shown in brackets) or an error code");

    DumpOptions dump;
    CLI::App* dump_app = app.add_subcommand(
        "dump",
        "Decode a .sim, .dat or _linea.dat file, recognised by its name's ending, one row a record, cell or "
        "metre.");
    dump_app->add_option("FILE", dump.file, "the file to decode; - for standard input (with --as)")->required();
    dump_app->add_flag("--json", dump.json, "one JSON object a line");
    dump_app->add_flag("--all", dump.all, "show the empty records of a .sim file too");
    dump_app->add_option("--from", dump.from,
                         "the first metre (500000) or kilometre reading (92.5km) to show; of the records, the "
                         "stations and kilometre breaks that lie there");
    dump_app->add_option("--to", dump.to, "the last metre or kilometre reading to show");
    dump_app
        ->add_option("--kind", dump.kinds,
                     "only these kinds: of record (station, sign, kilometre break, sizes, identity, repetition) or "
                     "of cell (signal, station stop, ... or a number); repeat or separate with commas")
        ->delimiter(',');
    dump_app->add_option("--every", dump.every, "show the first selected row and every Nth after it")
        ->check(count_of_one_or_more);
    dump_app->add_option("--as", dump.as, "what the file holds, whatever its name: sim, dat or geometry");
    dump_app->add_option("--sim", dump.sim,
                         "the .sim file whose kilometre-point breaks give the kilometre readings of a .dat or "
                         "_linea.dat file (default: the .sim beside it)");

    DiffOptions diff;
    CLI::App* diff_app = app.add_subcommand(
        "diff",
        "Show the records, cells or metres in which two compiled files of the same kind differ; exit 0 when "
        "equal, 1 when not.");
    diff_app->add_option("A", diff.a, "the first file")->required();
    diff_app->add_option("B", diff.b, "the second file")->required();
    diff_app->add_option("--as", diff.as, "what both files hold, whatever their names: sim, dat or geometry");

    PlotOptions plot;
    CLI::App* plot_app = app.add_subcommand(
        "plot", "Draw the line's plan and its profile along the route as SVG, from descriptions or compiled files.");
    add_scenario_input(*plot_app, plot.sources, plot.records, plot.cells, plot.geometry);
    plot_app->add_option("--from", plot.from, "draw from here: metres (12500) or a kilometre reading (12.5km)");
    plot_app->add_option("--to", plot.to, "draw up to here: metres or a kilometre reading");
    plot_app->add_option("--out", plot.out, "the SVG file, or - for standard output")->required();

    // view: the scenario as one self-contained HTML page.
    ViewOptions view;
    CLI::App* view_app =
        app.add_subcommand("view", "Write one self-contained HTML page to explore the scenario in a browser, offline.");
    add_scenario_input(*view_app, view.input.sources, view.input.records, view.input.cells, view.input.geometry);
    view_app->add_option("--out", view.out, "the HTML file, or - for standard output")->required();

    // lsp: the language server, for editors.
    CLI::App* lsp_app = app.add_subcommand(
        "lsp", "Serve the Language Server Protocol on standard input and output, for an editor's client.");
    bool stdio = true;
    lsp_app->add_flag("--stdio", stdio,
                      "speak over standard input and output (the only way; taken for clients that ask)");

    const std::vector<CLI::App*> commands{compile_app, check_app, explain_app, dump_app,
                                          diff_app,    plot_app,  view_app,    lsp_app};
    for (CLI::App* command : commands) {
        command->allow_extras();
        command->footer(exit_status_help);
    }
    const auto chosen_command = [&commands]() -> const CLI::App* {
        for (const CLI::App* command : commands) {
            if (command->parsed()) return command;
        }
        return nullptr;
    };

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& help_or_version) {
        return checked_output(app.exit(help_or_version));
    } catch (const CLI::ParseError& wrong) {
        const CLI::App* command = chosen_command();
        // An argument nothing took comes first: it often explains the rest.
        if (const auto unknown = first_unknown(app, command)) return usage_error(command, *unknown);
        return usage_error(command, parse_error_text(wrong, command));
    }
    const CLI::App* command = chosen_command();
    if (const auto unknown = first_unknown(app, command)) return usage_error(command, *unknown);
    if (command == nullptr)
        return usage_error(nullptr, "no command given; the commands are " + listing(command_names(app)));

    try {
        if (command == compile_app) {
            compile.diagnostics.colour = colour_wanted(compile_colour);
            take_standard_input(compile.sources, std::cin);
            return checked_output(compile_command(compile, std::cout, std::cerr));
        }
        if (command == check_app) {
            check.diagnostics.colour = colour_wanted(check_colour);
            take_standard_input(check.sources, std::cin);
            return checked_output(check_command(check, std::cout, std::cerr));
        }
        if (command == explain_app) return checked_output(explain_command(explain, std::cout, std::cerr));
        if (command == lsp_app) return lsp::serve_standard_streams(reference_page());
        if (command == dump_app) return checked_output(dump_command(dump, std::cout, std::cerr));
        if (command == diff_app) return checked_output(diff_command(diff, std::cout, std::cerr));
        if (command == view_app) {
            take_standard_input(view.input.sources, std::cin);
            return checked_output(view_command(view, std::cout, std::cerr));
        }
        take_standard_input(plot.sources, std::cin);
        return checked_output(plot_command(plot, std::cout, std::cerr));
    } catch (const UsageError& wrong) {
        return usage_error(command, wrong.what());
    } catch (const CommandFailure& failure) {
        tell(failure.what());
        return failure.status();
    } catch (const scenario::FileError& failure) {
        tell(failure.what());
        return exit_status::cannot_write;
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& failure) {
        std::cerr << program_name << ": cannot go on: " << terminal_text(failure.what()) << "\n";
        return exit_status::failed;
    } catch (...) {
        std::cerr << program_name << ": cannot go on: unexpected failure\n";
        return exit_status::failed;
    }
}
