#include "driver/console_platform.h"

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace scenario {

namespace {

std::string folder_of(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "";
    return path.substr(0, slash);
}

}  // namespace

void prepare_console_process() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1) ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

std::string running_program_file() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

ConsolePlatform::ConsolePlatform(std::string argv0, std::string name)
    : argv0_(std::move(argv0)), name_(std::move(name)) {}

void ConsolePlatform::show_window() {
    std::fputs("Attendere\n", stdout);
    std::fflush(stdout);
}

void ConsolePlatform::message_box(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

std::string ConsolePlatform::program_folder() const { return folder_of(program_file()); }

std::string ConsolePlatform::program_file() const {
    std::string running = running_program_file();
    if (!running.empty()) return running;
    char resolved[PATH_MAX];
    if (::realpath(argv0_.c_str(), resolved) != nullptr) return resolved;
    return argv0_;
}

void ConsolePlatform::end_process(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

void ConsolePlatform::fatal_error(const std::string& description) {
    std::fprintf(stderr, "%s: run-time error: %s\n", name_.c_str(), description.c_str());
    ConsolePlatform::end_process(exit_status::fatal);
}

}  // namespace scenario
