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
// text, each byte above 127 taken as the character of that code (so the
// accented letters à, è, ì, ò, ù come out right). Control characters stay as
// they are: this is for measuring, not for showing.
std::string utf8_text(std::string_view bytes);

// Single-byte text in UTF-8: each byte the character of its code (Latin-1).
std::string latin1_to_utf8(std::string_view bytes);

// UTF-8 text with every control character but the tab (C0, DEL and C1)
// written as "\x1b", so that nothing an author put in a file can steer the
// terminal it is shown on.
std::string escape_controls(std::string_view utf8);

// What is shown of a text from a file: utf8_text, then escape_controls.
std::string display_text(std::string_view bytes);

// A message as it is written to a terminal, whatever the arguments and paths
// it echoes hold: every valid UTF-8 sequence kept, every other byte taken as
// single-byte text, and every control character but the tab, line ends
// included, escaped ("\x1b"). Text shown so already passes through unchanged:
// a message holding a name escaped before is not escaped twice.
std::string terminal_text(std::string_view message);

// A source line cut down to be shown above a caret.
struct Excerpt {
    std::string text;  // control characters escaped
    int column = 1;    // the caret's 1-based character column in `text`
};

inline constexpr int widest_source_line = 200;

// The part of a source line (UTF-8, as utf8_text gives it) to show with a
// caret at its 1-based character `column`. A line that shows in at most
// `width` columns is shown whole; a longer one is cut to `width` columns
// around the caret, "..." standing for each part left out.
Excerpt source_excerpt(std::string_view line, int column, int width = widest_source_line);

// The 1-based character column of a 1-based byte column in a line: bytes in
// a valid UTF-8 line, characters in a single-byte line.
int character_column(std::string_view line, int byte_column);

// The item a cell kind stands for, as a noun ("signal", "speed-limit board").
std::string kind_name(std::uint8_t kind);
// What a taken cell holds, for a message: "a signal", "the stop of station
// Brenzola", "the roadside sign (Cippo )".
std::string cell_holding(const RouteModel& model, const RouteCell& cell);

// "hh:mm:ss" for seconds of the day.
std::string clock_text(std::int64_t seconds);

}  // namespace scenario::tool
