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

namespace scenario {

// Where a field begins: 1-based line and character column.
struct FieldLocation {
    int line = 0;
    int column = 0;

    bool operator==(const FieldLocation&) const = default;
};

// A field's extent on its line: where it begins, the column just past its
// last character, and the byte offset of its first character in the text.
struct FieldSpan {
    FieldLocation at;
    int endColumn = 0;
    std::size_t offset = 0;
};

class FieldStream {
public:
    // Reads its own copy of the text.
    explicit FieldStream(std::string content);
    // Reads a text the caller keeps unchanged while the stream lives.
    struct Viewing {};
    static constexpr Viewing viewing{};
    FieldStream(Viewing, std::string_view content) : text_(content) {}
    // The stream may view its own copy: it is never copied or moved.
    FieldStream(const FieldStream&) = delete;
    FieldStream& operator=(const FieldStream&) = delete;

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
    FieldSpan last_span() const { return {last_, last_end_column(), last_start_}; }
    std::string_view last_text() const { return text_.substr(last_start_, last_end_ - last_start_); }
    // Whether only blanks stand before the field read last on its line.
    bool last_starts_line() const { return last_starts_line_; }
    // The whole text read.
    std::string_view text() const { return text_; }
    // The text of the line a field stands on, without its line end.
    std::string_view line_of(const FieldSpan& field) const;

private:
    bool at_separator() const;
    void consume_separator();
    void skip_blanks();
    void begin_field();
    std::int64_t read_number(std::int64_t low, std::int64_t high, const char* width);
    // Line and column of an offset. The fields are read in order, so the
    // lines are counted as the reading goes, never kept.
    FieldLocation location_of(std::size_t offset);

    std::string own_;        // the copy read, when the stream has one
    std::string_view text_;  // the text read: own_ or the caller's
    std::size_t pos_ = 0;
    FieldLocation last_;
    std::size_t last_start_ = 0;  // offsets of the field read last
    std::size_t last_end_ = 0;
    bool last_starts_line_ = false;
    // Lines counted up to the offset `counted_`: the number of the line it
    // stands on and where that line begins.
    std::size_t counted_ = 0;
    int line_ = 1;
    std::size_t line_start_ = 0;
};

// Substring tests used to recognise keywords inside a field.
bool contains_ignoring_case(std::string_view field, std::string_view needle);
bool contains_exact(std::string_view field, std::string_view needle);

}  // namespace scenario
