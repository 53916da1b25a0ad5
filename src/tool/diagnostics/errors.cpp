#include "tool/diagnostics/errors.h"

#include <algorithm>
#include <array>
#include <string>

#include "compactor/completion_pass.h"
#include "model/packing.h"
#include "model/placement.h"
#include "reader/line_reader.h"
#include "reader/signal_recorders.h"
#include "reader/train_reader.h"
#include "tool/base/display_text.h"
#include "tool/base/wording.h"
#include "tool/diagnostics/catalogue.h"
#include "tool/diagnostics/row_scan.h"
#include "tool/diagnostics/rows.h"

namespace scenario::tool {

namespace {

std::string cell_words(std::int64_t cell) { return "route cell " + std::to_string(cell); }

std::string description_of(Source source) {
    return source == Source::train_description ? "train description" : "line description";
}

class Describer {
public:
    Describer(const Run& run, const AuthorFiles& files, std::vector<int>* folded = nullptr)
        : run_(run), files_(files), r_(run.recorder), folded_(folded) {}

    std::optional<Diagnostic> reading_error() const;
    std::vector<Diagnostic> pass_errors() const;
    std::optional<Diagnostic> stamp_error() const;

private:
    const RecordedRow* row(int index) const {
        return index >= 0 && static_cast<std::size_t>(index) < r_.rows.size()
                   ? &r_.rows[static_cast<std::size_t>(index)]
                   : nullptr;
    }
    // The row's first value (its position), else its keyword.
    SourcePoint at_row(const RecordedRow& row) const {
        const RecordedField* p = value_of(row, 0);
        return files_.point(row.source, p != nullptr ? *p : row.keywordField);
    }
    SourcePoint at_value(const RecordedRow& row, std::size_t index) const {
        const RecordedField* v = value_of(row, index);
        return v != nullptr ? files_.point(row.source, *v) : at_row(row);
    }
    static Diagnostic make(const DiagnosticKind& kind, std::optional<SourcePoint> at, std::string message) {
        return diagnostic_of(kind, std::move(at), std::move(message));
    }

    std::string holding(std::int64_t cell) const;
    std::optional<Note> owner_note(std::int64_t cell) const;
    void add_owner_notes(Diagnostic& d, const std::vector<std::int64_t>& cells) const;
    std::string cells_holding(const std::vector<std::int64_t>& cells) const;
    bool taken(std::int64_t cell) const {
        return cell >= 0 && cell < static_cast<std::int64_t>(run_.model.cells.size()) &&
               !is_free(run_.model.cells[static_cast<std::size_t>(cell)]);
    }

    Diagnostic failure(const RecordedFailure& f) const;
    Diagnostic cell_taken(const RecordedFailure& f, const RecordedRow& row) const;
    Diagnostic beyond_route(const RecordedFailure& f) const;
    Diagnostic station_failure(const RecordedFailure& f, const RecordedRow& row) const;
    Diagnostic header_missing(const RecordedFailure& f) const;
    Diagnostic fault(const RecordedFault& f) const;
    Diagnostic number_fault(const RecordedFault& f, const RecordedRow* r, const SourcePoint& at) const;
    Diagnostic no_route_length(const RecordedRow* r) const;
    Diagnostic board_overflow(const RecordedRow& r, const SourcePoint& at, const std::string& what) const;
    Diagnostic pass_failure(const RecordedPassFailure& f) const;

    // The items of both descriptions that lie beyond a route length.
    struct Beyond {
        std::int64_t items = 0;  // items with a position in all
        std::int64_t count = 0;  // those beyond the route length
        std::int64_t furthest = 0;
        std::optional<SourcePoint> first;
        std::string firstKeyword;
        std::int64_t firstPosition = 0;
    };
    Beyond items_beyond(std::int64_t route) const;
    std::optional<Diagnostic> route_too_short(Source source, const RecordedField& stop, const char* why) const;
    // The rows of `keywords` from the line of `row` on, in its file; each
    // line is folded into the error when it is the reading's.
    std::int64_t rows_from(const RecordedRow& row, std::span<const Keyword* const> keywords) const;
    Diagnostic too_many(const RecordedRow* r, const SourcePoint& at, const Keyword& keyword, const DiagnosticKind& kind,
                        std::string_view noun) const;
    std::optional<Diagnostic> route_length_elsewhere() const;
    std::string stations_beyond(const RecordedRow& r, int ordinal_number, int signs) const;

