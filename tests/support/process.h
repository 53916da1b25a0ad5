// Runs of built programs through the shell, with their streams caught.
#pragma once

#include <string>

namespace scenario::testing {

struct Run {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

// Runs a shell command; its standard output and error go to files of a
// temporary folder of this run's own.
Run run_shell(const std::string& command);

// The text quoted for the shell.
std::string shell_quoted(const std::string& text);

}  // namespace scenario::testing
