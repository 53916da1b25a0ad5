// The scenario records as an author reads them: what each record is
// (station, sign, kilometre break, sizes, identity, repetition) and its
// values under the names they have in the descriptions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "compactor/binary_decoding.h"
#include "model/route_model.h"
#include "tool/base/compiled_sizes.h"
#include "tool/binary/selection.h"

namespace scenario::tool {

enum class RecordItem { empty, unused, station, sign, kilometre_break, sizes, identity, repetition };

// Where the stations end: they fill the records from 1 upward, each with a
// number that is not 0 (its kind, or an end beyond 0 m), up to the first
// record without one; the signs' texts fill the places above, from 80 down.
int stations_end(RecordDecoder& records);

// The kilometre-point breaks of records 81 to 83.
KilometreBreaks kilometre_breaks(RecordDecoder& records);

// What the record at `index` holds, from its place in the table.
RecordItem record_item(int index, const ScenarioRecord& record, int stations_end);
// "station", "kilometre break", ...
const char* record_item_name(RecordItem item);
// Every item name, for --kind.
std::span<const RecordItem> record_items();

// How a named value is shown.
enum class Shown {
    number,
    clock,        // seconds of the day, as hh:mm:ss
    clock_parts,  // three fields: hours, minutes, seconds, as hh:mm:ss
    text,         // single-byte text
};

// A value under its author's name, made of the record fields named in
// `fields` (one, or three for clock_parts).
struct NamedField {
    const char* name;
    Shown shown;
    std::array<const char*, 3> fields;
};
std::span<const NamedField> named_fields(RecordItem item);

// The number in the record field of that name; a text field or an unknown
// name is a std::logic_error.
std::int64_t record_number(const ScenarioRecord& record, std::string_view field);

// One value of a row: its name, its text (as a terminal shows it) and its
// JSON form (a text as it is, in UTF-8).
struct RowValue {
    std::string name;
    std::string text;
    nlohmann::ordered_json json;
};

// The values of a record: its named fields, then under their field names
// any other field that is not 0 (nothing of the record stays hidden). With
// the breaks, a station's position also gets its kilometre reading ("km").
std::vector<RowValue> record_values(RecordItem item, const ScenarioRecord& record,
                                    const std::optional<KilometreBreaks>& breaks);

// The stretch of the route a record stands for: a station's extent, a
// break's position; nothing for the others.
std::optional<Stretch> record_stretch(RecordItem item, const ScenarioRecord& record);

}  // namespace scenario::tool
