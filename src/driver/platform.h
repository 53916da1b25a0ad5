// The services of the desktop the run relies on: its window, the message
// box, the program folder, the end of the process and the fatal error report.
#pragma once

#include <string>

namespace scenario {

class Platform {
public:
    virtual ~Platform() = default;

    // Shows the window with its label "Attendere" and paints it at once.
    virtual void show_window() = 0;
    // Shows a message with one OK button and waits until it is closed.
    virtual void message_box(const std::string& text) = 0;
    // The folder that holds the program, without a trailing separator.
    virtual std::string program_folder() const = 0;
    // The program's own file.
    virtual std::string program_file() const = 0;
    // The name the window and the reports show, once it is known (a
    // packaged program's comes from its scenario).
    virtual void set_program_name(const std::string& name) = 0;
    virtual char separator() const = 0;
    // Ends the process at once; open files are closed, nothing else runs.
    [[noreturn]] virtual void end_process(int status) = 0;
    // Reports a failure the run does not handle, then ends the process.
    [[noreturn]] virtual void fatal_error(const std::string& description) = 0;
};

// The file of the running program as the system tells it; empty when it
// cannot tell.
std::string running_program_file();

// Exit statuses of the program.
namespace exit_status {
inline constexpr int normal = 0;
inline constexpr int error_report = 1;  // after errore's message
inline constexpr int fatal = 2;         // after the fatal error report
}  // namespace exit_status

}  // namespace scenario
