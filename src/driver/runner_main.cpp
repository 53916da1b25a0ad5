// A packaged program: this runner with a scenario appended to its file. It
// reads the scenario back and does the run the built-in program does, for
// that scenario's title and train code.
#include "driver/console_platform.h"
#include "driver/package.h"

int main(int /*argc*/, char** argv) {
    scenario::prepare_console_process();
    scenario::ConsolePlatform platform(argv[0] != nullptr ? argv[0] : "");
    scenario::run_packaged_program(platform);
}
