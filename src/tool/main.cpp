// scenario-tool: compiles an author's line and train descriptions with the
// program's own compactor, decodes the binary files and plots the line.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "io/file_system.h"
#include "tool/commands.h"

namespace {

using namespace scenario::tool;

void add_sources(CLI::App& command, Sources& sources) {
    command.add_option("--line", sources.line, "the line description")->required();
    command.add_option("--train", sources.train, "the train description")->required();
    command.add_option("--title", sources.title, "the scenario title; the first part of every file name")->required();
    command.add_option("--train-code", sources.trainCode, "the train code; the second part of the train files' names")
        ->required();
}

// The diagnostics' options of compile and check.
void add_diagnostic_options(CLI::App& command, DiagnosticOptions& options, std::string& colour) {
    command.add_flag("--werror", options.warningsAreErrors, "treat every warning as an error");
    command.add_option("-W", options.warnings, "-W no-NAME: do not report the warning NAME (repeatable)");
    command.add_option("--color", colour, "colour the diagnostics: auto (on a terminal), always or never")
        ->check(CLI::IsMember({"auto", "always", "never"}))
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

// The scenario to draw: both descriptions, or the compiled files.
void add_scenario_input(CLI::App& command, Sources& sources, std::string& records, std::string& cells,
                        std::string& geometry) {
    command.add_option("--line", sources.line, "the line description");
    command.add_option("--train", sources.train, "the train description");
    command.add_option("--title", sources.title, "the scenario title, for the heading");
    command.add_option("--train-code", sources.trainCode, "the train code, for the heading");
    command.add_option("--sim", records, "the compiled scenario records (.sim), instead of the descriptions");
    command.add_option("--dat", cells, "the compiled route cells (.dat)");
    command.add_option("--geometry", geometry, "the compiled plan geometry (_linea.dat), for the plan and curves");
}

int usage_error(const CLI::App& app, const CLI::App* command, const std::string& what) {
    std::cerr << program_name << ": " << what << "\n\n" << (command != nullptr ? command->help() : app.help());
    return exit_status::usage;
}

}  // namespace

int main(int argc, char** argv) {
    // Past a file-size limit a write fails with its reason instead of killing
    // the tool half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    CLI::App app{"Compiles, inspects and plots scenarios with the compactor's own reader and writers.", program_name};
    app.require_subcommand(1);

    CompileOptions compile;
    CLI::App* compile_app = app.add_subcommand(
        "compile", "Compile a line and a train description into the three binary files, and explain any error.");
    add_sources(*compile_app, compile.sources);
    compile_app->add_option("--out", compile.out, "the folder for the binary files (default: the current folder)");
    compile_app->add_flag("--no-geometry", compile.noGeometry, "compile without the plan geometry");
    compile_app->add_flag("--json", compile.json, "report as one JSON object on standard output");
    std::string compile_colour = "auto";
    add_diagnostic_options(*compile_app, compile.diagnostics, compile_colour);

    CheckOptions check;
    CLI::App* check_app =
        app.add_subcommand("check", "Report every error and warning of a line and a train description; write nothing.");
    check_app->add_option("--line", check.sources.line, "the line description")->required();
    check_app->add_option("--train", check.sources.train, "the train description")->required();
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
    dump_app->add_option("--every", dump.every, "show the first selected row and every Nth after it");
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
    plot_app->add_option("--out", plot.out, "the SVG file")->required();

    // view: the scenario as one self-contained HTML page.
    ViewOptions view;
    CLI::App* view_app =
        app.add_subcommand("view", "Write one self-contained HTML page to explore the scenario in a browser, offline.");
    add_scenario_input(*view_app, view.input.sources, view.input.records, view.input.cells, view.input.geometry);
    view_app->add_option("--out", view.out, "the HTML file, or - for standard output")->required();

    const CLI::App* chosen = nullptr;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& wrong) {
        for (const CLI::App* command : {compile_app, check_app, explain_app, dump_app, diff_app, plot_app, view_app}) {
            if (command->parsed()) chosen = command;
        }
        return usage_error(app, chosen, wrong.what());
    }

    try {
        if (compile_app->parsed()) {
            chosen = compile_app;
            compile.diagnostics.colour = colour_wanted(compile_colour);
            return checked_output(compile_command(compile, std::cout, std::cerr));
        }
        if (check_app->parsed()) {
            chosen = check_app;
            check.diagnostics.colour = colour_wanted(check_colour);
            return checked_output(check_command(check, std::cout, std::cerr));
        }
        if (explain_app->parsed()) {
            chosen = explain_app;
            return checked_output(explain_command(explain, std::cout, std::cerr));
        }
        if (dump_app->parsed()) {
            chosen = dump_app;
            return checked_output(dump_command(dump, std::cout, std::cerr));
        }
        if (diff_app->parsed()) {
            chosen = diff_app;
            return checked_output(diff_command(diff, std::cout, std::cerr));
        }
        if (view_app->parsed()) {
            chosen = view_app;
            return checked_output(view_command(view, std::cout, std::cerr));
        }
        chosen = plot_app;
        return checked_output(plot_command(plot, std::cout, std::cerr));
    } catch (const UsageError& wrong) {
        return usage_error(app, chosen, wrong.what());
    } catch (const scenario::FileError& failure) {
        std::cerr << program_name << ": " << failure.what() << "\n";
        return exit_status::cannot_write;
    } catch (const std::exception& failure) {
        std::cerr << program_name << ": cannot go on: " << failure.what() << "\n";
        return exit_status::failed;
    } catch (...) {
        std::cerr << program_name << ": cannot go on: unexpected failure\n";
        return exit_status::failed;
    }
}
