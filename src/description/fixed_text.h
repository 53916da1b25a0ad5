// The fixed-text writing steps shared by the five text writers, and the
// conversion of the embedded texts to single-byte lines.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// Reserved line that ends a writer's table; it is never written.
inline constexpr std::string_view end_marker = "riferimento fine del file";

// A writer's table of literal lines, indexes 0 to 1000.
using LineTable = std::array<std::string, 1001>;

// Fills a table with the lines followed by the end marker. Throws
// std::length_error when the lines and the marker do not fit.
LineTable make_line_table(const std::vector<std::string>& lines);

// Every entry before the end marker followed by CR LF (all entries when the
// table holds no marker): the file's bytes.
std::string fixed_text_content(const LineTable& table);

// Writes fixed_text_content(table) and puts the file in place of any earlier
// one in one step. Failures are FileErrors.
void write_fixed_text(const std::string& path, const LineTable& table);

// An author's text as a program written from it writes it: every line
// followed by CR LF. Lines end at CR LF, LF or CR; a last line without a
// line end is a line all the same, and an empty text has none. However many
// the lines, every one is kept, the end marker too.
std::string with_crlf_line_ends(std::string_view text);

// Splits an embedded text (UTF-8, lines ended by LF) into single-byte lines:
// à, è, ì, ò, ù become the bytes 224, 232, 236, 242, 249. Any other byte
// outside printable ASCII is a std::invalid_argument naming the line.
std::vector<std::string> single_byte_lines(std::string_view utf8_text, std::string_view name);

}  // namespace scenario
