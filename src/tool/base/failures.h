// How a command stops short: a command line it cannot carry out, or a
// failure outside it with the exit status that tells which.
#pragma once

#include <stdexcept>
#include <string>

namespace scenario::tool {

// A command line that cannot be carried out as given; the tool says how to
// get its usage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A command that cannot go on for a reason outside its command line (an
// input that is missing or does not decode, an output that cannot be
// created), with the exit status that tells which.
class CommandFailure : public std::runtime_error {
public:
    CommandFailure(int status, const std::string& what) : std::runtime_error(what), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};

}  // namespace scenario::tool
