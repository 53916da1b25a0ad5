// Rows written to an output stream in pieces of bounded size, each write
// checked: the first failed write (a full disk, a reader that has gone away)
// stops the command with the reason, instead of going on or being killed.
#pragma once

#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace scenario::tool {

// A failed write of the output, with the system's reason.
class OutputFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CheckedOutput {
public:
    explicit CheckedOutput(std::ostream& out);
    CheckedOutput(const CheckedOutput&) = delete;
    CheckedOutput& operator=(const CheckedOutput&) = delete;

    // One row; the text itself holds no line end.
    void line(std::string_view text);
    // Writes what is held; throws OutputFailure when the stream refuses it.
    // Rows still held when the object goes are dropped: call flush() at the
    // end of a command.
    void flush();

private:
    static constexpr std::size_t piece = std::size_t{64} << 10;
    std::ostream& out_;
    std::string buffer_;
};

}  // namespace scenario::tool
