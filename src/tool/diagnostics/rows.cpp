#include "tool/diagnostics/rows.h"

#include <algorithm>
#include <array>
#include <vector>

#include "tool/base/display_text.h"

namespace scenario::tool {

namespace {

struct Shape {
    const Keyword* keyword;
    std::string_view noun;
    std::vector<std::string_view> values;
};

const std::vector<Shape>& shapes() {
    static const std::vector<Shape> table{
        {&keyword::route_length, "route length", {"route length"}},
        {&keyword::break_tre, "kilometre-point break", {"position", "offset", "flag"}},
        {&keyword::break_due, "kilometre-point break", {"position", "offset", "flag"}},
        {&keyword::break_uno, "kilometre-point break", {"position", "offset", "flag"}},
        {&keyword::background_uno, "background", {"background"}},
        {&keyword::background_due, "background", {"background"}},
        {&keyword::background_tre, "background", {"background"}},
        {&keyword::repetition, "signal repetition", {"first repetition position", "second repetition position"}},
        {&keyword::gradient, "gradient change", {"position", "gradient"}},
        {&keyword::curve, "curve", {"start", "length"}},
        {&keyword::mountain, "mountain span", {"start", "end", "type"}},
        {&keyword::speed_boards,
         "set of speed boards",
         {"position", "rank A left-hand speed", "rank B left-hand speed", "rank C left-hand speed", "left-hand stripes",
          "rank A right-hand speed", "rank B right-hand speed", "rank C right-hand speed", "right-hand stripes"}},
        {&keyword::sign, "roadside sign", {"position", "lettering"}},
        {&keyword::braked_mass, "braked mass", {"braked-mass percentage"}},
        {&keyword::coaches, "coaches", {"number of coaches"}},
        {&keyword::speed, "line speed", {"position", "speed"}},
        {&keyword::adhesion, "adhesion", {"position", "adhesion"}},
        {&keyword::clock, "clock", {"hours", "minutes", "seconds"}},
        {&keyword::sand, "sand", {"sand"}},
        {&keyword::signal, "signal", {"position", "sx", "s1", "s2", "s3", "rapp", "dx", "d1", "d2", "d3", "tempo"}},
        {&keyword::slowdown, "slowdown", {"position", "speed", "length", "f_tt", "f_ta", "d_v"}},
        {&keyword::restriction, "restriction mark", {"position", "value"}},
        {&keyword::station,
         "station",
         {"position", "kind", "length", "flag1", "flag2", "extend50", "code1", "code2", "code3", "code4", "code5",
          "code6", "code7", "hours", "minutes", "seconds", "name"}},
    };
    return table;
}

// What a message shows of a text of which `start` is at least the first
// 244 bytes, or all; `utf8` tells whether the whole text is UTF-8 (else it
// is taken byte by byte). Past 60 characters it is cut with "...".
std::string shown_start(std::string_view start, bool utf8) {
    constexpr std::size_t longest = 60;
    // Every character takes at most four bytes.
    constexpr std::size_t enough = (longest + 1) * 4;
    std::string_view part = start.substr(0, enough);
    if (utf8) {
        while (part.size() < start.size() && !part.empty() &&
               (static_cast<unsigned char>(start[part.size()]) & 0xC0) == 0x80) {
            part.remove_suffix(1);
        }
    }
    std::string shown = escape_controls(utf8 ? std::string(part) : latin1_to_utf8(part));
    std::size_t characters = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if ((static_cast<unsigned char>(shown[i]) & 0xC0) == 0x80) continue;
        if (++characters > longest) return shown.substr(0, i) + "...";
    }
    return shown;
}

const Shape* shape_of(const Keyword& keyword) {
    for (const Shape& shape : shapes()) {
        if (shape.keyword == &keyword) return &shape;
    }
    return nullptr;
}

}  // namespace

std::size_t value_count(const Keyword& keyword) {
    const Shape* shape = shape_of(keyword);
    return shape == nullptr ? 0 : shape->values.size();
}

std::string_view value_name(const Keyword& keyword, std::size_t index) {
    const Shape* shape = shape_of(keyword);
    if (shape == nullptr || index >= shape->values.size()) return "value";
    return shape->values[index];
}

std::string_view item_noun(const Keyword& keyword) {
    const Shape* shape = shape_of(keyword);
    return shape == nullptr ? keyword.written : shape->noun;
}

const RecordedField* value_of(const RecordedRow& row, std::size_t index) {
    return index < row.values.size() ? &row.values[index] : nullptr;
}

std::optional<std::int64_t> number_of(const RecordedRow& row, std::size_t index) {
    const RecordedField* field = value_of(row, index);
    if (field == nullptr || !field->isNumber) return std::nullopt;
    return field->number;
}

std::string shown_text(std::string_view text) { return shown_start(text, is_valid_utf8(text)); }

std::string shown_text(const RecordedField& field) {
    return shown_start(field.text, field.cut ? field.utf8 : is_valid_utf8(field.text));
}

namespace {

std::string in_backquotes(const std::string& shown) {
    std::string q = "`";
    q += shown;
    q += '`';
    return q;
}

}  // namespace

std::string quoted(std::string_view text) { return in_backquotes(shown_text(text)); }
std::string quoted(const RecordedField& field) { return in_backquotes(shown_text(field)); }

std::string metres(std::int64_t m) { return std::to_string(m) + " m"; }

std::string item_words(const RecordedRow& row) {
    const Keyword& keyword = *row.keyword;
    if (&keyword == &keyword::station) {
        const RecordedField* name = value_of(row, 16);
        if (name != nullptr) return "station " + shown_text(*name);
        if (const std::optional<std::int64_t> p = number_of(row, 0)) return "the station at " + metres(*p);
        return "the station";
    }
    std::string words = "the " + std::string(item_noun(keyword));
    if (&keyword == &keyword::sign) {
        if (const RecordedField* lettering = value_of(row, 1)) words.append(" ").append(shown_text(*lettering));
    }
    if (const std::optional<std::int64_t> p = number_of(row, 0); p && value_count(keyword) > 1) {
        words += " at " + metres(*p);
    }
    return words;
}

std::span<const Keyword* const> line_general_keywords() { return keyword::line_general; }
std::span<const Keyword* const> line_item_keywords() { return keyword::line_items; }
std::span<const Keyword* const> train_keywords() { return keyword::train_records; }

}  // namespace scenario::tool
