// The framing of the language server's messages on its standard streams:
// each message is a header of "Name: value" lines ending in an empty line,
// of which Content-Length gives the length in bytes of the JSON body after
// it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace scenario::tool::lsp {

// The longest body taken: a description may hold 64 MiB, and its text
// arrives in JSON, where an accented letter takes two bytes and
// an escaped one six; a longer body is refused unread.
inline constexpr std::size_t largest_message = std::size_t{192} << 20;
// The longest header taken; a real one is a few dozen bytes.
inline constexpr std::size_t largest_header = 8192;

// One framed message taken from the input, or what was wrong with its
// header (the body of such a message cannot be found, so the reading after
// it starts afresh at the next header).
struct Frame {
    std::string body;
    std::string fault;  // empty for a sound frame
};

// Takes bytes as they come and gives the messages they complete.
class FrameReader {
public:
    void feed(std::string_view bytes) { buffer_.append(bytes); }
    // The next complete message, or nothing until more bytes come.
    std::optional<Frame> next();
    // Bytes taken but not yet part of a message given.
    std::size_t pending() const { return buffer_.size() - start_; }

private:
    // Drops what has been given, now and then, so the buffer does not grow.
    void compact();

    std::string buffer_;
    std::size_t start_ = 0;
    // After a header that was wrong: skipping to the next "Content-Length".
    bool resync_ = false;
};

// Whether a JSON text nests arrays and objects deeper than `levels`. The
// protocol's messages are a few levels deep; a deeper one is refused before
// it is parsed, as taking it apart or copying it recurses once a level.
bool nested_deeper_than(std::string_view json, int levels);

// The message with its header, ready to be written.
std::string framed(std::string_view body);

}  // namespace scenario::tool::lsp
