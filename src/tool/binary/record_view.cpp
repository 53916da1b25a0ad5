#include "tool/binary/record_view.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "compactor/file_layout.h"
#include "model/placement.h"
#include "reader/line_reader.h"
#include "tool/base/display_text.h"
#include "tool/base/scenario_records.h"

namespace scenario::tool {

namespace {

using Json = nlohmann::ordered_json;

constexpr RecordItem all_items[] = {RecordItem::station, RecordItem::sign,     RecordItem::kilometre_break,
                                    RecordItem::sizes,   RecordItem::identity, RecordItem::repetition,
                                    RecordItem::unused,  RecordItem::empty};

// The values 4 to 13 of a station row are called flag1, flag2, extend50 and
// code1 to code7 in the train description.
constexpr NamedField station_fields[] = {
    {"name", Shown::text, {"text"}},     {"kind", Shown::number, {"tag"}},    {"position", Shown::number, {"long3"}},
    {"start", Shown::number, {"long1"}}, {"end", Shown::number, {"long2"}},   {"time", Shown::clock, {"long4"}},
    {"flag1", Shown::number, {"byte1"}}, {"flag2", Shown::number, {"byte5"}}, {"extend50", Shown::number, {"byte4"}},
    {"code1", Shown::number, {"int1"}},  {"code2", Shown::number, {"int2"}},  {"code3", Shown::number, {"byte2"}},
    {"code4", Shown::number, {"int3"}},  {"code5", Shown::number, {"int4"}},  {"code6", Shown::number, {"int5"}},
    {"code7", Shown::number, {"byte3"}},
};
constexpr NamedField sign_fields[] = {{"lettering", Shown::text, {"text"}}};
constexpr NamedField break_fields[] = {
    {"from", Shown::number, {"long1"}},
    {"readingOffset", Shown::number, {"long2"}},
    {"flag", Shown::number, {"long3"}},
};
constexpr NamedField sizes_fields[] = {
    {"brakedMass", Shown::number, {"long1"}},
    {"routeLength", Shown::number, {"long2"}},
    {"coaches", Shown::number, {"long3"}},
};
constexpr NamedField identity_fields[] = {
    {"title", Shown::text, {"text"}},
    {"backgroundOne", Shown::number, {"long1"}},
    {"backgroundTwo", Shown::number, {"long3"}},
    {"backgroundThree", Shown::number, {"long2"}},
    {"marker", Shown::number, {"int1"}},
    {"code", Shown::number, {"long4"}},
};
constexpr NamedField repetition_fields[] = {
    {"trainCode", Shown::text, {"text"}},
    {"firstPosition", Shown::number, {"long1"}},
    {"secondPosition", Shown::number, {"long2"}},
    {"codes", Shown::number, {"long3"}},
    {"sand", Shown::number, {"int1"}},
    {"startClock", Shown::clock_parts, {"int3", "int4", "int5"}},
};

std::string two_digits(std::int64_t n) {
    std::string text = std::to_string(n);
    return n >= 0 && n < 10 ? "0" + text : text;
}

std::string quoted(const std::string& text) {
    std::string q = "\"";
    q += display_text(text);
    q += '"';
    return q;
}

RowValue shown_value(const NamedField& named, const ScenarioRecord& record) {
    switch (named.shown) {
        case Shown::text:
            return {named.name, quoted(record.text), utf8_text(record.text)};
        case Shown::clock: {
            const std::string text = clock_text(record_number(record, named.fields[0]));
            return {named.name, text, text};
        }
        case Shown::clock_parts: {
            const std::string text = two_digits(record_number(record, named.fields[0])) + ":" +
                                     two_digits(record_number(record, named.fields[1])) + ":" +
                                     two_digits(record_number(record, named.fields[2]));
            return {named.name, text, text};
        }
        case Shown::number:
            break;
    }
    const std::int64_t n = record_number(record, named.fields[0]);
    return {named.name, std::to_string(n), n};
}

}  // namespace

int stations_end(RecordDecoder& records) {
    int index = record_index::first_station;
    while (index <= record_index::first_sign && holds_a_number(records.record(index))) ++index;
    return index;
}

KilometreBreaks kilometre_breaks(RecordDecoder& records) {
    return kilometre_breaks(records.record(record_index::break_uno), records.record(record_index::break_due),
                            records.record(record_index::break_tre));
}

RecordItem record_item(int index, const ScenarioRecord& record, int stations_end) {
    if (!holds_a_number(record) && record.text.empty()) return RecordItem::empty;
    if (index >= record_index::first_station && index <= record_index::first_sign) {
        return index < stations_end ? RecordItem::station : RecordItem::sign;
    }
    switch (index) {
        case record_index::break_tre:
        case record_index::break_due:
        case record_index::break_uno:
            return RecordItem::kilometre_break;
        case record_index::train_sizes:
            return RecordItem::sizes;
        case record_index::identity:
            return RecordItem::identity;
        case record_index::repetition:
            return RecordItem::repetition;
        default:
            return RecordItem::unused;
    }
}

const char* record_item_name(RecordItem item) {
    switch (item) {
        case RecordItem::empty:
            return "empty";
        case RecordItem::unused:
            return "unused";
        case RecordItem::station:
            return "station";
        case RecordItem::sign:
            return "sign";
        case RecordItem::kilometre_break:
            return "kilometre break";
        case RecordItem::sizes:
            return "sizes";
        case RecordItem::identity:
            return "identity";
        case RecordItem::repetition:
            return "repetition";
    }
    return "record";
}

std::span<const RecordItem> record_items() { return all_items; }

std::span<const NamedField> named_fields(RecordItem item) {
    switch (item) {
        case RecordItem::station:
            return station_fields;
        case RecordItem::sign:
            return sign_fields;
        case RecordItem::kilometre_break:
            return break_fields;
        case RecordItem::sizes:
            return sizes_fields;
        case RecordItem::identity:
            return identity_fields;
        case RecordItem::repetition:
            return repetition_fields;
        case RecordItem::empty:
        case RecordItem::unused:
            break;
    }
    return {};
}

std::int64_t record_number(const ScenarioRecord& record, std::string_view field) {
    std::optional<std::int64_t> number;
    layout::record_fields(record, [&]<typename Field>(const char* name, const Field& value) {
        if constexpr (!std::is_same_v<Field, std::string>) {
            if (field == name) number = value;
        }
    });
    if (!number) throw std::logic_error("a record has no number field '" + std::string(field) + "'");
    return *number;
}

std::vector<RowValue> record_values(RecordItem item, const ScenarioRecord& record,
                                    const std::optional<KilometreBreaks>& breaks) {
    std::vector<RowValue> values;
    std::vector<std::string_view> named;
    for (const NamedField& field : named_fields(item)) {
        values.push_back(shown_value(field, record));
        for (const char* name : field.fields) {
            if (name != nullptr) named.emplace_back(name);
        }
        if (item == RecordItem::station && std::string_view(field.name) == "position" && breaks) {
            const std::string km = reading_text(reading_at(*breaks, record.long3));
            values.push_back({"km", km, std::stod(km)});
        }
    }
    layout::record_fields(record, [&]<typename Field>(const char* name, const Field& value) {
        if (std::find(named.begin(), named.end(), std::string_view(name)) != named.end()) return;
        if constexpr (std::is_same_v<Field, std::string>) {
            if (!value.empty()) values.push_back({name, quoted(value), utf8_text(value)});
        } else if (value != 0) {
            values.push_back({name, std::to_string(value), static_cast<std::int64_t>(value)});
        }
    });
    return values;
}

std::optional<Stretch> record_stretch(RecordItem item, const ScenarioRecord& record) {
    if (item == RecordItem::station) {
        return Stretch{std::min<std::int64_t>(record.long1, record.long3),
                       std::max<std::int64_t>(record.long2, record.long3)};
    }
    if (item == RecordItem::kilometre_break) return Stretch{record.long1, record.long1};
    return std::nullopt;
}

}  // namespace scenario::tool
