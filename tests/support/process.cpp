#include "support/process.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/temp_folder.h"

namespace scenario::testing {

Run run_shell(const std::string& command) {
    const TempFolder streams;
    const std::string out = streams.file("stdout");
    const std::string err = streams.file("stderr");
    const std::string redirected = "(" + command + ") >" + shell_quoted(out) + " 2>" + shell_quoted(err);
    const int raw = std::system(redirected.c_str());
    Run run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    run.out = read_file(out);
    run.err = read_file(err);
    return run;
}

std::string shell_quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace scenario::testing
