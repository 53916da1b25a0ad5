// The command line and the standard streams on Linux and other POSIX
// systems: the arguments are already bytes, and a terminal is told by
// isatty.
#include <unistd.h>

#include <cstdlib>

#include "tool/base/os.h"
#include "tool/commands/console.h"

namespace scenario::tool::console {

Arguments::Arguments(int argc, char** argv) : text_(argv, argv + argc) {
    for (std::string& argument : text_) pointers_.push_back(argument.data());
}

void prepare_streams() { os::writes_fail_instead_of_ending(); }

bool colour(const std::string& choice) {
    if (choice == "always") return true;
    if (choice == "never") return false;
    const char* term = std::getenv("TERM");
    return ::isatty(STDERR_FILENO) != 0 && (term == nullptr || std::string(term) != "dumb");
}

}  // namespace scenario::tool::console
