// Starting the program on Windows creates its window; the window's load
// handler does the whole run and ends the process.
#include "driver/run.h"
#include "driver/windows_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/, int show_command) {
    scenario::WindowsPlatform platform(instance, show_command);
    scenario::run_program(platform);
}
