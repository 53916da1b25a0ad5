#include <map>

#include "model/packing.h"
#include "tool/base/display_text.h"
#include "tool/base/kilometres.h"
#include "tool/diagnostics/rows.h"
#include "tool/lsp/features.h"
#include "tool/lsp/publish.h"
#include "tool/lsp/row_lookup.h"
#include "tool/lsp/text_encoding.h"

namespace scenario::tool::lsp {

namespace {

// What each keyword's row tells the program, in a line.
std::string_view meaning_of(const Keyword* k) {
    static const std::map<const Keyword*, std::string_view> meanings{
        {&keyword::route_length, "the length of the route in metres; the route cells are 50 m each"},
        {&keyword::break_uno,
         "a kilometre-point break: from its position on, the reading is the position plus the "
         "offset"},
        {&keyword::break_due,
         "a kilometre-point break: from its position on, the reading is the position plus the "
         "offset"},
        {&keyword::break_tre,
         "a kilometre-point break: from its position on, the reading is the position plus the "
         "offset"},
        {&keyword::background_uno, "the first background picture"},
        {&keyword::background_due, "the second background picture"},
        {&keyword::background_tre, "the third background picture"},
        {&keyword::repetition, "where the signal repetition with four codes begins and ends"},
        {&keyword::gradient, "the gradient from this position on, in per mille"},
        {&keyword::curve, "a curve: its class is in the keyword (s left, d right; 1 to 6)"},
        {&keyword::mountain, "a span of mountain scenery (a type above 10 adds markers)"},
        {&keyword::speed_boards, "a set of speed-limit boards, three ranks on each side"},
        {&keyword::sign, "a roadside sign with its lettering, each line in brackets"},
        {&keyword::braked_mass, "the braked-mass percentage of the train"},
        {&keyword::coaches, "the number of coaches of the train"},
        {&keyword::speed, "the line speed from this position on, stored in steps of 5 km/h"},
        {&keyword::adhesion, "the adhesion from this position on, stored in one byte"},
        {&keyword::clock, "the time of day at the start"},
        {&keyword::sand, "the sand the train carries"},
        {&keyword::signal, "a signal and the codes it shows"},
        {&keyword::slowdown, "a slowdown: its start, speed and length, with a warning board before it"},
        {&keyword::restriction, "a restriction mark"},
        {&keyword::station, "a station: its stop, platform, codes and timetable"},
    };
    const auto found = meanings.find(k);
    return found == meanings.end() ? std::string_view() : found->second;
}

bool is_place(std::string_view name) {
    return name == "position" || name == "start" || name == "end" || name == "route length" ||
           name.find("repetition position") != std::string_view::npos;
}

// A value in the author's units, with the route cell and reading of a place.
std::string value_words(const Checked& checked, const RecordedRow& row, std::size_t index) {
    const std::string_view name = value_name(*row.keyword, index);
    const RecordedField& f = row.values[index];
    if (!f.isNumber) {
        std::string text(1, '`');
        text += latin1_to_utf8(f.text);
        text += '`';
        return text;
    }
    const std::int64_t n = f.number;
    std::string words = std::to_string(n);
    if (is_place(name) || name == "length" || name == "offset") words += " m";
    if (is_place(name) && name != "route length") {
        words += " (km " + reading_text(kilometre_reading(checked.run->model, n)) + ", route cell " +
                 std::to_string(n / 50) + ")";
    }
    if (name.find("speed") != std::string_view::npos) words += " km/h";
    if (name == "gradient") words += " ‰";
    if (row.keyword == &keyword::speed && name == "speed") {
        if (const auto stored = speed_limit_byte(n); stored && unpack_speed_limit(*stored) != n) {
            words += ", stored as " + std::to_string(unpack_speed_limit(*stored)) + " km/h (steps of 5)";
        }
    }
    if (row.keyword == &keyword::adhesion && name == "adhesion" && pack_adhesion(n) != n) {
        words += ", stored as " + std::to_string(pack_adhesion(n)) + " (one byte)";
    }
    if (row.keyword == &keyword::gradient && name == "gradient" && unpack_gradient(pack_gradient(n)) != n) {
        words += ", stored as " + std::to_string(unpack_gradient(pack_gradient(n))) + " ‰ (one byte)";
    }
    return words;
}

std::string clock_words(const RecordedRow& row, std::size_t first) {
    std::string words;
    for (std::size_t i = first; i < first + 3 && i < row.values.size(); ++i) {
        const std::string part = std::to_string(row.values[i].number);
        if (i > first) words += ':';
        if (part.size() < 2) words += '0';
        words += part;
    }
    return words;
}

}  // namespace

nlohmann::json hover(const Place& place) {
    const Recorder& recorder = place.checked.recorder();
    const auto [line, column] = place.document.column_of(place.at);
    const int index = row_at(recorder, place.source, line);
    if (index < 0) return nullptr;
    const RecordedRow& row = recorder.rows[static_cast<std::size_t>(index)];
    if (row.keyword == nullptr) return nullptr;
    std::string text = "**" + std::string(row.keyword->written) + "**: " + std::string(item_noun(*row.keyword));
    if (const std::string_view meaning = meaning_of(row.keyword); !meaning.empty()) {
        text += " — " + std::string(meaning);
    }
    text += "\n\n";
    for (std::size_t i = 0; i < row.values.size(); ++i) {
        const std::string_view name = value_name(*row.keyword, i);
        text += "- " + std::string(name) + ": " + value_words(place.checked, row, i) + "\n";
        if (name == "hours" && i + 2 < row.values.size()) {
            text += "  (clock ";
            text += clock_words(row, i);
            text += ")\n";
        }
    }
    const std::optional<FieldAt> under = field_at(row, line, column);
    const RecordedField& shown = under ? *under->field : row.keywordField;
    return {{"contents", {{"kind", "markdown"}, {"value", text}}},
            {"range", range_json(place.document, shown.at.line, shown.at.column, shown.endColumn)}};
}

}  // namespace scenario::tool::lsp
