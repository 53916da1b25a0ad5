// diff: the records, cells or stretches of plan geometry in which two
// compiled files of one kind differ.
#pragma once

#include <ostream>
#include <string>

namespace scenario::tool {

struct DiffOptions {
    std::string a;
    std::string b;
    std::string as;  // as for dump
};

// Writes the differences to `out` and any failure to `err`; returns
// exit_status::done when the files are equal, differ when they are not.
int diff_command(const DiffOptions& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool
