#include "tool/diagnosis.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <vector>

#include "compactor/completion_pass.h"
#include "model/error_codes.h"
#include "model/placement.h"
#include "reader/line_reader.h"
#include "reader/signal_recorders.h"
#include "reader/train_reader.h"
#include "tool/display_text.h"

namespace scenario::tool {

namespace {

using Source = ReadDiagnostics::Source;

std::string metres(std::int64_t m) { return std::to_string(m) + " m"; }

// "a, b and c"
std::string listing(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

bool carries_position(std::int32_t code) {
    const ErrorCodeInfo* info = error_code_info(code);
    return info != nullptr && info->hasPosition;
}

class Explainer {
public:
    Explainer(const Compaction& c, const Sources& s) : c_(c), s_(s), m_(c.model), d_(c.diagnostics) {}

    std::string message() const;

private:
    std::int32_t position() const { return m_.errorPosition; }
    std::int32_t value(std::size_t i) const { return i < d_.values.size() ? d_.values[i] : 0; }
    std::string field() const { return field_at(d_.sourceLine, d_.location.column); }

    bool taken(std::int64_t i) const {
        return i >= 0 && i < static_cast<std::int64_t>(m_.cells.size()) &&
               !is_free(m_.cells[static_cast<std::size_t>(i)]);
    }
    std::string holding(std::int64_t i) const {
        if (i < 0 || i >= static_cast<std::int64_t>(m_.cells.size())) return "nothing (it lies outside the route)";
        return cell_holding(m_, m_.cells[static_cast<std::size_t>(i)]);
    }
    std::string cells_hold(const std::vector<std::int64_t>& cells) const {
        std::vector<std::string> numbers;
        std::vector<std::string> items;
        for (std::int64_t i : cells) {
            numbers.push_back(std::to_string(i));
            items.push_back(holding(i));
        }
        return "cells " + listing(numbers) + " hold " + listing(items);
    }
    std::string taken_cell(const std::string& what, std::int64_t cell, const std::string& where = "") const {
        return what + " cell " + std::to_string(cell) + where + " already holds " + holding(cell);
    }
    std::string station_name(int record) const {
        if (record < 1 || record >= record_count) return "station";
        return "station " + display_text(m_.records[static_cast<std::size_t>(record)].text);
    }

    std::string beyond_route() const;
    std::string unreadable() const;
    std::string marks_before_start() const;
    std::string mark_after_slowdown() const;

    const Compaction& c_;
    const Sources& s_;
    const RouteModel& m_;
    const ReadDiagnostics& d_;
};

std::string Explainer::message() const {
    const ScenarioRecord& sizes = m_.records[record_index::train_sizes];
    const ScenarioRecord& repetition = m_.records[record_index::repetition];
    const std::int32_t p = position();
    switch (static_cast<ErrorCode>(m_.errorCode)) {
        case ErrorCode::line_description_missing:
            return "line description not found, so nothing was read";
        case ErrorCode::general_header_missing:
            return contains_word(field(), "[generale]") ? "nothing follows the \"[generale]\" header"
                                                        : "the file ends without a \"[generale]\" header";
        case ErrorCode::route_too_long:
            return "route length " + metres(sizes.long2) + " is longer than the longest route, " +
                   metres(longest_route);
        case ErrorCode::break_not_on_50:
            return "kilometre-point break value " + field() + " m is not a multiple of 50";
        case ErrorCode::repetition_start_not_on_50:
            return "first signal-repetition position " + metres(repetition.long1) + " is not a multiple of 50";
        case ErrorCode::repetition_end_not_on_50:
            return "second signal-repetition position " + metres(repetition.long2) + " is not a multiple of 50";
        case ErrorCode::repetition_without_codes:
            return "signal-repetition keyword \"" + display_text(m_.currentField) + "\" names neither 4 nor 9 codes";
        case ErrorCode::curve_without_class: {
            const std::string& keyword = m_.currentField;
            const bool has_class =
                std::any_of(keyword.begin(), keyword.end(), [](char ch) { return ch >= '1' && ch <= '6'; });
            if (has_class) {
                return "the plan geometry passes metre " + std::to_string(last_metre_of_curves) + " within this curve";
            }
            return "curve keyword \"" + display_text(keyword) + "\" names no curve class (a digit 1 to 6)";
        }
        case ErrorCode::sign_cell_taken:
            return taken_cell("roadside sign", point_cell(p));
        case ErrorCode::speed_boards_cell_taken:
            return taken_cell("speed-limit board", point_cell(p));
        case ErrorCode::item_beyond_route:
            return beyond_route();
        case ErrorCode::run_time_fault:
            return unreadable();
        case ErrorCode::signal_cell_taken:
            return taken_cell("signal", point_cell(p));
        case ErrorCode::warning_board_cell_taken:
            return taken_cell("slowdown warning board", point_cell(std::int64_t{p} - warning_distance),
                              ", " + metres(warning_distance) + " before the slowdown,");
        case ErrorCode::slowdown_start_cell_taken:
            return taken_cell("slowdown start", point_cell(p));
        case ErrorCode::slowdown_end_cell_taken: {
            const std::int64_t end = std::int64_t{p} + value(2);
            return taken_cell("slowdown end", point_cell(end), ", at " + metres(end) + ",");
        }
        case ErrorCode::slowdown_approach_cell_taken: {
            const std::int64_t before_warning = property_cell(std::int64_t{p} - warning_distance);
            std::int64_t cell = before_warning;
            for (std::int64_t i = 0; i < approach_cells; ++i) {
                if (taken(before_warning - i)) {
                    cell = before_warning - i;
                    break;
                }
            }
            return taken_cell("slowdown approach", cell) + ": the four cells before the warning board in cell " +
                   std::to_string(point_cell(std::int64_t{p} - warning_distance)) + " must be free";
        }
        case ErrorCode::restriction_cell_taken:
            return taken_cell("restriction mark", property_cell(p));
        case ErrorCode::station_position_not_on_50:
            return "station position " + metres(p) + " is not a multiple of 50";
        case ErrorCode::station_length_not_on_100:
            return "station length " + metres(value(1)) + " is not a multiple of 100";
        case ErrorCode::stop_cell_too_early: {
            const ScenarioRecord& st =
                m_.records[static_cast<std::size_t>(std::clamp(d_.record, 0, record_index::last))];
            return station_name(d_.record) + " ends at " + metres(st.long2) +
                   ", too near the start for its stop cell: a station must end beyond 100 m";
        }
        case ErrorCode::stations_too_close: {
            const int k = std::clamp(d_.record, 2, record_index::last);
            const ScenarioRecord& st = m_.records[static_cast<std::size_t>(k)];
            const ScenarioRecord& previous = m_.records[static_cast<std::size_t>(k - 1)];
            return station_name(k) + " starts at " + metres(st.long1) + ", less than " + metres(station_gap) +
                   " after " + station_name(k - 1) + " ends at " + metres(previous.long2);
        }
        case ErrorCode::station_table_full: {
            const int k = d_.record;
            if (k < 2) return station_name(k) + " does not fit: the roadside signs fill the scenario records";
            return station_name(k) + " is one station too many: stations and roadside signs share the records 1 to " +
                   "80, and with " + std::to_string(79 - k) + " roadside signs at most " + std::to_string(k - 1) +
                   " stations fit";
        }
        case ErrorCode::no_mark_before_signal: {
            const std::int64_t signal = p / 50;
            return "no free cell for a restriction mark before the signal in cell " + std::to_string(signal) +
                   " near a slowdown warning board: " + cells_hold({signal - 1, signal - 2});
        }
        case ErrorCode::no_mark_before_slowdown:
            return marks_before_start();
        case ErrorCode::no_mark_through_slowdown:
            return mark_after_slowdown();
        case ErrorCode::none:
        case ErrorCode::stamp_marker_taken:
        case ErrorCode::stamp_code_taken:
            break;
    }
    return "the reading ended with code " + std::to_string(m_.errorCode);
}

std::string Explainer::beyond_route() const {
    const std::int64_t last_item = last_position(m_.cellCount);
    const std::int64_t last_station = last_position(m_.cellCount, station_margin);
    const std::int32_t p = position();
    const bool in_train = d_.source == Source::train_description;
    const std::string rest =
        in_train ? "the rest of the train description was not read" : "the rest of the line description was skipped";
    if (in_train && contains_word(d_.sourceLine, "stazione") && beyond_cells(p, m_.cellCount, station_margin)) {
        return "station position " + metres(p) + " lies beyond the route: a station must stand at " +
               metres(last_station) + " or before; " + rest;
    }
    if (in_train && !beyond_cells(p, m_.cellCount)) {
        const char* item = contains_word(d_.sourceLine, "rallentamento") ? "slowdown" : "signal";
        return std::string("the reading ended at this ") + item +
               " because an item of the line description lies beyond the route";
    }
    return "position " + metres(p) + " lies beyond the route: items must stand at " + metres(last_item) +
           " or before; " + rest;
}

std::string Explainer::unreadable() const {
    std::error_code ignored;
    if (d_.source == Source::train_description && !std::filesystem::is_regular_file(s_.train, ignored)) {
        return "train description not found";
    }
    std::string fault = d_.fault;
    if (fault == "reading past the end of the file") return "the file ends where a further field is expected";
    // Name the author's files, not their copies.
    for (const auto& [copy, author] : {std::pair{c_.lineCopy, s_.line}, std::pair{c_.trainCopy, s_.train}}) {
        if (copy.empty()) continue;
        for (std::size_t at = fault.find(copy); at != std::string::npos; at = fault.find(copy, at + author.size())) {
            fault.replace(at, copy.size(), author);
        }
    }
    return display_text(fault);
}

std::string Explainer::marks_before_start() const {
    const std::int64_t start = position() / 50;
    const std::string what =
        "no free cell for a restriction mark before the slowdown start in cell " + std::to_string(start);
    for (const auto& group : start_mark_groups) {
        if (start <= group[2]) continue;
        std::vector<std::int64_t> cells;
        bool all_taken = true;
        bool has_mark = false;
        for (int back : group) {
            const std::int64_t i = start - back;
            cells.push_back(i);
            all_taken = all_taken && taken(i);
            has_mark = has_mark || m_.cells[static_cast<std::size_t>(i)].kind == cell_kind::restriction;
        }
        if (all_taken && !has_mark) return what + ": " + cells_hold(cells);
    }
    return what + ": none of the cells 5 to 7, 11 to 13 or 18 to 20 before it is free";
}

std::string Explainer::mark_after_slowdown() const {
    const std::int64_t j = position() / 50;
    const std::int64_t last = static_cast<std::int64_t>(m_.cells.size()) - 1;
    if (j >= 0 && j <= last && m_.cells[static_cast<std::size_t>(j)].kind == cell_kind::slowdown_end) {
        for (std::int64_t s = j; s <= j + signal_search_cells && s <= last; ++s) {
            if (m_.cells[static_cast<std::size_t>(s)].kind != cell_kind::signal) continue;
            auto refused = [&](std::int64_t i) {
                if (!taken(i)) return false;
                const RouteCell& cell = m_.cells[static_cast<std::size_t>(i)];
                return !(cell.kind == cell_kind::restriction && cell.data1 == mark_speed);
            };
            if (refused(s - 1) && refused(s - 2)) {
                return "no free cell for a restriction mark before the signal in cell " + std::to_string(s) +
                       ", the first after the slowdown ending in cell " + std::to_string(j) + ": " +
                       cells_hold({s - 1, s - 2});
            }
            break;
        }
    }
    return "no free cell for an interval restriction mark through the slowdown near cell " + std::to_string(j) + ": " +
           cells_hold({j - 1, j, j + 1});
}

// Characters of `text` (UTF-8 for display).
int characters(std::string_view text) {
    return static_cast<int>(std::count_if(text.begin(), text.end(),
                                          [](char ch) { return (static_cast<unsigned char>(ch) & 0xC0) != 0x80; }));
}

}  // namespace

Diagnosis diagnose(const Compaction& compaction, const Sources& sources) {
    const RouteModel& m = compaction.model;
    const ReadDiagnostics& d = compaction.diagnostics;
    Diagnosis out;
    out.code = m.errorCode;
    out.message = Explainer(compaction, sources).message();
    if (carries_position(m.errorCode)) out.position = m.errorPosition;

    const ErrorCodeInfo* info = error_code_info(m.errorCode);
    const bool completion_pass = info != nullptr && info->stage == Stage::completion_pass;
    if (m.errorCode == value_of(ErrorCode::line_description_missing)) {
        out.file = sources.line;
        return out;
    }
    if (d.source == Source::none) return out;
    const std::string file = d.source == Source::line_description ? sources.line : sources.train;
    if (completion_pass) {
        // The reading had failed first; only the last code is kept.
        out.earlierStop = file;
        if (d.location.line > 0) {
            std::string& stop = *out.earlierStop;
            stop += ':';
            stop += std::to_string(d.location.line);
            stop += ':';
            stop += std::to_string(character_column(d.sourceLine, d.location.column));
        }
        return out;
    }
    out.file = file;
    if (d.location.line <= 0) return out;
    out.line = d.location.line;
    out.column = character_column(d.sourceLine, d.location.column);
    out.sourceLine = utf8_text(d.sourceLine);
    const int bytes = field_length(d.sourceLine, d.location.column);
    const std::size_t from = static_cast<std::size_t>(std::max(0, d.location.column - 1));
    out.caretLength =
        from < d.sourceLine.size()
            ? std::max(1, characters(display_text(d.sourceLine.substr(from, static_cast<std::size_t>(bytes)))))
            : 1;
    return out;
}

std::string explain_stamp(const Compaction& compaction) {
    const RouteModel& m = compaction.model;
    const bool second = compaction.stamp == 1251;
    std::string item = "an item";
    if (m.cells.size() > 1) {
        const RouteCell& cell1 = m.cells[1];
        if (cell1.kind != cell_kind::empty) item = cell_holding(m, cell1);
    }
    return "route cell 1 holds " + item + " with a non-zero " + (second ? "second" : "first") +
           " value, but cell 1 is kept for the scenario stamp: a point item between 0 and 24 m lands there, so point "
           "items must stand at 25 m or beyond";
}

std::string render(const Diagnosis& diagnosis, const std::string& program) {
    std::string text;
    if (diagnosis.file) {
        text += *diagnosis.file;
        if (diagnosis.line) {
            text += ':';
            text += std::to_string(*diagnosis.line);
            text += ':';
            text += std::to_string(diagnosis.column.value_or(1));
        }
    } else {
        text += program;
    }
    text += ": error " + std::to_string(diagnosis.code) + ": " + diagnosis.message;
    if (diagnosis.position) text += " (at " + metres(*diagnosis.position) + ")";
    text += "\n";
    if (diagnosis.earlierStop) {
        text += "note: the reading had already stopped with an error at " + *diagnosis.earlierStop +
                "; the completion pass's code replaced it\n";
    }
    if (!diagnosis.line) return text;

    const std::string number = std::to_string(*diagnosis.line);
    const std::string gutter(number.size() + 1, ' ');
    const Excerpt shown = source_excerpt(diagnosis.sourceLine, diagnosis.column.value_or(1));
    text += " " + number + " | " + shown.text + "\n";
    text += gutter + " | ";
    // Tabs stay tabs so that the caret lines up with the field.
    int column = 1;
    for (std::size_t i = 0; i < shown.text.size() && column < shown.column; ++i) {
        const char ch = shown.text[i];
        if ((static_cast<unsigned char>(ch) & 0xC0) == 0x80) continue;
        text += ch == '\t' ? '\t' : ' ';
        ++column;
    }
    for (; column < shown.column; ++column) text += ' ';
    text += '^';
    // Within the excerpt: a field cut short is underlined up to the cut.
    const int shown_width = characters(shown.text);
    text.append(
        static_cast<std::size_t>(std::max(0, std::min(diagnosis.caretLength, shown_width - shown.column + 1) - 1)),
        '~');
    text += '\n';
    return text;
}

}  // namespace scenario::tool
