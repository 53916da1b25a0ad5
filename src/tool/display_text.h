// Showing the single-byte texts of descriptions and scenario files to an
// author: on a terminal, in JSON and in SVG, all of which want UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/route_model.h"

namespace scenario::tool {

bool is_valid_utf8(std::string_view bytes);

// The bytes themselves when they are valid UTF-8; otherwise single-byte
// text, each byte above 127 shown as the character of that code (so the
// accented letters à, è, ì, ò, ù come out right).
std::string display_text(std::string_view bytes);

// The 1-based character column of a 1-based byte column in a line: bytes in
// a valid UTF-8 line, characters in a single-byte line.
int character_column(std::string_view line, int byte_column);

// The number of bytes of the field that begins at a 1-based byte column: a
// number (optional minus sign and digits) or text up to the next comma,
// without trailing blanks; at least 1.
int field_length(std::string_view line, int byte_column);
// The text of that field.
std::string field_at(std::string_view line, int byte_column);

// The item a cell kind stands for, as a noun ("signal", "speed-limit board").
std::string kind_name(std::uint8_t kind);
// What a taken cell holds, for a message: "a signal", "the stop of station
// Brenzola", "the roadside sign (Cippo )".
std::string cell_holding(const RouteModel& model, const RouteCell& cell);

bool contains_word(std::string_view text, std::string_view word);  // ignoring letter case

}  // namespace scenario::tool
