// The tool's command line and standard streams as each system hands them
// over (console_posix.cpp, console_windows.cpp, chosen by CMake): the
// arguments in UTF-8, the streams passing bytes through unchanged, and
// colour only where the terminal shows it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool::console {

// The command line in UTF-8, as the parser takes it (on Windows, converted
// from the wide characters the system keeps it in).
class Arguments {
public:
    Arguments(int argc, char** argv);
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;

    int count() const { return static_cast<int>(pointers_.size()); }
    char** values() { return pointers_.data(); }

private:
    std::vector<std::string> text_;
    std::vector<char*> pointers_;
};

// Made once, before anything is read or written: the standard streams carry
// bytes unchanged (on Windows, no line-end translation, and the console
// shows UTF-8 text as the letters it stands for), and a write past a limit or
// into a closed pipe fails with its reason instead of ending the tool.
void prepare_streams();

// Whether the diagnostics on standard error are coloured: `choice` is auto
// (a terminal that shows colour), always or never.
bool colour(const std::string& choice);

// How many bytes at the end of `text` begin a UTF-8 sequence that is not
// complete yet: text for the console is converted as it is flushed, and those
// bytes wait for the rest.
inline std::size_t incomplete_utf8_tail(std::string_view text) {
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: its lead is further back
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

}  // namespace scenario::tool::console
