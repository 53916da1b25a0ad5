#include "tool/base/display_text.h"

#include <cstdio>

#include <algorithm>
#include <optional>
#include <vector>

#include "description/field_stream.h"
#include "model/packing.h"

namespace scenario::tool {

namespace {

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the UTF-8 sequence starting at `at`, or 0 when it is not one.
std::size_t sequence_length(std::string_view s, std::size_t at) {
    const auto c = static_cast<unsigned char>(s[at]);
    std::size_t n = 0;
    std::uint32_t code = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        code = c & 0x07;
    } else {
        return 0;
    }
    if (s.size() - at < n) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        const auto next = static_cast<unsigned char>(s[at + i]);
        if (!is_continuation(next)) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    const bool overlong = (n == 3 && code < 0x800) || (n == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (overlong || surrogate || code > 0x10FFFF) return 0;
    return n;
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n = sequence_length(bytes, at);
        if (n == 0) return false;
        at += n;
    }
    return true;
}

std::string utf8_text(std::string_view bytes) {
    if (is_valid_utf8(bytes)) return std::string(bytes);
    return latin1_to_utf8(bytes);
}

std::string latin1_to_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

namespace {

// One character of a UTF-8 text as it is shown: itself, or its escape.
struct Shown {
    std::string_view character;
    char escape[5] = {};
    std::string_view text() const { return escape[0] != 0 ? std::string_view(escape, 4) : character; }
    int width() const { return escape[0] != 0 ? 4 : 1; }
};

// Calls `take` with each character of the text; a byte that starts no valid
// sequence counts as a character of its own.
template <typename Take>
void each_shown(std::string_view utf8, Take&& take) {
    static constexpr char hex[] = "0123456789abcdef";
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t n = std::max<std::size_t>(1, sequence_length(utf8, at));
        Shown shown{utf8.substr(at, n)};
        const auto first = static_cast<unsigned char>(utf8[at]);
        unsigned code = 0x100;  // none
        if ((first < 0x20 && first != '\t') || first == 0x7F) code = first;
        if (n == 2 && first == 0xC2 && static_cast<unsigned char>(utf8[at + 1]) < 0xA0) {
            code = static_cast<unsigned char>(utf8[at + 1]);  // C1 controls, U+0080 to U+009F
        }
        if (code < 0x100) {
            shown.escape[0] = '\\';
            shown.escape[1] = 'x';
            shown.escape[2] = hex[code >> 4];
            shown.escape[3] = hex[code & 0xF];
        }
        take(shown);
        at += n;
    }
}

}  // namespace

std::string escape_controls(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    each_shown(utf8, [&](const Shown& shown) { out += shown.text(); });
    return out;
}

std::string display_text(std::string_view bytes) { return escape_controls(utf8_text(bytes)); }

