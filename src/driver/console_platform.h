// The platform on a text console: the window is the line "Attendere" on
// standard output, the message box and the fatal error report go to standard
// error.
#pragma once

#include <string>

#include "driver/platform.h"

namespace scenario {

class ConsolePlatform : public Platform {
public:
    // argv0 is only a fallback for finding the program folder when the
    // running executable cannot be asked directly.
    explicit ConsolePlatform(std::string argv0);

    void show_window() override;
    void message_box(const std::string& text) override;
    std::string program_folder() const override;
    char separator() const override { return '/'; }
    [[noreturn]] void end_process(int status) override;
    [[noreturn]] void fatal_error(const std::string& description) override;

private:
    std::string argv0_;
};

}  // namespace scenario
