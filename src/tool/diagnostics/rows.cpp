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

const ReadField* value_of(const RecordedRow& row, std::size_t index) {
    return index < row.values.size() ? &row.values[index] : nullptr;
}

std::optional<std::int64_t> number_of(const RecordedRow& row, std::size_t index) {
    const ReadField* field = value_of(row, index);
    if (field == nullptr || !field->isNumber) return std::nullopt;
    return field->number;
}

std::string shown_text(std::string_view text) {
    constexpr std::size_t longest = 60;
    std::string shown = display_text(text);
    std::size_t characters = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if ((static_cast<unsigned char>(shown[i]) & 0xC0) == 0x80) continue;
        if (++characters > longest) return shown.substr(0, i) + "...";
    }
    return shown;
}

std::string quoted(std::string_view text) {
    std::string q = "`";
    q += shown_text(text);
    q += '`';
    return q;
}

std::string metres(std::int64_t m) { return std::to_string(m) + " m"; }

std::string item_words(const RecordedRow& row) {
    const Keyword& keyword = *row.keyword;
    if (&keyword == &keyword::station) {
        const ReadField* name = value_of(row, 16);
        if (name != nullptr) return "station " + shown_text(name->text);
        if (const std::optional<std::int64_t> p = number_of(row, 0)) return "the station at " + metres(*p);
        return "the station";
    }
    std::string words = "the " + std::string(item_noun(keyword));
    if (&keyword == &keyword::sign) {
        if (const ReadField* lettering = value_of(row, 1)) words.append(" ").append(shown_text(lettering->text));
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
