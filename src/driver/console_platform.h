// The platform on a text console: the window is the line "Attendere" on
// standard output, the message box and the fatal error report go to standard
// error.
#pragma once

#include <string>

#include "driver/platform.h"
#include "driver/program_identity.h"

namespace scenario {

// What a program on a console does before its run. A closed standard stream
// would hand its number to the first file the run opens, and a report meant
// for the terminal would land in that file: each is opened on /dev/null. A
// reader of standard output that has gone away must not end the run
// ("Attendere" is only a courtesy), and a file-size limit makes a write fail
// with its reason instead of killing the run half-way.
void prepare_console_process();

class ConsolePlatform : public Platform {
public:
    // argv0 is only a fallback for finding the program folder when the
    // running executable cannot be asked directly.
    explicit ConsolePlatform(std::string argv0, std::string name = program_name);

    void show_window() override;
    void message_box(const std::string& text) override;
    std::string program_folder() const override;
    std::string program_file() const override;
    void set_program_name(const std::string& name) override { name_ = name; }
    char separator() const override { return '/'; }
    [[noreturn]] void end_process(int status) override;
    [[noreturn]] void fatal_error(const std::string& description) override;

private:
    std::string argv0_;
    std::string name_;
};

}  // namespace scenario
