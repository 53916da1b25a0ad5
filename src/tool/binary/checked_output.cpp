#include "tool/binary/checked_output.h"

#include <cerrno>
#include <cstring>

namespace scenario::tool {

CheckedOutput::CheckedOutput(std::ostream& out) : out_(out) { buffer_.reserve(piece + 4096); }

void CheckedOutput::line(std::string_view text) {
    buffer_ += text;
    buffer_ += '\n';
    if (buffer_.size() >= piece) flush();
}

void CheckedOutput::flush() {
    // The stream keeps no reason of its own: errno is cleared first so that
    // the reason given is the one of this write.
    errno = 0;
    if (!buffer_.empty()) out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
    if (out_) out_.flush();
    if (!out_) {
        const int error = errno;
        throw OutputFailure(error != 0 ? std::strerror(error) : "the output refused the write");
    }
}

}  // namespace scenario::tool