    const Run& run_;
    const AuthorFiles& files_;
    const Recorder& r_;
    std::vector<int>* folded_;
};

// What a cell holds, in the author's words: the item and the row it comes
// from.
std::string Describer::holding(std::int64_t cell) const {
    const CellOwner* owner = r_.owner(cell);
    const RouteModel& m = run_.model;
    const bool inside = cell >= 0 && cell < static_cast<std::int64_t>(m.cells.size());
    if (owner == nullptr || !inside || owner->kind != m.cells[static_cast<std::size_t>(cell)].kind) {
        return inside ? cell_holding(m, m.cells[static_cast<std::size_t>(cell)]) : "nothing: it lies beyond the route";
    }
    if (owner->passCause) {
        const RecordedRow* cause = row(r_.source_row(*owner->passCause).value_or(-1));
        return "a restriction mark the completion pass placed for " +
               (cause != nullptr ? item_words(*cause) : std::string("another item"));
    }
    const RecordedRow* source = row(owner->row);
    if (source == nullptr) return cell_holding(m, m.cells[static_cast<std::size_t>(cell)]);
    std::string item = item_words(*source);
    switch (owner->kind) {
        case cell_kind::slowdown_end:
            return "the end of " + item;
        case cell_kind::slowdown_start:
            return "the start of " + item;
        case cell_kind::slowdown_warning:
            return "the warning board of " + item;
        case cell_kind::slowdown_approach:
            return "an approach cell of " + item;
        case cell_kind::station_stop:
            return "the stop of " + item;
        case cell_kind::mountain_marker:
            return "a marker of " + item;
        default:
            return item;
    }
}

std::optional<Note> Describer::owner_note(std::int64_t cell) const {
    const CellOwner* owner = r_.owner(cell);
    if (owner == nullptr) return std::nullopt;
    const std::optional<int> source_row = owner->passCause ? r_.source_row(*owner->passCause) : owner->row;
    const RecordedRow* source = row(source_row.value_or(-1));
    if (source == nullptr) return std::nullopt;
    std::string message = holding(cell) + " takes " + cell_words(cell);
    if (owner->kind == cell_kind::slowdown_warning) {
        message = "the warning board of this slowdown, " + metres(warning_distance) + " before its start, takes " +
                  cell_words(cell);
    } else if (owner->kind == cell_kind::slowdown_approach) {
        message = "the approach cells of this slowdown, just before its warning board, take " + cell_words(cell);
    } else if (owner->kind == cell_kind::slowdown_end) {
        message = "the end of this slowdown takes " + cell_words(cell);
    } else if (owner->passCause) {
        message = "the completion pass put a restriction mark for this item in " + cell_words(cell);
    }
    return Note{at_row(*source), message};
}

void Describer::add_owner_notes(Diagnostic& d, const std::vector<std::int64_t>& cells) const {
    for (std::int64_t cell : cells) {
        if (std::optional<Note> note = owner_note(cell)) d.notes.push_back(std::move(*note));
    }
}

std::string Describer::cells_holding(const std::vector<std::int64_t>& cells) const {
    std::vector<std::string> parts;
    parts.reserve(cells.size());
    for (std::int64_t cell : cells) parts.push_back(cell_words(cell) + " holds " + holding(cell));
    return listing(parts);
}

std::optional<Diagnostic> Describer::reading_error() const {
    if (!r_.failures.empty()) {
        Diagnostic d = failure(r_.failures.front());
        // An item beyond the route in the line description lets the train
        // description be read up to its first signal or slowdown.
        if (r_.failures.front().code == ErrorCode::item_beyond_route &&
            r_.failures.front().source == Source::line_description && r_.failures.size() > 1 &&
            r_.failures[1].source == Source::train_description && r_.failures[1].code == ErrorCode::item_beyond_route) {
            const RecordedFailure& end = r_.failures[1];
            const RecordedRow* ended_at = row(end.row);
            d.notes.push_back({files_.point(end.source, end.field),
                               "the reading of the train description ended at " +
                                   (ended_at != nullptr ? item_words(*ended_at) : std::string("this row")) +
                                   ", its first row beyond the route cells made so far, because of it"});
        }
        return d;
    }
    if (r_.faulted) return fault(*r_.faulted);
    if (run_.model.errorCode == value_of(ErrorCode::line_description_missing)) {
        const std::string& trouble = files_.trouble(Source::line_description);
        return make(kind_named("line-description-missing"), files_.whole(Source::line_description),
                    "the line description " + (trouble.empty() ? std::string("does not exist") : trouble) +
                        ", so nothing was read");
    }
    return std::nullopt;
}

Diagnostic Describer::failure(const RecordedFailure& f) const {
    const RecordedRow* r = row(f.row);
    const SourcePoint at = files_.point(f.source, f.field);
    const std::string number = shown_text(f.field.text);
    switch (f.code) {
        case ErrorCode::route_too_long:
            return make(kind_named("route-too-long"), at,
                        "route length " + number + " m is longer than the longest route, " + metres(longest_route));
        case ErrorCode::repetition_start_not_on_50:
            return make(kind_named("repetition-start-not-on-50"), at,
                        "first signal-repetition position " + number + " m is not a multiple of 50");
        case ErrorCode::repetition_end_not_on_50:
            return make(kind_named("repetition-end-not-on-50"), at,
                        "second signal-repetition position " + number + " m is not a multiple of 50");
        case ErrorCode::repetition_without_codes:
            return make(kind_named("repetition-without-codes"), at,
                        "signal-repetition keyword " + quoted(f.field.text) + " names neither 4 nor 9 codes");
        case ErrorCode::general_header_missing:
            return header_missing(f);
        case ErrorCode::curve_without_class: {
            const bool has_class =
                std::any_of(f.field.text.begin(), f.field.text.end(), [](char c) { return c >= '1' && c <= '6'; });
            if (has_class && r != nullptr) {
                return make(kind_named("curves-beyond-last-metre"), at,
                            item_words(*r) + ", " + metres(number_of(*r, 1).value_or(0)) +
                                " long, takes the plan geometry past metre " + std::to_string(last_metre_of_curves));
            }
            return make(kind_named("curve-without-class"), at,
                        "curve keyword " + quoted(f.field.text) + " names no curve class (a digit 1 to 6)");
        }
        case ErrorCode::item_beyond_route:
            return beyond_route(f);
        case ErrorCode::break_not_on_50: {
            std::string what = "kilometre-point break value";
            for (const std::optional<RecordedRow>& b : r_.lastBreaks) {
                for (std::size_t i = 0; b && i < 2 && i < b->values.size(); ++i) {
                    if (b->source == f.source && b->values[i].at == f.field.at) {
                        what = "kilometre-point break " + std::string(value_name(*b->keyword, i));
                    }
                }
            }
            return make(kind_named("break-not-on-50"), at, what + " " + number + " m is not a multiple of 50");
        }
        case ErrorCode::sign_cell_taken:
        case ErrorCode::speed_boards_cell_taken:
        case ErrorCode::signal_cell_taken:
        case ErrorCode::warning_board_cell_taken:
        case ErrorCode::slowdown_start_cell_taken:
        case ErrorCode::slowdown_end_cell_taken:
        case ErrorCode::slowdown_approach_cell_taken:
        case ErrorCode::restriction_cell_taken:
            if (r != nullptr) return cell_taken(f, *r);
            break;
        case ErrorCode::station_position_not_on_50:
        case ErrorCode::station_length_not_on_100:
        case ErrorCode::stop_cell_too_early:
        case ErrorCode::stations_too_close:
        case ErrorCode::station_table_full:
            if (r != nullptr) return station_failure(f, *r);
            break;
        default:
            break;
    }
    const DiagnosticKind& kind = kind_of(f.code);
    return make(kind, at, kind.code == f.code ? std::string(kind.summary) : "the reading failed");
}

Diagnostic Describer::header_missing(const RecordedFailure& f) const {
    // A prologue field that is nearly the header is the usual cause.
    if (const std::optional<RecordedField>& near = r_.nearHeader) {
        return make(kind_named("general-header-missing"), files_.point(Source::line_description, *near),
                    quoted(near->text) +
                        " is not the \"[generale]\" header, so nothing of the line description is read; did "
                        "you mean `[generale]`?");
    }
    if (contains_ignoring_case(f.field.text, "[generale]")) {
        return make(kind_named("general-header-missing"), files_.point(f.source, f.field),
                    "nothing follows the \"[generale]\" header: it is the file's last field");
    }
    return make(kind_named("general-header-missing"), files_.whole(Source::line_description),
                "the line description has no \"[generale]\" header, so nothing of it is read");
}

// Whether a keyword's row begins with a position on the route.
bool positioned(const Keyword& k) {
    const std::string_view first = value_name(k, 0);
    return first == "position" || first == "start";
}

// Below this a route length is most likely written in kilometres.
constexpr std::int64_t looks_like_kilometres = 1000;

Describer::Beyond Describer::items_beyond(std::int64_t route) const {
    Beyond b;
    auto scan = [&](Source source, std::span<const Keyword* const> keywords, int from) {
        const std::optional<std::string_view> text = files_.text(source);
        if (!text || from <= 1) return;
        scan_rows(*text, from, keywords, [&](const ScannedRow& found) {
            if (!found.first || !positioned(*found.keyword)) return true;
            ++b.items;
            if (*found.first <= route) return true;
            if (b.count++ == 0) {
                b.first = files_.point(source, FieldLocation{found.line, found.firstColumn}, found.firstEnd);
                b.firstKeyword = found.keywordText;
                b.firstPosition = *found.first;
            }
            b.furthest = std::max(b.furthest, *found.first);
            return true;
        });
    };
    // The items of the line description stand after the header that ends
    // its general section; those of the train description after its own.
    const std::optional<std::string_view> line_text = files_.text(Source::line_description);
    const int general = r_.headers[index_of(Source::line_description)].at.line;
    if (line_text && general > 0) {
        if (const std::optional<ScannedHeader> end = next_header(*line_text, general + 1)) {
            scan(Source::line_description, line_item_keywords(), end->line + 1);
        }
    }
    if (r_.headerFound[index_of(Source::train_description)]) {
        scan(Source::train_description, train_keywords(), r_.headers[index_of(Source::train_description)].at.line + 1);
    }
    return b;
}

// Items beyond the route because of the route length: more than one, or a
// route length that reads like kilometres. One item beyond a route of a
// likely length is that item's mistake.
std::optional<Diagnostic> Describer::route_too_short(Source source, const RecordedField& stopped,
                                                     const char* why) const {
    if (!r_.routeLength) return std::nullopt;
    const RecordedRow& length = *r_.routeLength;
    const std::optional<std::int64_t> route = number_of(length, 0);
    if (!route) return std::nullopt;
    const Beyond b = items_beyond(*route);
    if (b.count == 0 || (b.count == 1 && *route >= looks_like_kilometres)) return std::nullopt;
    std::string advice =
        "the route length is in metres: make it " + metres(b.furthest) + " or more to hold them, or take them out";
    if (*route <= 0) {
        advice = "write the route length in metres, above 0";
    } else if (*route < looks_like_kilometres) {
        advice = "the route length is in metres: " + std::to_string(*route) + " km is " + std::to_string(*route * 1000);
    }
    Diagnostic d =
        make(kind_named("route-too-short"), at_value(length, 0),
             "route length " + quoted(*value_of(length, 0)) + " is read as " + metres(*route) + ", so " +
                 (b.count == b.items && b.count > 1 ? "all " + counted(b.items, "item")
                                                    : std::to_string(b.count) + " of the " + counted(b.items, "item")) +
                 (b.count == 1 ? " lies" : " lie") + " beyond the route, the furthest at " + metres(b.furthest) + ": " +
                 advice);
    if (b.first) {
        d.notes.push_back(
            {b.first, "the first item beyond the route: " + quoted(b.firstKeyword) + " at " + metres(b.firstPosition)});
    }
    const SourcePoint stop = files_.point(source, stopped);
    if (!b.first || b.first->line != stop.line || b.first->file != stop.file) {
        d.notes.push_back({stop, std::string("the reading stops here, at ") + why});
    }
    return d;
}

Diagnostic Describer::beyond_route(const RecordedFailure& f) const {
    if (std::optional<Diagnostic> cause =
            route_too_short(f.source, f.field, "the first item beyond the last route cell")) {
        return std::move(*cause);
    }
    const RecordedRow* r = row(f.row);
    const bool station = r != nullptr && r->keyword == &keyword::station;
    const std::int64_t p = f.position.value_or(0);
    const std::int64_t last = last_position(run_.model.cellCount, station ? station_margin : item_margin);
    const std::string route = metres(run_.model.records[record_index::train_sizes].long2);
    std::string message = (r != nullptr ? item_words(*r) : "an item at " + metres(p)) +
                          " lies beyond the route: on a " + route + " route " + (station ? "stations" : "items") +
                          " must stand at " + metres(last) + " or before; the rest of the " + description_of(f.source) +
                          " is not read";
    return make(kind_named("item-beyond-route"), files_.point(f.source, f.field), message);
}

Diagnostic Describer::cell_taken(const RecordedFailure& f, const RecordedRow& r) const {
    const std::int64_t x = number_of(r, 0).value_or(0);
    const SourcePoint at = files_.point(f.source, f.field);
    std::int64_t cell = point_cell(x);
    std::string what = item_words(r);
    const DiagnosticKind& kind = kind_of(f.code);
    switch (f.code) {
        case ErrorCode::restriction_cell_taken:
            cell = property_cell(x);
            break;
        case ErrorCode::slowdown_start_cell_taken:
            what = "the start of " + what;
            break;
        case ErrorCode::warning_board_cell_taken:
            cell = point_cell(x - warning_distance);
            what = "the warning board of " + what + ", " + metres(warning_distance) + " before it at " +
                   metres(x - warning_distance) + ",";
            break;
        case ErrorCode::slowdown_end_cell_taken: {
            const std::int64_t length = number_of(r, 2).value_or(0);
            cell = point_cell(x + length);
            what = "the end of " + what + ", " + metres(length) + " long, at " + metres(x + length) + ",";
            break;
        }
        case ErrorCode::slowdown_approach_cell_taken: {
            const std::int64_t first = property_cell(x - warning_distance);
            std::int64_t blocked = first;
            for (std::int64_t i = 0; i < approach_cells; ++i) {
                if (taken(first - i)) {
                    blocked = first - i;
                    break;
                }
            }
            Diagnostic d = make(kind, at,
                                "the four cells just before the warning board of " + what + " (" + cell_words(first) +
                                    " down to " + std::to_string(first - approach_cells + 1) + ") must be free, but " +
                                    cell_words(blocked) + " holds " + holding(blocked));
            add_owner_notes(d, {blocked});
            return d;
        }
        default:
            break;
    }
    Diagnostic d = make(kind, at, what + " goes into " + cell_words(cell) + ", which already holds " + holding(cell));
    add_owner_notes(d, {cell});
    return d;
}

// The station that does not fit, the `ordinal`th, and every one after it.
std::string Describer::stations_beyond(const RecordedRow& r, int ordinal_number, int signs) const {
    // Station n takes record n and must leave the record after it below
    // the signs' records, which fill from 80 down.
    const std::int64_t fit = std::max(0, record_index::first_sign - 2 - signs);
    const std::array<const Keyword*, 1> stations{&keyword::station};
    const std::int64_t beyond = rows_from(r, stations);
    const std::int64_t all = ordinal_number - 1 + beyond;
    std::string message = item_words(r) + ", the " + ordinal(ordinal_number) +
                          " station, does not fit: stations and roadside signs share the records 1 to " +
                          std::to_string(record_index::first_sign) + ", and with " + counted(signs, "roadside sign") +
                          (fit == 0 ? " no station fits" : " at most " + counted(fit, "station") + " fit");
    message += "; take out " + counted(beyond, "station");
    const std::int64_t room = record_index::first_sign - 2 - all;
    if (room >= 0 && signs > room) message += " or " + counted(signs - room, "roadside sign");
    return message;
}

Diagnostic Describer::station_failure(const RecordedFailure& f, const RecordedRow& r) const {
    const SourcePoint at = files_.point(f.source, f.field);
    const std::int64_t p = number_of(r, 0).value_or(0);
    switch (f.code) {
        case ErrorCode::station_position_not_on_50:
            return make(kind_named("station-position-not-on-50"), at,
                        "station position " + metres(p) + " is not a multiple of 50");
        case ErrorCode::station_length_not_on_100:
            return make(kind_named("station-length-not-on-100"), at,
                        "station length " + metres(number_of(r, 2).value_or(0)) + " is not a multiple of 100");
        default:
            break;
    }
    // The station's record: the stations fill records 1 upward in file order.
    int record = 0;
    const RecordedRow* previous = nullptr;
    for (const RecordedRow& other : r_.rows) {
        if (other.keyword != &keyword::station) continue;
        if (&other == &r) break;
        ++record;
        previous = &other;
    }
    ++record;
    const ScenarioRecord& st = run_.model.records[static_cast<std::size_t>(std::clamp(record, 0, record_index::last))];
    switch (f.code) {
        case ErrorCode::stop_cell_too_early:
            return make(kind_named("station-too-near-start"), at,
                        item_words(r) + " ends at " + metres(st.long2) +
                            ", so its stop would fall at route cell 1 or lower: a station with route cells must end "
                            "beyond 100 m");
        case ErrorCode::stations_too_close: {
            const ScenarioRecord& before =
                run_.model.records[static_cast<std::size_t>(std::clamp(record - 1, 0, record_index::last))];
            Diagnostic d = make(
                kind_named("stations-too-close"), at,
                item_words(r) + " starts at " + metres(st.long1) + ", less than " + metres(station_gap) + " after " +
                    (previous != nullptr ? item_words(*previous) : std::string("the previous station")) + " ends at " +
                    metres(before.long2));
            if (previous != nullptr) {
                d.notes.push_back({at_row(*previous), item_words(*previous) + " reaches from " + metres(before.long1) +
                                                          " to " + metres(before.long2)});
            }
            return d;
        }
        case ErrorCode::station_table_full: {
            int signs = 0;
            const RecordedRow* first_sign = nullptr;
            for (const RecordedRow& other : r_.rows) {
                if (other.keyword != &keyword::sign) continue;
                ++signs;
                if (first_sign == nullptr) first_sign = &other;
            }
            Diagnostic d = make(kind_named("too-many-stations"), at, stations_beyond(r, record, signs));
            if (first_sign != nullptr) {
                d.notes.push_back({at_row(*first_sign), "the texts of the roadside signs fill the records from " +
                                                            std::to_string(record_index::first_sign) + " down"});
            }
            return d;
        }
        default:
            break;
    }
    return make(kind_named("run-time-fault"), at, "the reading of the station failed");
}

std::int64_t Describer::rows_from(const RecordedRow& row, std::span<const Keyword* const> keywords) const {
    const std::optional<std::string_view> text = files_.text(row.source);
    const int line = row.keywordField.at.line;
    if (!text || line <= 0) return 1;
    std::int64_t n = 0;
    scan_rows(*text, line, keywords, [&](const ScannedRow& found) {
        ++n;
        if (folded_ != nullptr && found.line != line) folded_->push_back(found.line);
        return true;
    });
    return std::max<std::int64_t>(n, 1);
}

// The first sign or mountain span past the 80 that fit, once for it and
// every one after it: they are taken out together before reading again.
Diagnostic Describer::too_many(const RecordedRow* r, const SourcePoint& at, const Keyword& keyword,
                               const DiagnosticKind& kind, std::string_view noun) const {
    constexpr std::int64_t most = record_index::first_sign;
    if (r == nullptr) {
        return make(kind, at,
                    "this is the " + ordinal(most + 1) + " " + std::string(noun) + ": at most " + std::to_string(most) +
                        " fit");
    }
    const std::array<const Keyword*, 1> same{&keyword};
    const std::int64_t beyond = rows_from(*r, same);
    std::string message = item_words(*r) + " is the " + ordinal(most + 1) + " " + std::string(noun) + ": at most " +
                          std::to_string(most) + " fit";
    if (beyond > 1)
        message += ", and " + std::to_string(beyond - 1) + (beyond == 2 ? " more follows" : " more follow") + " it";
    message += "; take out " + counted(beyond, noun);
    return make(kind, at_row(*r), message);
}

// A route length the general section did not read: a row standing before
// the "[generale]" header, or after the header that ends the section.
std::optional<Diagnostic> Describer::route_length_elsewhere() const {
    const std::optional<std::string_view> text = files_.text(Source::line_description);
    const int general = r_.headers[index_of(Source::line_description)].at.line;
    if (!text || general <= 0) return std::nullopt;
    std::optional<ScannedRow> found;
    const std::array<const Keyword*, 1> route{&keyword::route_length};
    scan_rows(*text, 1, route, [&](const ScannedRow& row) {
        found = row;
        return false;
    });
    if (!found) return std::nullopt;
    const SourcePoint at =
        files_.point(Source::line_description, FieldLocation{found->line, found->keywordColumn}, found->keywordEnd);
    if (found->line < general) {
        return make(kind_named("missing-route-length"), at,
                    quoted(found->keywordText) + " stands before the \"[generale]\" header on line " +
                        std::to_string(general) + ", where nothing is read: move it below that header");
    }
    const std::optional<ScannedHeader> end = next_header(*text, general + 1);
    if (!end || end->line > found->line) return std::nullopt;
    Diagnostic d = make(kind_named("missing-route-length"), at,
                        quoted(found->keywordText) + " stands after " + quoted(end->text) + " on line " +
                            std::to_string(end->line) +
                            ", which ends the general section, so it is not read: move it "
                            "above line " +
                            std::to_string(end->line));
    d.notes.push_back({files_.point(Source::line_description, FieldLocation{end->line, end->column}, end->end),
                       "the general section ends here"});
    return d;
}

// A rank of speed boards whose packed speeds pass 16 bits: at the
// left-hand speed that makes it overflow, with the rule of the packing.
Diagnostic Describer::board_overflow(const RecordedRow& r, const SourcePoint& at, const std::string& what) const {
    for (std::size_t rank = 0; rank < 3; ++rank) {
        const std::int64_t left = number_of(r, 1 + rank).value_or(0);
        const std::int64_t right = number_of(r, 5 + rank).value_or(0);
        const double packed = board_speeds_sum(left, right);
        if (packed >= -32768.0 && packed <= 32767.0) continue;
        return make(kind_named("value-out-of-range"), at_value(r, 1 + rank),
                    std::string(value_name(*r.keyword, 1 + rank)) + " " + std::to_string(left) +
                        " km/h does not fit its 16 bits: the rank is stored as " + std::to_string(left) + " * " +
                        std::to_string(board_left_factor) + " + " + std::to_string(right) + " / " +
                        std::to_string(board_right_divisor) + " = " +
                        std::to_string(static_cast<std::int64_t>(packed)) +
                        ", and speed * 20 + right / 5 must lie from -32768 to 32767");
    }
    return make(kind_named("value-out-of-range"), at, what);
}

// An item read before any route length: at the item, else at the header
// of the general section that gave none.
Diagnostic Describer::no_route_length(const RecordedRow* r) const {
    if (std::optional<Diagnostic> elsewhere = route_length_elsewhere()) return std::move(*elsewhere);
    if (r != nullptr) {
        return make(kind_named("missing-route-length"), files_.point(r->source, r->keywordField),
                    quoted(r->keywordField) +
                        " comes before any route length: the general section of the line description gives "
                        "no `lunghezza percorso`");
    }
    // The plan geometry starts where the general section ends.
    const RecordedField& header = r_.headers[index_of(Source::line_description)];
    return make(kind_named("missing-route-length"), files_.point(Source::line_description, header),
                "the general section under this header gives no route length: add `lunghezza percorso`, the "
                "route's length in metres");
}

// A field that is no whole number, or does not fit its field.
Diagnostic Describer::number_fault(const RecordedFault& f, const RecordedRow* r, const SourcePoint& at) const {
    const bool not_number = f.kind == Fault::not_a_number;
    std::string field_name = "value";
    if (r != nullptr) field_name = std::string(value_name(*r->keyword, r->values.size()));
    const std::string problem = not_number ? "is not a whole number" : "does not fit its field";
    const std::string width = f.what.find("byte") != std::string::npos     ? " (a byte, 0 to 255)"
                              : f.what.find("16-bit") != std::string::npos ? " (16 bits, -32768 to 32767)"
                              : f.what.find("32-bit") != std::string::npos ? " (32 bits)"
                                                                           : "";
    const DiagnosticKind& name = not_number ? kind_named("not-a-number") : kind_named("number-out-of-range");
    if (r != nullptr && r->keywordField.at.line != f.field.at.line) {
        // A comment holding a keyword takes its values from the next line.
        // The cause is a separator the author did not mean, most of the time.
        const std::string trouble = separator_trouble(*r);
        const std::string cause = trouble.empty() ? std::string() : " (" + trouble + ")";
        Diagnostic d = make(name, files_.point(r->source, r->keywordField),
                            quoted(r->keywordField) + " is read as a " + quoted(r->keyword->written) +
                                " row, which takes its values from the next line" + cause + "; there " +
                                quoted(f.field.text) + " " + problem + width);
        d.notes.push_back({at, quoted(f.field.text) + " is read as the " + field_name + " of that row"});
        return d;
    }
    std::string message = quoted(f.field.text) + " " + problem + width;
    if (r != nullptr) message += ": it is the " + field_name + " of the " + quoted(r->keyword->written) + " row";
    if (f.field.text.find('\t') != std::string::npos) message += "; tabs do not separate fields; use a comma";
    return make(name, at, message);
}

Diagnostic Describer::fault(const RecordedFault& f) const {
    const RecordedRow* r = row(f.row);
    const SourcePoint at = files_.point(f.source, f.field);
    const std::string what = display_text(f.what);
    switch (f.kind) {
        case Fault::unreadable_file: {
            const std::string& trouble = files_.trouble(f.source);
            const bool missing = trouble == "does not exist";
            return make(missing && f.source == Source::train_description ? kind_named("train-description-missing")
                                                                         : kind_named("unreadable-description"),
                        files_.whole(f.source),
                        "the " + description_of(f.source) + " " + (trouble.empty() ? "cannot be read" : trouble));
        }
        case Fault::past_end_of_file: {
            const std::optional<std::string_view> text = files_.text(f.source);
            if (text && text->empty()) {
                return make(kind_named("empty-description"), files_.whole(f.source),
                            "the " + description_of(f.source) + " is empty");
            }
            if (r != nullptr) {
                const std::size_t wanted = value_count(*r->keyword);
                return make(kind_named("unexpected-end-of-file"), files_.point(r->source, r->keywordField),
                            "the file ends inside the " + quoted(r->keyword->written) + " row: it reads " +
                                std::to_string(wanted) + (wanted == 1 ? " value" : " values") + ", and " +
                                std::to_string(r->values.size()) + " stand before the end");
            }
            return make(kind_named("unexpected-end-of-file"), at, "the file ends where a further field is expected");
        }
        case Fault::not_a_number:
        case Fault::number_out_of_range:
            return number_fault(f, r, at);
        case Fault::unclosed_quote:
            return make(kind_named("unclosed-quote"), at, "the quoted field that begins here has no closing quote");
        case Fault::no_route_length:
            return no_route_length(r);
        case Fault::negative_route_length:
            return make(
                kind_named("negative-route-length"), at,
                "route length " + shown_text(f.field.text) + " m leaves no route cells: write it in metres, above 0");
        case Fault::cell_outside_route:
            if (std::optional<Diagnostic> cause =
                    route_too_short(f.source, f.field, "the first item beyond the last route cell")) {
                return std::move(*cause);
            }
            return make(
                kind_named("item-outside-cells"), r != nullptr ? at_row(*r) : at,
                (r != nullptr ? item_words(*r) + " reaches beyond the last route cell: " : std::string()) + what);
        case Fault::metre_outside_geometry: {
            // A curve past the plan geometry of a route length written in
            // kilometres is the route length's mistake, not the curve's.
            if (std::optional<Diagnostic> cause =
                    route_too_short(f.source, f.field, "the first curve beyond the plan geometry")) {
                return std::move(*cause);
            }
            if (r != nullptr) {
                const std::int64_t start = number_of(*r, 0).value_or(0);
                const std::int64_t length = number_of(*r, 1).value_or(0);
                return make(kind_named("curve-beyond-geometry"), at_row(*r),
                            item_words(*r) + ", " + metres(length) + " long, ends at " + metres(start + length) +
                                ", beyond the plan geometry, which ends at metre " +
                                std::to_string(run_.model.trackLength));
            }
            return make(kind_named("curve-beyond-geometry"), at, what);
        }
        case Fault::too_many_signs:
            return too_many(r, at, keyword::sign, kind_named("too-many-signs"), "roadside sign");
        case Fault::too_many_mountain_spans:
            return too_many(r, at, keyword::mountain, kind_named("too-many-mountain-spans"), "mountain span");
        case Fault::text_too_long:
            return make(kind_named("text-too-long"), at, what);
        case Fault::value_out_of_range:
            if (r != nullptr && r->keyword == &keyword::speed_boards) return board_overflow(*r, at, what);
            return make(kind_named("value-out-of-range"), at, what);
        case Fault::record_outside_table:
        case Fault::other:
            break;
    }
    return make(kind_named("run-time-fault"), at, what);
}

std::vector<Diagnostic> Describer::pass_errors() const {
    std::vector<Diagnostic> out;
    for (const RecordedPassFailure& f : r_.passFailures) out.push_back(pass_failure(f));
    return out;
}

Diagnostic Describer::pass_failure(const RecordedPassFailure& f) const {
    const RecordedRow* cause = row(r_.source_row(f.cause).value_or(-1));
    const std::optional<SourcePoint> cause_at =
        cause != nullptr ? std::optional<SourcePoint>(at_row(*cause)) : std::nullopt;
    const std::string slowdown = cause != nullptr ? item_words(*cause) : "the slowdown in " + cell_words(f.cause);
    switch (f.code) {
        case ErrorCode::no_mark_before_signal: {
            const RecordedRow* signal = row(r_.source_row(f.cell).value_or(-1));
            const std::string signal_words =
                signal != nullptr ? item_words(*signal) : "the signal in " + cell_words(f.cell);
            Diagnostic d =
                make(kind_named("no-room-for-mark-before-signal"),
                     signal != nullptr ? std::optional<SourcePoint>(at_row(*signal)) : cause_at,
                     "no restriction mark can be placed one or two cells before " + signal_words + " (" +
                         cell_words(f.cell) + "), which stands within " + metres(cell_start(warning_look_back)) +
                         " before the warning board of " + slowdown + ": " + cells_holding({f.cell - 1, f.cell - 2}));
            if (cause != nullptr) {
                d.notes.push_back({at_row(*cause), "the warning board of this slowdown asks for the mark"});
            }
            add_owner_notes(d, {f.cell - 1, f.cell - 2});
            return d;
        }
        case ErrorCode::no_mark_before_slowdown: {
            // The group that found no free cell: all three cells taken, none by
            // a mark placed for this slowdown.
            std::vector<std::int64_t> blocked;
            for (const auto& group : start_mark_groups) {
                if (f.cell <= group[2]) continue;
                std::vector<std::int64_t> cells;
                bool all_taken = true;
                for (int back : group) {
                    const std::int64_t c = f.cell - back;
                    cells.push_back(c);
                    const CellOwner* o = r_.owner(c);
                    const bool own_mark = o != nullptr && o->passCause && *o->passCause == f.cause;
                    all_taken = all_taken && taken(c) && !own_mark;
                }
                if (all_taken) {
                    blocked = cells;
                    break;
                }
            }
            std::string message =
                "no restriction mark can be placed before the start of " + slowdown + " (" + cell_words(f.cell) + ")";
            if (!blocked.empty()) message += ": " + cells_holding(blocked);
            Diagnostic d = make(kind_named("no-room-for-marks-before-slowdown"), cause_at, message);
            add_owner_notes(d, blocked);
            return d;
        }
        case ErrorCode::no_mark_through_slowdown:
        default: {
            const RouteModel& m = run_.model;
            const bool at_end = f.cell >= 0 && f.cell < static_cast<std::int64_t>(m.cells.size()) &&
                                m.cells[static_cast<std::size_t>(f.cell)].kind == cell_kind::slowdown_end;
            std::vector<std::int64_t> cells = {f.cell - 1, f.cell, f.cell + 1};
            std::string message = "no restriction mark can be placed near " + cell_words(f.cell) + ", inside " +
                                  slowdown + ": " + cells_holding(cells);
            if (at_end) {
                std::int64_t signal = f.cell;
                for (std::int64_t s = f.cell; s <= f.cell + signal_search_cells; ++s) {
                    if (s < static_cast<std::int64_t>(m.cells.size()) &&
                        m.cells[static_cast<std::size_t>(s)].kind == cell_kind::signal) {
                        signal = s;
                        break;
                    }
                }
                cells = {signal - 1, signal - 2};
                message = "no restriction mark can be placed before the first signal after the end of " + slowdown +
                          " (" + cell_words(signal) + "): " + cells_holding(cells);
            }
            Diagnostic d = make(kind_named("no-room-for-mark-in-slowdown"), cause_at, message);
            add_owner_notes(d, cells);
            return d;
        }
    }
}

std::optional<Diagnostic> Describer::stamp_error() const {
    if (run_.stamp == 0) return std::nullopt;
    const bool marker = run_.stamp == value_of(ErrorCode::stamp_marker_taken);
    const RecordedRow* item = row(r_.source_row(1).value_or(-1));
    std::string message = (item != nullptr ? item_words(*item) : std::string("an item")) +
                          " goes into route cell 1 with a non-zero " + (marker ? "first" : "second") +
                          " value, but the scenario stamp needs that cell: the program stops with \" Errore n. " +
                          std::to_string(run_.stamp) +
                          "\" and writes no binary file; point items must stand at 25 m or beyond";
    return make(marker ? kind_named("stamp-marker-slot-taken") : kind_named("stamp-code-slot-taken"),
                item != nullptr ? std::optional<SourcePoint>(at_row(*item)) : files_.whole(Source::train_description),
                message);
}

}  // namespace

std::optional<Diagnostic> reading_error(const Run& run, const AuthorFiles& files, std::vector<int>* folded) {
    return Describer(run, files, folded).reading_error();
}

std::vector<Diagnostic> pass_errors(const Run& run, const AuthorFiles& files) {
    return Describer(run, files).pass_errors();
}

std::optional<Diagnostic> stamp_error(const Run& run, const AuthorFiles& files) {
    return Describer(run, files).stamp_error();
}

}  // namespace scenario::tool
