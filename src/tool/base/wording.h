// Words the tool's messages share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool {

// The number of single-letter insertions, deletions, replacements and swaps
// of two neighbours that turn one text into the other; only small
// distances are exact: texts far apart give some number above 3.
int edit_distance(std::string_view a, std::string_view b);

// "a", "a and b", "a, b and c".
std::string listing(const std::vector<std::string>& items);

// "1st", "2nd", "3rd", "4th", "11th", "12th", "13th", "21st", "111th".
std::string ordinal(std::int64_t n);

// "1 roadside sign", "3 roadside signs": a count and its noun, the plural
// made with "s".
std::string counted(std::int64_t n, std::string_view noun);

// The name among `names` that a misspelt `given` most likely meant: the
// nearest one within a single edit (a character added, left out, changed, or
// two neighbours swapped) for a short word and two for a longer one, else
// the only name that begins with it; nothing when none is that close.
std::optional<std::string> nearest_name(std::string_view given, const std::vector<std::string>& names);

}  // namespace scenario::tool
