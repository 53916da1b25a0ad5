// scenario-tool: compiles an author's line and train descriptions with the
// program's own compactor, decodes the binary files and plots the line.
#include <algorithm>
#include <cerrno>
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
#include "tool/commands/console.h"
#include "tool/commands/folder_sources.h"
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

// A scenario folder, the positional argument of every command that also
// takes --line and --train.
void add_folder(CLI::App& command, std::string& folder) {
    command.add_option("FOLDER", folder,
                       "a scenario folder: TITLE_linea.txt, TITLE_CODE-.txt and the documents, named as the program "
                       "names them (instead of --line and --train)");
}

void add_sources(CLI::App& command, std::string& folder, Sources& sources) {
    add_folder(command, folder);
    command.add_option("--line", sources.line, "the line description; - for standard input");
    command.add_option("--train", sources.train, "the train description; - for standard input");
    command.add_option("--title", sources.title,
                       "the scenario title; the first part of every file name (with FOLDER: chooses among several)");
    command.add_option("--train-code", sources.trainCode,
                       "the train code; the second part of the train files' names (with FOLDER: chooses among "
                       "several)");
}

// The diagnostics' options of compile and check.
void add_diagnostic_options(CLI::App& command, DiagnosticOptions& options, std::string& colour) {
    command.add_flag("--werror", options.warningsAreErrors, "treat every warning as an error");
    command.add_option("-W", options.warnings, "-W no-NAME: do not report the warning NAME (repeatable)");
    command.add_option("--color", colour, "colour the diagnostics: auto (on a terminal), always or never")
        ->check(one_of({"auto", "always", "never"}))
        ->default_str("auto");
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

// The scenario to draw: a scenario folder, both descriptions, or the
// compiled files.
void add_scenario_input(CLI::App& command, std::string& folder, Sources& sources, std::string& records,
                        std::string& cells, std::string& geometry) {
    add_folder(command, folder);
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

// Every command's options, and the command each is parsed into.
// The address of the reference page of the diagnostics: installed beside
// the tool, else in the source tree it was built from.
std::string reference_page() {
    std::error_code error;
    for (const char* page : {TOOL_REFERENCE_INSTALLED, TOOL_REFERENCE_SOURCE}) {
        if (std::filesystem::is_regular_file(page, error)) return lsp::uri_of_path(page);
    }
    return lsp::uri_of_path(TOOL_REFERENCE_SOURCE);
}

struct Commands {
    // The scenario folder of each command that takes one.
    std::string compileFolder;
    std::string checkFolder;
    std::string plotFolder;
    std::string viewFolder;
    std::string compileColour = "auto";
    std::string checkColour = "auto";
    std::string packageColour = "auto";

    CompileOptions compile;
    CheckOptions check;
    ExplainOptions explain;
    DumpOptions dump;
    DiffOptions diff;
    PlotOptions plot;
    ViewOptions view;
    NewOptions fresh;
    PackageOptions package;
    bool lspStdio = true;

    CLI::App* compileApp = nullptr;
    CLI::App* checkApp = nullptr;
    CLI::App* explainApp = nullptr;
    CLI::App* dumpApp = nullptr;
    CLI::App* diffApp = nullptr;
    CLI::App* plotApp = nullptr;
    CLI::App* viewApp = nullptr;
    CLI::App* newApp = nullptr;
    CLI::App* packageApp = nullptr;
    CLI::App* lspApp = nullptr;

    std::vector<CLI::App*> all() const {
        return {compileApp, checkApp, explainApp, dumpApp, diffApp, plotApp, viewApp, newApp, packageApp, lspApp};
    }
    const CLI::App* chosen() const {
        for (const CLI::App* command : all()) {
            if (command->parsed()) return command;
        }
        return nullptr;
    }
};

// compile and check: the descriptions into binary files, or into diagnostics.
void add_reading_commands(CLI::App& app, Commands& c) {
    c.compileApp = app.add_subcommand(
        "compile", "Compile a line and a train description into the three binary files, and explain any error.");
    add_sources(*c.compileApp, c.compileFolder, c.compile.sources);
    c.compileApp->add_option("--out", c.compile.out,
                             "the folder for the binary files, created when missing (default: the current folder)");
    c.compileApp->add_flag("--no-geometry", c.compile.noGeometry, "compile without the plan geometry");
    c.compileApp->add_flag("--json", c.compile.json, "report as one JSON object on standard output");
    add_diagnostic_options(*c.compileApp, c.compile.diagnostics, c.compileColour);

    c.checkApp =
        app.add_subcommand("check", "Report every error and warning of a line and a train description; write nothing.");
    add_folder(*c.checkApp, c.checkFolder);
    c.checkApp->add_option("--line", c.check.sources.line, "the line description; - for standard input");
    c.checkApp->add_option("--train", c.check.sources.train, "the train description; - for standard input");
    c.checkApp->add_option("--title", c.check.sources.title,
                           "the scenario title (default: scenario; with FOLDER: chooses among several)");
    c.checkApp->add_option("--train-code", c.check.sources.trainCode,
                           "the train code (default: train; with FOLDER: chooses among several)");
    c.checkApp->add_flag("--no-geometry", c.check.noGeometry,
                         "read without the plan geometry, as compile --no-geometry");
    c.checkApp->add_flag("--json", c.check.json, "report as one JSON object on standard output");
    add_diagnostic_options(*c.checkApp, c.check.diagnostics, c.checkColour);

    c.explainApp = app.add_subcommand(
        "explain", "Explain a diagnostic: what it means, its causes, how to fix it; without NAME, list them all.");
    c.explainApp->add_option("NAME", c.explain.what, "a diagnostic's name (as shown in brackets) or an error code");
}

// dump and diff: the compiled files decoded.
void add_decoding_commands(CLI::App& app, Commands& c) {
    c.dumpApp = app.add_subcommand(
        "dump",
        "Decode a .sim, .dat or _linea.dat file, recognised by its name's ending, one row a record, cell or "
        "metre.");
    DumpOptions& dump = c.dump;
    c.dumpApp->add_option("FILE", dump.file, "the file to decode; - for standard input (with --as)")->required();
    c.dumpApp->add_flag("--json", dump.json, "one JSON object a line");
    c.dumpApp->add_flag("--all", dump.all, "show the empty records of a .sim file too");
    c.dumpApp->add_option("--from", dump.from,
                          "the first metre (500000) or kilometre reading (92.5km) to show; of the records, the "
                          "stations and kilometre breaks that lie there");
    c.dumpApp->add_option("--to", dump.to, "the last metre or kilometre reading to show");
    c.dumpApp
        ->add_option("--kind", dump.kinds,
                     "only these kinds: of record (station, sign, kilometre break, sizes, identity, repetition) or "
                     "of cell (signal, station stop, ... or a number); repeat or separate with commas")
        ->delimiter(',');
    c.dumpApp->add_option("--every", dump.every, "show the first selected row and every Nth after it")
        ->check(count_of_one_or_more);
    c.dumpApp->add_option("--as", dump.as, "what the file holds, whatever its name: sim, dat or geometry");
    c.dumpApp->add_option("--sim", dump.sim,
                          "the .sim file whose kilometre-point breaks give the kilometre readings of a .dat or "
                          "_linea.dat file (default: the .sim beside it)");

    c.diffApp = app.add_subcommand(
        "diff",
        "Show the records, cells or metres in which two compiled files of the same kind differ; exit 0 when "
        "equal, 1 when not.");
    c.diffApp->add_option("A", c.diff.a, "the first file")->required();
    c.diffApp->add_option("B", c.diff.b, "the second file")->required();
    c.diffApp->add_option("--as", c.diff.as, "what both files hold, whatever their names: sim, dat or geometry");
}

// plot and view: the scenario drawn.
void add_drawing_commands(CLI::App& app, Commands& c) {
    PlotOptions& plot = c.plot;
    c.plotApp = app.add_subcommand(
        "plot", "Draw the line's plan and its profile along the route as SVG, from descriptions or compiled files.");
    add_scenario_input(*c.plotApp, c.plotFolder, plot.sources, plot.records, plot.cells, plot.geometry);
    c.plotApp->add_option("--from", plot.from, "draw from here: metres (12500) or a kilometre reading (12.5km)");
    c.plotApp->add_option("--to", plot.to, "draw up to here: metres or a kilometre reading");
    c.plotApp->add_option("--out", plot.out, "the SVG file, or - for standard output")->required();

    // view: the scenario as one self-contained HTML page.
    ScenarioInput& input = c.view.input;
    c.viewApp =
        app.add_subcommand("view", "Write one self-contained HTML page to explore the scenario in a browser, offline.");
    add_scenario_input(*c.viewApp, c.viewFolder, input.sources, input.records, input.cells, input.geometry);
    c.viewApp->add_option("--out", c.view.out, "the HTML file, or - for standard output")->required();
}

// new and package: a scenario to start from, and a scenario made a program.
void add_authoring_commands(CLI::App& app, Commands& c) {
    c.newApp = app.add_subcommand(
        "new", "Write a small commented scenario to start from (or the program's own, --example) into FOLDER.");
    c.newApp->add_option("FOLDER", c.fresh.folder, "the folder to write into, created when missing")->required();
    c.newApp->add_option("--title", c.fresh.title, "the scenario title; the first part of every file name");
    c.newApp->add_option("--train-code", c.fresh.trainCode,
                         "the train code; the second part of the train files' names");
    c.newApp->add_flag("--example", c.fresh.example, "write the scenario the program carries, Valcorvina / IC 318");

    PackageOptions& package = c.package;
    c.packageApp = app.add_subcommand(
        "package", "Make a scenario folder into a program of its own, named TITLE_CODE as the program is.");
    c.packageApp->add_option("FOLDER", package.folder, "the scenario folder, with all five files")->required();
    c.packageApp->add_option("--target", package.target, "the system the program runs on: linux or windows")
        ->check(one_of({"linux", "windows"}));
    c.packageApp->add_option("--out", package.out,
                             "the folder for the program, created when missing (default: the current folder)");
    c.packageApp->add_option("--title", package.title, "the scenario title, to choose among several");
    c.packageApp->add_option("--train-code", package.trainCode, "the train code, to choose among several");
    c.packageApp->add_flag("--allow-errors", package.allowErrors,
                           "package a scenario with errors all the same, as the program will run it");
    add_diagnostic_options(*c.packageApp, package.diagnostics, c.packageColour);
}

// lsp: the language server, for editors.
void add_editor_commands(CLI::App& app, Commands& c) {
    c.lspApp = app.add_subcommand(
        "lsp", "Serve the Language Server Protocol on standard input and output, for an editor's client.");
    c.lspApp->add_flag("--stdio", c.lspStdio,
                       "speak over standard input and output (the only way; taken for clients that ask)");
}

// Runs the command parsed; its failures are the caller's to tell.
int run_command(Commands& c, const CLI::App* command) {
    if (command == c.compileApp) {
        c.compile.diagnostics.colour = console::colour(c.compileColour);
        take_scenario(c.compileFolder, c.compile.sources, NamesWithoutFolder::required);
        take_standard_input(c.compile.sources, std::cin);
        return checked_output(compile_command(c.compile, std::cout, std::cerr));
    }
    if (command == c.checkApp) {
        c.check.diagnostics.colour = console::colour(c.checkColour);
        take_scenario(c.checkFolder, c.check.sources, NamesWithoutFolder::defaulted);
        take_standard_input(c.check.sources, std::cin);
        return checked_output(check_command(c.check, std::cout, std::cerr));
    }
    if (command == c.newApp) return checked_output(new_command(c.fresh, std::cout, std::cerr));
    if (command == c.packageApp) {
        c.package.diagnostics.colour = console::colour(c.packageColour);
        return checked_output(package_command(c.package, std::cout, std::cerr));
    }
    if (command == c.explainApp) return checked_output(explain_command(c.explain, std::cout, std::cerr));
    if (command == c.lspApp) return lsp::serve_standard_streams(reference_page());
    if (command == c.dumpApp) return checked_output(dump_command(c.dump, std::cout, std::cerr));
    if (command == c.diffApp) return checked_output(diff_command(c.diff, std::cout, std::cerr));
    if (command == c.viewApp) {
        take_scenario(c.viewFolder, c.view.input.sources, NamesWithoutFolder::optional);
        take_standard_input(c.view.input.sources, std::cin);
        return checked_output(view_command(c.view, std::cout, std::cerr));
    }
    take_scenario(c.plotFolder, c.plot.sources, NamesWithoutFolder::optional);
    take_standard_input(c.plot.sources, std::cin);
    return checked_output(plot_command(c.plot, std::cout, std::cerr));
}

int run(int argc, char** argv) {
    CLI::App app{"Compiles, inspects and plots scenarios with the compactor's own reader and writers.", program_name};
    app.require_subcommand(0, 1);
    app.allow_extras();
    app.set_version_flag("--version", std::string(program_name) + " " + TOOL_VERSION + " (commit " TOOL_COMMIT ")",
                         "print the version and the commit it was built from");
    app.footer(exit_status_help);

    Commands c;
    add_reading_commands(app, c);
    add_decoding_commands(app, c);
    add_drawing_commands(app, c);
    add_authoring_commands(app, c);
    add_editor_commands(app, c);
    for (CLI::App* command : c.all()) {
        command->allow_extras();
        command->footer(exit_status_help);
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& help_or_version) {
        return checked_output(app.exit(help_or_version));
    } catch (const CLI::ParseError& wrong) {
        const CLI::App* command = c.chosen();
        // An argument nothing took comes first: it often explains the rest.
        if (const auto unknown = first_unknown(app, command)) return usage_error(command, *unknown);
        return usage_error(command, parse_error_text(wrong, command));
    }
    const CLI::App* command = c.chosen();
    if (const auto unknown = first_unknown(app, command)) return usage_error(command, *unknown);
    if (command == nullptr)
        return usage_error(nullptr, "no command given; the commands are " + listing(command_names(app)));

    try {
        return run_command(c, command);
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
    // Past a file-size limit, or into a pipe whose reader has gone, a write
    // fails with its reason instead of killing the tool half-way; the reason
    // is told like that of any other failed write.
    console::prepare_streams();
    try {
        console::Arguments arguments(argc, argv);
        return run(arguments.count(), arguments.values());
    } catch (const std::exception& failure) {
        std::cerr << program_name << ": cannot go on: " << terminal_text(failure.what()) << "\n";
        return exit_status::failed;
    } catch (...) {
        std::cerr << program_name << ": cannot go on: unexpected failure\n";
        return exit_status::failed;
    }
}
