#include "driver/form1.h"

#include <gtest/gtest.h>

#include "driver/console_platform.h"
#include "io/file_system.h"
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

TEST(ConsolePlatform, FatalReportNamesTheFailure) {
    EXPECT_EXIT(ConsolePlatform("test").fatal_error("cannot create (Permission denied) '/x/Valcorvina_linea.txt'"),
                ::testing::ExitedWithCode(exit_status::fatal),
                "^Valcorvina_IC 318: run-time error: cannot create \\(Permission denied\\) "
                "'/x/Valcorvina_linea.txt'\n$");
}

}  // namespace
}  // namespace scenario
