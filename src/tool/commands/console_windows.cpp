// The command line and the standard streams on Windows. The system keeps
// the command line in wide characters; the tool works in UTF-8. Standard
// input and output are binary, so a description read from `-`, a page or
// plot written to `-` and the JSON reports carry the same bytes as on any
// other system. Text for the console is handed to it as wide characters
// (WriteConsoleW), which every console shows whatever its code page, and
// which leaves the code page of the console, shared with the shell that
// started the tool, as it was; a pipe or a file receives the UTF-8 bytes.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>
#include <optional>
#include <streambuf>

#include "io/file_system.h"
#include "tool/commands/console.h"

namespace scenario::tool::console {

namespace {

// A stream buffer that writes UTF-8 text to a console as wide characters.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }

protected:
    int_type overflow(int_type c) override {
        if (sync() != 0) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override {
        pending_.append(pbase(), pptr());
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        const std::size_t ready = pending_.size() - incomplete_utf8_tail(pending_);
        if (ready == 0) return 0;
        const std::wstring wide = to_wide(std::string_view(pending_).substr(0, ready));
        pending_.erase(0, ready);
        for (std::size_t at = 0; at < wide.size();) {
            DWORD written = 0;
            const auto piece = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, 16384));
            if (!WriteConsoleW(console_, wide.data() + at, piece, &written, nullptr) || written == 0) return -1;
            at += written;
        }
        return 0;
    }

private:
    HANDLE console_;
    std::array<char, 4096> buffer_{};
    std::string pending_;
};

// A standard stream turned to a console while the tool runs; put back,
// with what it holds written out, before the streams' last flush.
class ConsoleStream {
public:
    ConsoleStream(std::ostream& stream, HANDLE console)
        : stream_(stream), buffer_(console), before_(stream.rdbuf(&buffer_)) {}
    ~ConsoleStream() {
        stream_.flush();
        stream_.rdbuf(before_);
    }
    ConsoleStream(const ConsoleStream&) = delete;
    ConsoleStream& operator=(const ConsoleStream&) = delete;

private:
    std::ostream& stream_;
    ConsoleBuffer buffer_;
    std::streambuf* before_;
};

bool is_console(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

// Standard error's console mode as the tool found it, put back when the
// tool ends after it turned on the terminal sequences of colour.
struct ConsoleMode {
    HANDLE console = nullptr;
    DWORD before = 0;
    bool changed = false;
    ~ConsoleMode() {
        if (changed) SetConsoleMode(console, before);
    }
};

ConsoleMode error_console_mode;

}  // namespace

Arguments::Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr) {
        for (int i = 0; i < count; ++i) text_.push_back(to_utf8(wide[i]));
        LocalFree(wide);
    } else {
        text_.assign(argv, argv + argc);
    }
    for (std::string& argument : text_) pointers_.push_back(argument.data());
}

void prepare_streams() {
    for (int fd : {0, 1, 2}) _setmode(fd, _O_BINARY);
    // Made after the standard streams, so gone again before their last flush.
    static std::optional<ConsoleStream> console_out;
    static std::optional<ConsoleStream> console_err;
    if (const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE); is_console(out)) console_out.emplace(std::cout, out);
    if (const HANDLE err = GetStdHandle(STD_ERROR_HANDLE); is_console(err)) console_err.emplace(std::cerr, err);
}

bool colour(const std::string& choice) {
    if (choice == "never") return false;
    // Colour is drawn by the console's terminal sequences, which it follows
    // only in virtual-terminal mode, and only a console of Windows 10 or
    // later takes that mode.
    ConsoleMode& mode = error_console_mode;
    mode.console = GetStdHandle(STD_ERROR_HANDLE);
    bool shown = false;
    if (GetConsoleMode(mode.console, &mode.before) != 0) {
        shown = (mode.before & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
        if (!shown && SetConsoleMode(mode.console, mode.before | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) {
            mode.changed = shown = true;
        }
    }
    return choice == "always" || shown;
}

}  // namespace scenario::tool::console
