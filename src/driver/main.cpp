// Starting the program creates its window; the window's load handler does
// the whole run and ends the process.
#include "driver/console_platform.h"
#include "driver/run.h"

int main(int /*argc*/, char** argv) {
    scenario::prepare_console_process();
    scenario::ConsolePlatform platform(argv[0] != nullptr ? argv[0] : "");
    scenario::run_program(platform);
}
