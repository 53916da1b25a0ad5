// scenario-tool: compiles an author's line and train descriptions with the
// program's own compactor, decodes the binary files and plots the line.
#include <cerrno>
#include <csignal>
#include <cstdio>
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

// What a command printed must have reached standard output: a full disk or
// a closed stream there is a failure like any other failed write.
int checked_output(int status) {
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

    DumpOptions dump;
    CLI::App* dump_app =
        app.add_subcommand("dump", "Decode a .sim, .dat or _linea.dat file, recognised by its name's ending.");
    dump_app->add_option("FILE", dump.file, "the file to decode")->required();
    dump_app->add_flag("--json", dump.json, "one JSON object a line");

    PlotOptions plot;
    CLI::App* plot_app = app.add_subcommand("plot", "Draw the line's plan and its profile along the route as SVG.");
    add_sources(*plot_app, plot.sources);
    plot_app->add_option("--out", plot.out, "the SVG file")->required();

    const CLI::App* chosen = nullptr;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& wrong) {
        for (const CLI::App* command : {compile_app, dump_app, plot_app}) {
            if (command->parsed()) chosen = command;
        }
        return usage_error(app, chosen, wrong.what());
    }

    try {
        if (compile_app->parsed()) {
            chosen = compile_app;
            return checked_output(compile_command(compile, std::cout, std::cerr));
        }
        if (dump_app->parsed()) {
            chosen = dump_app;
            return checked_output(dump_command(dump, std::cout, std::cerr));
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
