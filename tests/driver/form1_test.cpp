#include "driver/form1.h"

#include <gtest/gtest.h>

#include "compactor/memorizza_percorso.h"
#include "driver/console_platform.h"
#include "io/file_system.h"
#include "support/description_files.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

using testing::TempFolder;

// Ends the run by throwing, so that the test can look at what was left.
struct ProcessEnded {
    int status;
};

class RecordingPlatform : public Platform {
public:
    explicit RecordingPlatform(std::string folder) : folder_(std::move(folder)) {}

    void show_window() override {
        if (std::filesystem::exists(folder_)) files_when_shown = TempFolder::list(folder_);
        ++windows_shown;
    }
    void message_box(const std::string& text) override { messages.push_back(text); }
    std::string program_folder() const override { return folder_; }
    std::string program_file() const override { return folder_ + "/program"; }
    void set_program_name(const std::string& /*name*/) override {}
    char separator() const override { return '/'; }
    [[noreturn]] void end_process(int status) override { throw ProcessEnded{status}; }
    [[noreturn]] void fatal_error(const std::string& description) override {
        messages.push_back("fatal: " + description);
        throw ProcessEnded{exit_status::fatal};
    }

    int windows_shown = 0;
    std::vector<std::string> files_when_shown;
    std::vector<std::string> messages;

private:
    std::string folder_;
};

TEST(Form1, ErroreShowsTheNumberAndEndsTheProcess) {
    EXPECT_EXIT(
        {
            ConsolePlatform platform("test");
            Form1 form(platform);
            form.errore("1250");
        },
        ::testing::ExitedWithCode(exit_status::error_report), "^ Errore n\\. 1250\n$");
}

TEST(Form1, ErroreGoesNoFurther) {
    TempFolder folder;
    RecordingPlatform platform(folder.path().string());
    Form1 form(platform);
    try {
        form.errore("1251");
        FAIL() << "errore returned";
    } catch (const ProcessEnded& ended) {
        EXPECT_EQ(ended.status, exit_status::error_report);
    }
    EXPECT_EQ(platform.messages, std::vector<std::string>{" Errore n. 1251"});
}

TEST(Form1, TheRunShowsTheWindowFirstAndLeavesSixFiles) {
    TempFolder folder;
    RecordingPlatform platform(folder.path().string());
    Form1 form(platform);
    try {
        form.Form_Load();
        FAIL() << "the run did not end the process";
    } catch (const ProcessEnded& ended) {
        EXPECT_EQ(ended.status, exit_status::normal);
    }
    EXPECT_EQ(platform.windows_shown, 1);
    EXPECT_TRUE(platform.files_when_shown.empty());
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(folder.files(),
              (std::vector<std::string>{"Valcorvina_IC 318.dat", "Valcorvina_IC 318.sim", "Valcorvina_IC 318_note.txt",
                                        "Valcorvina_IC 318_rallentamenti.txt", "Valcorvina_IC 318_scheda_treno.txt",
                                        "Valcorvina_linea.dat"}));
    // The embedded scenario reads and completes without any refusal.
    EXPECT_EQ(form.model().errorCode, 0);
    EXPECT_EQ(form.model().title, "Valcorvina");
    EXPECT_EQ(form.model().trainCode, "IC 318");
}

TEST(Form1, AFolderThatCannotBeWrittenStopsTheRunAtTheFirstWriter) {
    TempFolder folder;
    RecordingPlatform platform((folder.path() / "missing").string());
    Form1 form(platform);
    try {
        form.Form_Load();
        FAIL() << "the run went on";
    } catch (const FileError& failure) {
        EXPECT_EQ(failure.path(), folder.file("missing/Valcorvina_linea.txt"));
    }
    EXPECT_TRUE(folder.files().empty());
}

// A scenario of the test's own texts, written as they are.
class TextScenario : public ScenarioSource {
public:
    explicit TextScenario(std::string line) : line_(std::move(line)) {}
    const std::string& title() const override { return title_; }
    const std::string& train_code() const override { return code_; }
    std::string text(ScenarioText which) const override {
        if (which == ScenarioText::line_description) return line_;
        if (which == ScenarioText::train_description) return testing::train_description({"velocita,   0,    100"});
        return "document\r\n";
    }

private:
    std::string title_ = "Linea";
    std::string code_ = "T 1";
    std::string line_;
};

// The line reader stops before the train description: the run removes the
// train description it wrote before it ends, whichever way it ends.
TEST(Form1, AReadingThatStopsInTheLineLeavesNoDescription) {
    const std::vector<std::string> documents{"Linea_T 1_note.txt", "Linea_T 1_rallentamenti.txt",
                                             "Linea_T 1_scheda_treno.txt"};
    // A speed board in route cell 1 upsets the stamp; two signs in one cell
    // stop the reading.
    const TextScenario stamp_error(
        testing::line_description(20000, {"indicatori_vmax,  0,  100,  110,  120,  0,  ,  ,  ,  0",
                                          "cartello_indicatore,  1000,   (A)", "cartello_indicatore,  1010,   (B)"}));
    const TextScenario too_long(testing::line_description(2000000, {}));
    {
        TempFolder folder;
        RecordingPlatform platform(folder.path().string());
        Form1 form(platform, stamp_error);
        try {
            form.Form_Load();
            FAIL() << "the run did not end the process";
        } catch (const ProcessEnded& ended) {
            EXPECT_EQ(ended.status, exit_status::error_report);
        }
        EXPECT_EQ(platform.messages, std::vector<std::string>{" Errore n. 1250"});
        EXPECT_EQ(folder.files(), documents);
    }
    {
        TempFolder folder;
        RecordingPlatform platform(folder.path().string());
        Form1 form(platform, too_long);
        EXPECT_THROW(form.Form_Load(), NothingToWrite);
        EXPECT_EQ(folder.files(), documents);
    }
}

TEST(ConsolePlatform, FatalReportNamesTheFailure) {
    EXPECT_EXIT(ConsolePlatform("test").fatal_error("cannot create (Permission denied) '/x/Valcorvina_linea.txt'"),
                ::testing::ExitedWithCode(exit_status::fatal),
                "^Valcorvina_IC 318: run-time error: cannot create \\(Permission denied\\) "
                "'/x/Valcorvina_linea.txt'\n$");
}

}  // namespace
}  // namespace scenario
