// Starting the program creates its window; the window's load handler does
// the whole run and ends the process.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include "driver/console_platform.h"
#include "driver/run.h"

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
    scenario::run_program(platform);
}
