// The server on the process's standard streams: a thread takes the input as
// it comes, so that the server can wait for the next message and for the
// moment a changed pair is due to be checked at once.
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "tool/lsp/server.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace scenario::tool::lsp {

namespace {

long read_input(char* buffer, unsigned size) {
#ifdef _WIN32
    return _read(0, buffer, size);
#else
    return ::read(0, buffer, size);
#endif
}

// What the reading thread has taken and not yet handed over.
class Input {
public:
    Input() {
        std::thread([this] { take(); }).detach();
    }
    // Waits for bytes until `until`: the bytes, or nothing when the time
    // passed or the input ended.
    std::optional<std::string> wait(std::optional<Clock::time_point> until) {
        std::unique_lock lock(mutex_);
        const auto ready = [this] { return !chunks_.empty() || ended_; };
        if (until) {
            cv_.wait_until(lock, *until, ready);
        } else {
            cv_.wait(lock, ready);
        }
        if (chunks_.empty()) return std::nullopt;
        std::string chunk = std::move(chunks_.front());
        chunks_.pop_front();
        return chunk;
    }
    bool ended() {
        std::lock_guard lock(mutex_);
        return ended_ && chunks_.empty();
    }

private:
    // The thread lives as long as the process: it is left blocked in its
    // read when the server ends, so it keeps what it uses by itself.
    void take() {
        for (;;) {
            std::string chunk(65536, '\0');
            const long n = read_input(chunk.data(), static_cast<unsigned>(chunk.size()));
            std::lock_guard lock(mutex_);
            if (n <= 0) {
                ended_ = true;
                cv_.notify_one();
                return;
            }
            chunk.resize(static_cast<std::size_t>(n));
            chunks_.push_back(std::move(chunk));
            cv_.notify_one();
        }
    }

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::string> chunks_;
    bool ended_ = false;
};

}  // namespace

int serve_standard_streams(const std::string& reference) {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    // A client that has gone cannot be answered: the server ends.
    bool written = true;
    Server server([&written](const std::string& body) {
        const std::string message = framed(body);
        written = written && std::fwrite(message.data(), 1, message.size(), stdout) == message.size() &&
                  std::fflush(stdout) == 0;
    });
    server.reference = reference;
    // Made once and never destroyed: its thread may outlive the server.
    static Input* const input = new Input();
    FrameReader frames;
    while (!server.exited() && written) {
        while (const auto frame = frames.next()) {
            server.receive(*frame);
            if (server.exited()) break;
        }
        if (server.exited()) break;
        const auto due = server.check_due();
        if (due && Clock::now() >= *due) {
            server.check_changed();
            continue;
        }
        if (auto chunk = input->wait(due)) {
            frames.feed(*chunk);
        } else if (input->ended()) {
            break;
        }
    }
    return server.exit_status();
}

}  // namespace scenario::tool::lsp
