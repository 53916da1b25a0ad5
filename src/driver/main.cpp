// Starting the program creates its window; the window's load handler does
// the whole run and ends the process.
#include <exception>

#include "driver/console_platform.h"
#include "driver/form1.h"

int main(int /*argc*/, char** argv) {
    scenario::ConsolePlatform platform(argv[0] != nullptr ? argv[0] : "");
    try {
        scenario::Form1 form(platform);
        form.Form_Load();
    } catch (const std::exception& failure) {
        platform.fatal_error(failure.what());
    }
    platform.end_process(scenario::exit_status::normal);
}
