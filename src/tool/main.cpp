// scenario-tool: compiles an author's line and train descriptions with the
// program's own compactor, decodes the binary files and plots the line.
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
    CLI::App app{"Compiles, inspects and plots scenarios with the compactor's own reader and writers.", program_name};
    app.require_subcommand(1);

    CompileOptions compile;
    CLI::App* compile_app = app.add_subcommand(
        "compile", "Compile a line and a train description into the three binary files, and explain any error.");
    add_sources(*compile_app, compile.sources);
    compile_app->add_option("--out", compile.out, "the folder for the binary files (default: the current folder)");
    compile_app->add_flag("--no-geometry", compile.noGeometry, "compile without the plan geometry");
    compile_app->add_flag("--json", compile.json, "report as one JSON object on standard output");

    DumpOptions dump;
    CLI::App* dump_app =
        app.add_subcommand("dump", "Decode a .sim, .dat or _linea.dat file, recognised by its name's ending.");
    dump_app->add_option("FILE", dump.file, "the file to decode")->required();
    dump_app->add_flag("--json", dump.json, "one JSON object a line");

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
        for (const CLI::App* command : {compile_app, dump_app, plot_app, view_app}) {
            if (command->parsed()) chosen = command;
        }
        return usage_error(app, chosen, wrong.what());
    }

    try {
        if (compile_app->parsed()) {
            chosen = compile_app;
            return compile_command(compile, std::cout, std::cerr);
        }
        if (dump_app->parsed()) {
            chosen = dump_app;
            return dump_command(dump, std::cout, std::cerr);
        }
        if (view_app->parsed()) {
            chosen = view_app;
            return view_command(view, std::cout, std::cerr);
        }
        chosen = plot_app;
        return plot_command(plot, std::cout, std::cerr);
    } catch (const UsageError& wrong) {
        return usage_error(app, chosen, wrong.what());
    } catch (const scenario::FileError& failure) {
        std::cerr << program_name << ": " << failure.what() << "\n";
        return exit_status::cannot_write;
    } catch (const std::exception& failure) {
        std::cerr << program_name << ": cannot go on: " << failure.what() << "\n";
        return exit_status::failed;
    }
}
