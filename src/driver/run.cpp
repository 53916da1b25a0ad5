#include "driver/run.h"

#include <cstdlib>
#include <exception>

#include "driver/form1.h"
#include "io/file_system.h"

namespace scenario {

void run_program(Platform& platform) {
    const BuiltInScenario scenario;
    run_program(platform, scenario);
}

void run_program(Platform& platform, const ScenarioSource& scenario) {
    try {
        const FolderLock lock(platform.program_folder(), run_lock_patience);
        Form1 form(platform, scenario);
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
