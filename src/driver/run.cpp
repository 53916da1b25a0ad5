#include "driver/run.h"

#include <cstdlib>
#include <exception>

#include "driver/form1.h"
#include "io/file_system.h"

namespace scenario {

void run_program(Platform& platform) {
    try {
        const FolderLock lock(platform.program_folder(), run_lock_patience);
        Form1 form(platform);
        form.Form_Load();
    } catch (const std::exception& failure) {
        platform.fatal_error(failure.what());
    } catch (...) {
        platform.fatal_error("unexpected failure");
    }
    platform.end_process(exit_status::normal);
    std::abort();  // a platform whose end_process returns is broken
}

}  // namespace scenario
