// Starting the program on Windows creates its window; the window's load
// handler does the whole run and ends the process.
#include <exception>

#include "driver/form1.h"
#include "driver/run_lock.h"
#include "driver/windows_platform.h"
#include "io/file_system.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/, int show_command) {
    scenario::WindowsPlatform platform(instance, show_command);
    try {
        const scenario::FolderLock lock(platform.program_folder(), scenario::run_lock_patience);
        scenario::Form1 form(platform);
        form.Form_Load();
    } catch (const std::exception& failure) {
        platform.fatal_error(failure.what());
    } catch (...) {
        platform.fatal_error("unexpected failure");
    }
    platform.end_process(scenario::exit_status::normal);
}
