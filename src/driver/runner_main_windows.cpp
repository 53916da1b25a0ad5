// A packaged program on Windows: this runner with a scenario appended to its
// file. It reads the scenario back and does the run the built-in program
// does, for that scenario's title and train code.
#include "driver/package.h"
#include "driver/windows_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/, int show_command) {
    scenario::WindowsPlatform platform(instance, show_command);
    scenario::run_packaged_program(platform);
}
