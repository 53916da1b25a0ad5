#include "description/field_stream.h"

#include <algorithm>
#include <utility>

#include "model/read_fault.h"

namespace scenario {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

FieldStream::FieldStream(std::string content) : text_(std::move(content)) {
    line_starts_.push_back(0);
    for (std::size_t i = 0; i < text_.size(); ++i) {
        char c = text_[i];
        bool line_end = c == '\n' || (c == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n'));
        if (line_end && i + 1 < text_.size()) line_starts_.push_back(i + 1);
    }
}

bool FieldStream::at_separator() const {
    if (pos_ >= text_.size()) return true;
    char c = text_[pos_];
    return c == ',' || c == '\r' || c == '\n';
}

void FieldStream::consume_separator() {
    if (pos_ >= text_.size()) return;
    char c = text_[pos_];
    if (c == ',' || c == '\n') {
        ++pos_;
    } else if (c == '\r') {
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    }
}

void FieldStream::skip_blanks() {
    while (pos_ < text_.size() && is_blank(text_[pos_])) ++pos_;
}

void FieldStream::begin_field() {
    if (at_end()) {
        last_ = location_of(pos_);
        last_start_ = last_end_ = pos_;
        throw ReadFault(Fault::past_end_of_file, "reading past the end of the file");
    }
    skip_blanks();
    last_ = location_of(pos_);
    last_start_ = last_end_ = pos_;
}

std::string FieldStream::read_text() {
    begin_field();
    if (pos_ < text_.size() && text_[pos_] == '"') {
        std::size_t close = text_.find('"', pos_ + 1);
        if (close == std::string::npos) throw ReadFault(Fault::unclosed_quote, "a quoted field has no closing quote");
        std::string field = text_.substr(pos_ + 1, close - pos_ - 1);
        pos_ = close + 1;
        last_end_ = pos_;
        skip_blanks();
        consume_separator();
        return field;
    }
    std::size_t start = pos_;
    while (!at_separator()) ++pos_;
    std::size_t end = pos_;
    while (end > start && is_blank(text_[end - 1])) --end;
    std::string field = text_.substr(start, end - start);
    last_end_ = end;
    consume_separator();
    return field;
}

std::int64_t FieldStream::read_number(std::int64_t low, std::int64_t high, const char* width) {
    begin_field();
    bool negative = false;
    bool any_digit = false;
    std::int64_t value = 0;
    if (pos_ < text_.size() && text_[pos_] == '-') {
        negative = true;
        ++pos_;
    }
    // The magnitude stops growing once it is beyond every field's range, so a
    // long run of digits never overflows; the range is tested on the signed
    // value, so that both ends of a field fail alike.
    constexpr std::int64_t beyond_any_field = std::int64_t{1} << 40;
    while (pos_ < text_.size() && is_digit(text_[pos_])) {
        any_digit = true;
        if (value < beyond_any_field) value = value * 10 + (text_[pos_] - '0');
        ++pos_;
    }
    last_end_ = pos_;
    if ((!any_digit && negative) || (!at_separator() && !is_blank(text_[pos_]))) {
        // The whole field is at fault, up to its separator.
        const char offending = pos_ < text_.size() ? text_[pos_] : '-';
        std::size_t end = pos_;
        while (end < text_.size() && text_[end] != ',' && text_[end] != '\r' && text_[end] != '\n') ++end;
        while (end > last_start_ && is_blank(text_[end - 1])) --end;
        last_end_ = end;
        if (!any_digit && negative) {
            throw ReadFault(Fault::not_a_number, "a number field holds a minus sign without digits");
        }
        throw ReadFault(Fault::not_a_number,
                        std::string("a number field holds '") + offending + "', not a whole number");
    }
    if (negative) value = -value;
    if (value < low || value > high) {
        throw ReadFault(Fault::number_out_of_range, std::string("the number does not fit a ") + width);
    }
    // Blanks that only lead up to the separator belong to this field.
    std::size_t after = pos_;
    while (after < text_.size() && is_blank(text_[after])) ++after;
    std::size_t saved = pos_;
    pos_ = after;
    if (at_separator()) {
        consume_separator();
    } else {
        pos_ = saved;
    }
    return value;
}

std::int32_t FieldStream::read_long() {
    return static_cast<std::int32_t>(read_number(INT32_MIN, INT32_MAX, "32-bit integer"));
}

std::int16_t FieldStream::read_integer() {
    return static_cast<std::int16_t>(read_number(INT16_MIN, INT16_MAX, "16-bit integer"));
}

std::uint8_t FieldStream::read_byte() { return static_cast<std::uint8_t>(read_number(0, 255, "byte")); }

FieldLocation FieldStream::location_of(std::size_t offset) const {
    offset = std::min(offset, text_.size());
    auto after = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
    std::size_t line_index = static_cast<std::size_t>(after - line_starts_.begin()) - 1;
    return {static_cast<int>(line_index) + 1, static_cast<int>(offset - line_starts_[line_index]) + 1};
}

FieldLocation FieldStream::next_location() const {
    std::size_t p = pos_;
    while (p < text_.size() && is_blank(text_[p])) ++p;
    return location_of(p);
}

std::string_view FieldStream::line_text(int line) const {
    if (line < 1 || static_cast<std::size_t>(line) > line_starts_.size()) return {};
    std::size_t start = line_starts_[static_cast<std::size_t>(line) - 1];
    std::size_t end = start;
    while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
    return std::string_view(text_).substr(start, end - start);
}

bool contains_ignoring_case(std::string_view field, std::string_view needle) {
    if (needle.empty()) return true;
    auto it = std::search(field.begin(), field.end(), needle.begin(), needle.end(),
                          [](char a, char b) { return ascii_lower(a) == ascii_lower(b); });
    return it != field.end();
}

bool contains_exact(std::string_view field, std::string_view needle) {
    return field.find(needle) != std::string_view::npos;
}

}  // namespace scenario
