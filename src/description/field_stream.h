// Reading a description file as one stream of fields.
//
// A field ends at a comma or a line end (CR LF, or a bare LF or CR), which is
// consumed with it; blanks before a field are skipped. A text field runs to
// the next comma or line end (trailing blanks are not part of it) or, when it
// begins with a double quote, to the closing quote. A number field is an
// optional minus sign and decimal digits; it also ends at a blank, and when
// only blanks stand between the number and the next comma or line end they
// are consumed together with it. An empty number field reads as 0. Reading
// when no character is left, a number field holding anything else, or a
// number that does not fit its width is a ReadFault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// Where a field begins: 1-based line and character column.
struct FieldLocation {
    int line = 0;
    int column = 0;

    bool operator==(const FieldLocation&) const = default;
};

// A field's extent on its line: where it begins and the column just past its
// last character.
struct FieldSpan {
    FieldLocation at;
    int endColumn = 0;
};

class FieldStream {
public:
    explicit FieldStream(std::string content);

    // True when no character is left after the last read.
    bool at_end() const { return pos_ >= text_.size(); }

    std::string read_text();
    std::int32_t read_long();
    std::int16_t read_integer();
    std::uint8_t read_byte();

    // Where the field read last began, where it ended (the column just past
    // its last character; a quoted field's closing quote included) and its
    // text as written (a number's digits, a quoted field with its quotes).
    FieldLocation last_location() const { return last_; }
    int last_end_column() const { return last_.column + static_cast<int>(last_end_ - last_start_); }
    FieldSpan last_span() const { return {last_, last_end_column()}; }
    std::string_view last_text() const { return std::string_view(text_).substr(last_start_, last_end_ - last_start_); }
    // The whole text read.
    std::string_view text() const { return text_; }
    // Where the next field would begin (the end of the file when at end).
    FieldLocation next_location() const;
    // The text of a line (1-based), without its line end.
    std::string_view line_text(int line) const;

private:
    bool at_separator() const;
    void consume_separator();
    void skip_blanks();
    void begin_field();
    std::int64_t read_number(std::int64_t low, std::int64_t high, const char* width);
    FieldLocation location_of(std::size_t offset) const;

    std::string text_;
    std::vector<std::size_t> line_starts_;  // offset of the first character of each line
    std::size_t pos_ = 0;
    FieldLocation last_;
    std::size_t last_start_ = 0;  // offsets of the field read last
    std::size_t last_end_ = 0;
};

// Substring tests used to recognise keywords inside a field.
bool contains_ignoring_case(std::string_view field, std::string_view needle);
bool contains_exact(std::string_view field, std::string_view needle);

}  // namespace scenario
