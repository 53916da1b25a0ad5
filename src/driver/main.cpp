// Starting the program creates its window; the window's load handler does
// the whole run and ends the process.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <exception>

#include "driver/console_platform.h"
#include "driver/form1.h"
#include "driver/run_lock.h"
#include "io/file_system.h"

namespace {

// A closed standard stream would hand its number to the first file the run
// opens, and a report meant for the terminal would land in that file.
void keep_standard_streams_open() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1) ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    }
}

}  // namespace

int main(int /*argc*/, char** argv) {
    keep_standard_streams_open();
    // A reader of standard output that has gone away must not end the run:
    // "Attendere" is only a courtesy. A file-size limit makes the write fail
    // with its reason instead of killing the run half-way.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    scenario::ConsolePlatform platform(argv[0] != nullptr ? argv[0] : "");
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
