// An author's folder with a line and a train description, and runs of the
// tool on it, in-process or as the built program.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "support/description_files.h"
#include "support/temp_folder.h"
#include "tool/commands/commands.h"

namespace scenario::tool::testing {

using scenario::testing::read_file;
using scenario::testing::TempFolder;
using scenario::testing::write_file;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// A command of the tool run in-process, its two streams caught.
template <typename Options>
Outcome run_command(int (*command)(const Options&, std::ostream&, std::ostream&), const Options& options) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = command(options, out, err);
    return {status, out.str(), err.str()};
}

struct Author {
    TempFolder folder;
    std::string line = folder.file("my line.txt");
    std::string train = folder.file("my train.txt");
    TempFolder out;

    Sources sources() const { return {line, train, "Linea", "T 1"}; }

    Outcome compile(bool json = false, bool no_geometry = false, const DiagnosticOptions& diagnostics = {}) const {
        CompileOptions options;
        options.sources = sources();
        options.out = out.path().string();
        options.noGeometry = no_geometry;
        options.json = json;
        options.diagnostics = diagnostics;
        return run_command(compile_command, options);
    }

    Outcome check(bool json = false, const DiagnosticOptions& diagnostics = {}) const {
        CheckOptions options;
        options.sources = sources();
        options.json = json;
        options.diagnostics = diagnostics;
        return run_command(check_command, options);
    }
};

inline Outcome dump(const DumpOptions& options) { return run_command(dump_command, options); }

inline Outcome dump(const std::string& file, bool json = false) {
    DumpOptions options;
    options.file = file;
    options.json = json;
    return dump(options);
}

inline Outcome diff(const std::string& a, const std::string& b) { return run_command(diff_command, {a, b, ""}); }

inline std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// The built tool with (already quoted) arguments, run from the folder `cwd`.
inline Outcome run_tool(const std::string& arguments, const std::string& cwd) {
    TempFolder streams;
    const std::string out = streams.file("out");
    const std::string err = streams.file("err");
    const std::string command =
        "cd " + quoted(cwd) + " && " + quoted(TOOL_PATH) + " " + arguments + " >" + quoted(out) + " 2>" + quoted(err);
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(out), read_file(err)};
}

// The embedded descriptions, as the program carries them.
inline std::string embedded_line() { return SOURCE_DIR "/src/description/scenario/line.txt"; }
inline std::string embedded_train() { return SOURCE_DIR "/src/description/scenario/train.txt"; }

// The one warning of the embedded descriptions, as the commands that read
// them show it: its author meant a gradient of -4.5 per mille.
inline std::string embedded_warning() {
    return embedded_line() +
           ":115:20: warning: `-4,5` is read as -4: the comma ends the number and `5` is ignored; values are whole "
           "numbers [decimal-comma]\n 115 | pendenza,  1250,   -4,5\n     |                    ^~~~\n";
}
// What a command said besides that warning (and the summary line after it).
inline std::string without_embedded_warning(std::string err) {
    for (const std::string& said : {embedded_warning() + "0 errors, 1 warning\n", embedded_warning()}) {
        const std::size_t at = err.find(said);
        if (at != std::string::npos) return err.erase(at, said.size());
    }
    return err;
}

// The embedded scenario compiled once for a whole test suite, its three
// binary files kept in a folder of its own.
class CompiledEmbeddedScenario : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        compaction_ =
            new Compaction(compact({embedded_line(), embedded_train(), "Valcorvina", "IC 318"}, folder_->path()));
    }
    static void TearDownTestSuite() {
        delete compaction_;
        delete folder_;
    }
    static const RouteModel& model() { return compaction_->model; }
    static std::string file(const std::string& name) { return folder_->file(name); }
    static std::string sim() { return file("Valcorvina_IC 318.sim"); }
    static std::string dat() { return file("Valcorvina_IC 318.dat"); }
    static std::string geometry() { return file("Valcorvina_linea.dat"); }

private:
    static inline TempFolder* folder_ = nullptr;
    static inline Compaction* compaction_ = nullptr;
};

}  // namespace scenario::tool::testing
