// The runner with a scenario appended, run as a whole from a fresh folder:
// the built-in scenario packaged so gives the program's own six files, a
// damaged package writes nothing, and a reading that stops early leaves no
// description behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "driver/package.h"
#include "support/description_files.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::run_shell;
using testing::shell_quoted;
using testing::TempFolder;
using testing::write_file;

PackageContents built_in() {
    const BuiltInScenario scenario;
    PackageContents contents{scenario.title(), scenario.train_code(), {}};
    for (std::size_t i = 0; i < contents.texts.size(); ++i) {
        contents.texts[i] = scenario.text(static_cast<ScenarioText>(i));
    }
    return contents;
}

std::string packaged(const PackageContents& contents) {
    const std::string runner = read_file(RUNNER_PATH);
    const std::string payload = package_payload(contents);
    return runner + payload + package_trailer(runner.size(), payload);
}

// Runs the program file `bytes`, named `name`, from a folder of its own.
struct ProgramRun {
    TempFolder folder;
    testing::Run outcome;
    ProgramRun(const std::string& name, const std::string& bytes) {
        const std::string path = folder.file(name);
        write_file(path, bytes);
        fs::permissions(path, fs::perms::owner_all);
        outcome = run_shell("cd / && timeout 60 " + shell_quoted(path));
        fs::remove(path);
    }
};

TEST(PackagedProgram, TheBuiltInScenarioPackagedWritesTheProgramsSixFiles) {
    const ProgramRun program("Valcorvina_IC 318", read_file(PROGRAM_PATH));
    const ProgramRun package("Valcorvina_IC 318", packaged(built_in()));
    ASSERT_EQ(package.outcome.status, 0) << package.outcome.err;
    EXPECT_EQ(package.outcome.out, "Attendere\n");
    EXPECT_EQ(package.outcome.err, "");
    ASSERT_EQ(program.folder.files().size(), 6u);
    EXPECT_EQ(package.folder.files(), program.folder.files());
    for (const std::string& name : program.folder.files()) {
        EXPECT_TRUE(read_file(package.folder.file(name)) == read_file(program.folder.file(name))) << name;
    }
}

TEST(PackagedProgram, ADamagedPackageWritesNothingAndSaysWhy) {
    const std::string whole = packaged(built_in());
    std::string flipped = whole;
    flipped[whole.size() - 100] ^= 0x01;
    const struct {
        const char* what;
        std::string bytes;
        std::string damage;
    } cases[] = {
        {"cut short", whole.substr(0, whole.size() - 10),
         "the file does not end with a scenario package (cut short, extended or never packaged)"},
        {"extended", whole + "\n",
         "the file does not end with a scenario package (cut short, extended or never packaged)"},
        {"the runner alone", read_file(RUNNER_PATH),
         "the file does not end with a scenario package (cut short, extended or never packaged)"},
        {"a bit flipped", flipped, "its checksum does not match ("},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ProgramRun run("Linea_T 1", c.bytes);
        EXPECT_EQ(run.outcome.status, 2);
        EXPECT_EQ(run.outcome.out, "");
        const std::string report = "Linea_T 1: run-time error: the scenario packaged into '" +
                                   run.folder.file("Linea_T 1") + "' is damaged: " + c.damage;
        EXPECT_EQ(run.outcome.err.substr(0, report.size()), report);
        EXPECT_TRUE(run.outcome.err.ends_with("; nothing was written\n")) << run.outcome.err;
        EXPECT_TRUE(run.folder.files().empty());
    }
}

// The line reader stops before the train description in both: once with
// route cells (the files are written), once before the route length (there
// is nothing to write). Neither leaves the train description it wrote.
TEST(PackagedProgram, AReadingThatStopsInTheLineLeavesNoDescription) {
    const std::string train = testing::train_description({"velocita,   0,    100", "aderenza,   0,    90"});
    const std::string taken =
        testing::line_description(20000, {"cartello_indicatore,  1000,   (A)", "cartello_indicatore,  1010,   (B)"});
    const std::string too_long = testing::line_description(2000000, {});
    const struct {
        const char* what;
        std::string line;
        int status;
        std::string err;
        std::vector<std::string> files;
    } cases[] = {
        {"a sign in a taken cell",
         taken,
         0,
         "",
         {"Linea_T 1.dat", "Linea_T 1.sim", "Linea_T 1_note.txt", "Linea_T 1_rallentamenti.txt",
          "Linea_T 1_scheda_treno.txt", "Linea_linea.dat"}},
        {"a route too long",
         too_long,
         2,
         "Linea_T 1: run-time error: the line description gave no route length, so there are no route cells to "
         "write\n",
         {"Linea_T 1_note.txt", "Linea_T 1_rallentamenti.txt", "Linea_T 1_scheda_treno.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ProgramRun run("Linea_T 1", packaged({"Linea", "T 1", {c.line, train, "n", "r", "s"}}));
        EXPECT_EQ(run.outcome.status, c.status);
        EXPECT_EQ(run.outcome.err, c.err);
        EXPECT_EQ(run.folder.files(), c.files);
    }
}

}  // namespace
}  // namespace scenario
