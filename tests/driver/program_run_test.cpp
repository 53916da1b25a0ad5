// The built program run as a whole, from a copy in a fresh folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

#include "support/temp_folder.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::TempFolder;
using testing::write_file;

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Copies the program into the folder and runs it from another current folder.
RunResult run_program(const TempFolder& folder) {
    const std::filesystem::path program = folder.path() / "Valcorvina_IC 318";
    std::filesystem::copy_file(PROGRAM_PATH, program, std::filesystem::copy_options::overwrite_existing);
    const std::string out = folder.file("../stdout of run");
    const std::string err = folder.file("../stderr of run");
    const std::string command = "cd / && " + quoted(program.string()) + " >" + quoted(out) + " 2>" + quoted(err);
    RunResult r;
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = read_file(out);
    r.err = read_file(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    std::filesystem::remove(program);
    return r;
}

const std::vector<std::string> kept_files{"Valcorvina_IC 318.dat",
                                          "Valcorvina_IC 318.sim",
                                          "Valcorvina_IC 318_note.txt",
                                          "Valcorvina_IC 318_rallentamenti.txt",
                                          "Valcorvina_IC 318_scheda_treno.txt",
                                          "Valcorvina_linea.dat"};

TEST(ProgramRun, ShowsAttendereAndLeavesTheSixFilesBesideItself) {
    TempFolder folder;
    const RunResult r = run_program(folder);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Attendere\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(folder.files(), kept_files);
}

TEST(ProgramRun, ASecondRunReplacesEveryFileWithTheSameBytes) {
    TempFolder first;
    run_program(first);
    TempFolder second;
    for (const std::string& name : kept_files) write_file(second.file(name), std::string(5000000, 'x'));
    write_file(second.file("Valcorvina_linea.txt"), "[generale]\r\nstale\r\n");
    const RunResult r = run_program(second);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(second.files(), kept_files);
    for (const std::string& name : kept_files) {
        EXPECT_EQ(read_file(first.file(name)), read_file(second.file(name))) << name;
    }
}

}  // namespace
}  // namespace scenario
