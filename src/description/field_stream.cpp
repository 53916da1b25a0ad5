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

FieldStream::FieldStream(std::string content) : own_(std::move(content)), text_(own_) {}

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
    const std::size_t before_blanks = pos_;
    skip_blanks();
    last_ = location_of(pos_);
    last_start_ = last_end_ = pos_;
    last_starts_line_ = before_blanks == line_start_;
}

std::string FieldStream::read_text() {
    begin_field();
    if (pos_ < text_.size() && text_[pos_] == '"') {
        std::size_t close = text_.find('"', pos_ + 1);
        if (close == std::string::npos) throw ReadFault(Fault::unclosed_quote, "a quoted field has no closing quote");
        std::string field(text_.substr(pos_ + 1, close - pos_ - 1));
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
    std::string field(text_.substr(start, end - start));
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

FieldLocation FieldStream::location_of(std::size_t offset) {
    offset = std::min(offset, text_.size());
    if (offset < counted_) {
        // Never needed while fields are read in order; counted again from
        // the start all the same.
        counted_ = 0;
        line_ = 1;
        line_start_ = 0;
    }
    // A line end is LF, CR LF or a bare CR; a line begins after each one but
    // a line end that closes the text.
    for (; counted_ < offset; ++counted_) {
        const char c = text_[counted_];
        if (c != '\n' && c != '\r') continue;
        const bool line_end = c == '\n' || counted_ + 1 >= text_.size() || text_[counted_ + 1] != '\n';
        if (line_end && counted_ + 1 < text_.size()) {
            ++line_;
            line_start_ = counted_ + 1;
        }
    }
    return {line_, static_cast<int>(offset - line_start_) + 1};
}

std::string_view FieldStream::line_of(const FieldSpan& field) const {
    const auto column = static_cast<std::size_t>(std::max(1, field.at.column));
    if (field.at.line <= 0 || field.offset + 1 < column) return {};
    const std::size_t start = field.offset + 1 - column;
    if (start >= text_.size()) return {};
    std::size_t end = text_.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text_.size();
    return text_.substr(start, end - start);
}

bool contains_ignoring_case(std::string_view field, std::string_view needle) {
    if (needle.empty()) return true;
    if (needle.size() > field.size()) return false;
    // Every field is tested against every keyword of its section, so the
    // first letter is found before the rest is compared.
    const char first = ascii_lower(needle[0]);
    const std::size_t last_start = field.size() - needle.size();
    for (std::size_t i = 0; i <= last_start; ++i) {
        if (ascii_lower(field[i]) != first) continue;
        std::size_t j = 1;
        while (j < needle.size() && ascii_lower(field[i + j]) == ascii_lower(needle[j])) ++j;
        if (j == needle.size()) return true;
    }
    return false;
}

bool contains_exact(std::string_view field, std::string_view needle) {
    return field.find(needle) != std::string_view::npos;
}

}  // namespace scenario
