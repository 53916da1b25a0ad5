// The descriptions are single-byte Latin-1 files; an editor sends their text
// as UTF-8 and counts positions on a line in UTF-16 code units. Every
// character of a description is one byte, so the byte column the
// diagnostics give is the character's index on the line: these convert
// exactly between the three.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scenario::tool::lsp {

// The file's bytes of an editor's text: each character its Latin-1 byte; a
// character Latin-1 has not becomes '?', one byte, as a file saved in
// Latin-1 cannot hold it either.
std::string latin1_of_utf8(std::string_view utf8);
// (The other way is latin1_to_utf8, in the tool's base.)

// Of a line of UTF-8 text (no line end): the UTF-16 units before its
// character `characters` (past the end: the line's units), and the reverse,
// the characters before UTF-16 unit `units` (within a surrogate pair: the
// character it belongs to; past the end: the line's characters).
std::size_t utf16_units_before(std::string_view line, std::size_t characters);
std::size_t characters_before(std::string_view line, std::size_t units);
// The byte offset in a UTF-8 line of UTF-16 unit `units` (clamped to the
// line's length, and to the start of the character it falls in).
std::size_t byte_of_utf16(std::string_view line, std::size_t units);

}  // namespace scenario::tool::lsp