std::string terminal_text(std::string_view message) {
    // Byte by byte, not the whole text at once: a message may join a UTF-8
    // name with a path in another encoding.
    std::string utf8;
    utf8.reserve(message.size());
    for (std::size_t at = 0; at < message.size();) {
        const std::size_t n = sequence_length(message, at);
        if (n > 0) {
            utf8.append(message.substr(at, n));
            at += n;
            continue;
        }
        const auto c = static_cast<unsigned char>(message[at++]);
        utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
        utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return escape_controls(utf8);
}

Excerpt source_excerpt(std::string_view line, int column, int width) {
    // Two passes over the characters, so that a line of any length takes no
    // more memory than the part shown. First: the columns of the whole line
    // and of the characters before the caret.
    const auto caret_at = static_cast<std::size_t>(std::max(1, column) - 1);
    std::size_t count = 0;
    int total = 0;
    int before_caret = 0;  // the columns taken by the characters before the caret
    each_shown(line, [&](const Shown& shown) {
        if (count < caret_at) before_caret += shown.width();
        total += shown.width();
        ++count;
    });
    const std::size_t caret = std::min(count, caret_at);
    const int beyond = static_cast<int>(caret_at - caret);  // columns past the end of the line
    Excerpt excerpt;
    if (total <= width) {
        excerpt.text = escape_controls(line);
        excerpt.column = before_caret + beyond + 1;
        return excerpt;
    }
    // A window of `room` columns with the caret in its middle, moved back
    // inside the line at either end.
    constexpr std::string_view cut = "...";
    const int room = std::max(1, width - 2 * static_cast<int>(cut.size()));
    int left = std::max(0, before_caret - room / 2);
    left = std::max(0, std::min(left, total - room));
    std::size_t index = 0;
    int start = 0;                     // the columns taken by the characters before `index`
    std::optional<std::size_t> first;  // the first character from `left` on, and its start
    int first_start = total;
    std::optional<std::size_t> end;  // the first character past the window
    std::string text;
    each_shown(line, [&](const Shown& shown) {
        if (!first && start >= left) {
            first = index;
            first_start = start;
        }
        if (first && !end && start + shown.width() - first_start > room) end = index;
        if (!end && (index >= caret || first)) text += shown.text();
        start += shown.width();
        ++index;
    });
    const std::size_t from = std::min(first.value_or(count), caret);
    const int from_start = first && *first <= caret ? first_start : before_caret;
    if (from > 0) excerpt.text += cut;
    excerpt.text += text;
    if (end.value_or(count) < count) excerpt.text += cut;
    excerpt.column = (from > 0 ? static_cast<int>(cut.size()) : 0) + before_caret - from_start + beyond + 1;
    return excerpt;
}

int character_column(std::string_view line, int byte_column) {
    if (byte_column <= 1) return byte_column;
    const std::size_t end = std::min(line.size(), static_cast<std::size_t>(byte_column - 1));
    const std::size_t beyond = static_cast<std::size_t>(byte_column - 1) - end;
    if (!is_valid_utf8(line)) return byte_column;
    const auto continuations = std::count_if(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(end),
                                             [](char c) { return is_continuation(static_cast<unsigned char>(c)); });
    return static_cast<int>(end - static_cast<std::size_t>(continuations) + beyond) + 1;
}

std::string kind_name(std::uint8_t kind) {
    switch (kind) {
        case cell_kind::empty:
            return "nothing";
        case cell_kind::signal:
            return "signal";
        case cell_kind::slowdown_end:
            return "slowdown end";
        case cell_kind::slowdown_start:
            return "slowdown start";
        case cell_kind::slowdown_warning:
            return "slowdown warning board";
        case cell_kind::slowdown_approach:
            return "slowdown approach mark";
        case cell_kind::speed_boards:
            return "speed-limit board";
        case cell_kind::station_stop:
            return "station stop";
        case cell_kind::mountain_marker:
            return "mountain marker";
        case cell_kind::restriction:
            return "restriction mark";
        case cell_kind::restriction_without_speed:
            return "restriction mark without speed";
        case cell_kind::roadside_sign:
            return "roadside sign";
        default:
            return "item of kind " + std::to_string(kind);
    }
}

namespace {

// The text of the record a cell's first value names, when it names a record
// that holds one.
const std::string* named_record_text(const RouteModel& model, std::int16_t index) {
    if (index <= 0 || index >= record_count) return nullptr;
    const std::string& text = model.records[static_cast<std::size_t>(index)].text;
    return text.empty() ? nullptr : &text;
}

}  // namespace

std::string cell_holding(const RouteModel& model, const RouteCell& cell) {
    switch (cell.kind) {
        case cell_kind::empty:
            return "nothing";
        case cell_kind::slowdown_end:
            return "the end of a slowdown";
        case cell_kind::slowdown_start:
            return "the start of a slowdown";
        case cell_kind::station_stop:
            if (const std::string* name = named_record_text(model, cell.data1)) {
                return "the stop of station " + display_text(*name);
            }
            return "a station stop";
        case cell_kind::roadside_sign:
            if (const std::string* lettering = named_record_text(model, cell.data1)) {
                return "the roadside sign " + display_text(*lettering);
            }
            return "a roadside sign";
        case cell_kind::speed_boards:
            return "a speed-limit board";
        case cell_kind::restriction:
            return "a restriction mark";
        case cell_kind::restriction_without_speed:
            return "a restriction mark without speed";
        default: {
            const std::string name = kind_name(cell.kind);
            return (name.rfind("item", 0) == 0 ? "an " : "a ") + name;
        }
    }
}

std::string clock_text(std::int64_t seconds) {
    const ClockTime clock = unpack_station_time(seconds);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s%02llu:%02llu:%02llu", clock.negative ? "-" : "",
                  static_cast<unsigned long long>(clock.hours), static_cast<unsigned long long>(clock.minutes),
                  static_cast<unsigned long long>(clock.seconds));
    return buffer;
}

}  // namespace scenario::tool
