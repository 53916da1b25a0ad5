#include "tool/lsp/framing.h"

#include <algorithm>
#include <charconv>

namespace scenario::tool::lsp {

namespace {

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

struct Header {
    std::optional<std::size_t> length;
    std::string fault;
};

// The header's fields, "\r\n" between them; only Content-Length matters
// (Content-Type names the one encoding there is).
Header parse_header(std::string_view header) {
    Header h;
    while (!header.empty()) {
        const std::size_t end = header.find("\r\n");
        const std::string_view field = header.substr(0, end);
        header = end == std::string_view::npos ? std::string_view() : header.substr(end + 2);
        const std::size_t colon = field.find(':');
        if (colon == std::string_view::npos) return {std::nullopt, "a header line without ':'"};
        if (!same_ignoring_case(trimmed(field.substr(0, colon)), "Content-Length")) continue;
        const std::string_view value = trimmed(field.substr(colon + 1));
        std::size_t length = 0;
        const auto [rest, error] = std::from_chars(value.data(), value.data() + value.size(), length);
        if (error != std::errc() || rest != value.data() + value.size() || value.empty()) {
            return {std::nullopt, "Content-Length is not a number"};
        }
        if (length > largest_message) return {std::nullopt, "Content-Length is larger than a message may be"};
        h.length = length;
    }
    if (!h.length) h.fault = "the header has no Content-Length";
    return h;
}

}  // namespace

std::optional<Frame> FrameReader::next() {
    const std::string_view all(buffer_);
    if (resync_) {
        // The next header is the next "Content-Length" at a line's start.
        const std::size_t found = all.find("Content-Length", start_);
        if (found == std::string_view::npos) {
            // Its start may have arrived without its end.
            start_ = std::max(start_, buffer_.size() > 16 ? buffer_.size() - 16 : std::size_t{0});
            compact();
            return std::nullopt;
        }
        start_ = found;
        resync_ = false;
    }
    const std::size_t end = all.find("\r\n\r\n", start_);
    if (end == std::string_view::npos) {
        if (pending() <= largest_header) return std::nullopt;
        resync_ = true;
        start_ = buffer_.size();
        compact();
        return Frame{{}, "a header longer than " + std::to_string(largest_header) + " bytes"};
    }
    const Header header = parse_header(all.substr(start_, end - start_));
    if (!header.length) {
        start_ = end + 4;
        resync_ = true;
        return Frame{{}, header.fault};
    }
    const std::size_t body = end + 4;
    if (buffer_.size() - body < *header.length) return std::nullopt;
    Frame frame{buffer_.substr(body, *header.length), {}};
    start_ = body + *header.length;
    compact();
    return frame;
}

void FrameReader::compact() {
    if (start_ == 0) return;
    // Moving what is left to the front costs as much as it holds: done once
    // it holds less than what was given.
    if (start_ >= buffer_.size() - start_) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
}

bool nested_deeper_than(std::string_view json, int levels) {
    int depth = 0;
    bool in_string = false;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (in_string) {
            if (c == '\\') ++i;
            if (c == '"') in_string = false;
        } else if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            if (++depth > levels) return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

std::string framed(std::string_view body) {
    std::string out = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    out.append(body);
    return out;
}

}  // namespace scenario::tool::lsp
