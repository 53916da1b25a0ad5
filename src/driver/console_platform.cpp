#include "driver/console_platform.h"

#include <unistd.h>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "driver/program_identity.h"

namespace scenario {

namespace {

std::string folder_of(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "";
    return path.substr(0, slash);
}

}  // namespace

ConsolePlatform::ConsolePlatform(std::string argv0) : argv0_(std::move(argv0)) {}

void ConsolePlatform::show_window() {
    std::fputs("Attendere\n", stdout);
    std::fflush(stdout);
}

void ConsolePlatform::message_box(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

std::string ConsolePlatform::program_folder() const {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) return folder_of(std::string(buffer, static_cast<std::size_t>(n)));
    char resolved[PATH_MAX];
    if (::realpath(argv0_.c_str(), resolved) != nullptr) return folder_of(resolved);
    return folder_of(argv0_);
}

void ConsolePlatform::end_process(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

void ConsolePlatform::fatal_error(const std::string& description) {
    std::fprintf(stderr, "%s: run-time error: %s\n", program_name, description.c_str());
    ConsolePlatform::end_process(exit_status::fatal);
}

}  // namespace scenario
