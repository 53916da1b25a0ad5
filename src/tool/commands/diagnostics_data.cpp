#include "tool/commands/diagnostics_data.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "description/field_stream.h"
#include "model/read_fault.h"
#include "tool/base/display_text.h"
#include "tool/base/wording.h"
#include "tool/diagnostics/report.h"
#include "tool/diagnostics/rows.h"

namespace scenario::tool {

namespace {

using Json = nlohmann::ordered_json;

ItemSource source_of(const RecordedRow& row, const AuthorFiles& files) {
    return {files.path(row.source), row.keywordField.at.line};
}

// The keyword whose rows give items of a kind.
const Keyword* keyword_of(ItemKind kind) {
    switch (kind) {
        case ItemKind::station:
            return &keyword::station;
        case ItemKind::signal:
            return &keyword::signal;
        case ItemKind::speed_boards:
            return &keyword::speed_boards;
        case ItemKind::slowdown:
        case ItemKind::warning_board:
        case ItemKind::slowdown_approach:
            return &keyword::slowdown;
        case ItemKind::restriction:
            return &keyword::restriction;
        case ItemKind::sign:
            return &keyword::sign;
        case ItemKind::mountain_span:
            return &keyword::mountain;
        case ItemKind::curve:
            return &keyword::curve;
        case ItemKind::gradient:
            return &keyword::gradient;
        case ItemKind::speed:
            return &keyword::speed;
        case ItemKind::adhesion:
            return &keyword::adhesion;
        case ItemKind::kilometre_break:
            return nullptr;
    }
    return nullptr;
}

// Rows whose first value is a place on the route (a position, a start), not
// a length, a count or an hour.
bool first_value_is_a_place(const Keyword& keyword) {
    const std::string_view name = value_name(keyword, 0);
    return name == "position" || name == "start" || name.ends_with(" position");
}

// The keyword a row of a description begins with, tested as its reader
// tests a keyword field; none for a field it passes over.
const Keyword* keyword_in(Source source, std::string_view field) {
    if (has_hyphen(field)) return nullptr;
    const auto tables = source == Source::train_description
                            ? std::array{train_keywords(), std::span<const Keyword* const>()}
                            : std::array{line_general_keywords(), line_item_keywords()};
    for (const auto& table : tables) {
        for (const Keyword* keyword : table) {
            if (keyword->matches(field)) return keyword;
        }
    }
    return nullptr;
}

std::optional<Source> source_named(const std::string& file, const AuthorFiles& files) {
    if (file == files.path(Source::line_description)) return Source::line_description;
    if (file == files.path(Source::train_description)) return Source::train_description;
    return std::nullopt;
}

// Where the row of a diagnostic or note stands on the route. A row the
// first reading went through is taken as it was read; a row it never got
// to (an error found only by reading again without an earlier error's row)
// is read from its own line.
class Places {
public:
    Places(const Recorder& recorder, const AuthorFiles& files) : files_(files) {
        for (const RecordedRow& row : recorder.rows) {
            if (!first_value_is_a_place(*row.keyword)) continue;
            if (const std::optional<std::int64_t> p = number_of(row, 0)) {
                read_.emplace(std::pair{files.path(row.source), row.keywordField.at.line}, *p);
            }
        }
    }

    Json of(const std::optional<SourcePoint>& at) const {
        if (!at || at->line <= 0) return nullptr;
        if (const auto it = read_.find({at->file, at->line}); it != read_.end()) return it->second;
        const std::optional<Source> source = source_named(at->file, files_);
        if (!source) return nullptr;
        const std::optional<std::int64_t> p = from_text(*source, at->line);
        return p ? Json(*p) : Json(nullptr);
    }

private:
    std::optional<std::int64_t> from_text(Source source, int line) const {
        FieldStream row(FieldStream::viewing, files_.line(source, line));
        try {
            const Keyword* keyword = keyword_in(source, row.read_text());
            if (keyword == nullptr || !first_value_is_a_place(*keyword)) return std::nullopt;
            return row.read_long();
        } catch (const ReadFault&) {
            return std::nullopt;
        }
    }

    const AuthorFiles& files_;
    std::map<std::pair<std::string, int>, std::int64_t> read_;
};

// ---------------------------------------------------------------- reading end

// What the page draws of the rows of each keyword, in the plural.
const char* drawn_as(const Keyword* keyword) {
    static const std::pair<const Keyword*, const char*> drawn[] = {
        {&keyword::gradient, "gradients"},           {&keyword::curve, "curves"},
        {&keyword::mountain, "mountain spans"},      {&keyword::speed_boards, "speed boards"},
        {&keyword::sign, "roadside signs"},          {&keyword::speed, "line speeds"},
        {&keyword::adhesion, "adhesion values"},     {&keyword::station, "stations"},
        {&keyword::slowdown, "slowdowns"},           {&keyword::signal, "signals"},
        {&keyword::restriction, "restriction marks"}};
    for (const auto& [k, words] : drawn) {
        if (k == keyword) return words;
    }
    return nullptr;
}

// The last place of a description the reading looked at: a row's keyword or
// value (the view keeps every row), or the field of a failure.
int last_line_read(const Recorder& recorder, Source source) {
    int last = 0;
    auto see = [&](Source from, const RecordedField& field) {
        if (from == source) last = std::max(last, field.at.line);
    };
    for (const RecordedRow& row : recorder.rows) {
        see(row.source, row.keywordField);
        for (const RecordedField& value : row.values) see(row.source, value);
    }
    for (const RecordedFailure& f : recorder.failures) see(f.source, f.field);
    if (recorder.faulted) see(recorder.faulted->source, recorder.faulted->field);
    return last;
}

// The kinds of drawn rows that stand after `line` (one row a line, its
// keyword first), in the order they first come. One pass over the text, its
// line ends as the field stream counts them: a description may hold
// millions of lines.
std::vector<std::string> drawn_rows_after(const AuthorFiles& files, Source source, int line) {
    std::vector<std::string> kinds;
    const std::optional<std::string_view> text = files.text(source);
    if (!text) return kinds;
    int number = 1;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= text->size(); ++i) {
        if (i < text->size() && (*text)[i] != '\n' && (*text)[i] != '\r') continue;
        if (number > line) {
            const std::string_view row = text->substr(begin, i - begin);
            const char* words = drawn_as(keyword_in(source, row.substr(0, row.find(','))));
            if (words != nullptr && std::find(kinds.begin(), kinds.end(), words) == kinds.end()) {
                kinds.emplace_back(words);
            }
        }
        if (i + 1 < text->size() && (*text)[i] == '\r' && (*text)[i + 1] == '\n') ++i;
        ++number;
        begin = i + 1;
    }
    return kinds;
}

}  // namespace

Json diagnostics_data(const Analysis& analysis, const Recorder& recorder, const AuthorFiles& files) {
    const Places places(recorder, files);
    Json list = diagnostics_json(analysis);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Diagnostic& d = analysis.diagnostics[i];
        list[i]["at"] = places.of(d.at);
        Json& notes = list[i]["notes"];
        for (std::size_t k = 0; k < notes.size() && k < d.notes.size(); ++k) notes[k]["at"] = places.of(d.notes[k].at);
    }
    return list;
}

Json reading_end(const Recorder& recorder, const AuthorFiles& files) {
    if (recorder.failures.empty() && !recorder.faulted) return nullptr;
    const bool line_read = recorder.opened_[index_of(Source::line_description)];
    const bool train_read = recorder.opened_[index_of(Source::train_description)];
    const int line_end = line_read ? last_line_read(recorder, Source::line_description) : 0;
    const int train_end = train_read ? last_line_read(recorder, Source::train_description) : 0;
    const std::vector<std::string> line_rows =
        line_read ? drawn_rows_after(files, Source::line_description, line_end) : std::vector<std::string>{};
    const std::vector<std::string> train_rows =
        train_read ? drawn_rows_after(files, Source::train_description, train_end) : std::vector<std::string>{};
    // A line description abandoned before its end leaves the train unread.
    const bool train_unread =
        line_read && !train_read && !drawn_rows_after(files, Source::train_description, 0).empty();

    std::vector<std::string> pieces;
    if (!line_rows.empty()) pieces.push_back(listing(line_rows) + " after line row " + std::to_string(line_end));
    if (!train_rows.empty()) pieces.push_back(listing(train_rows) + " after train row " + std::to_string(train_end));
    std::string message;
    if (train_unread && pieces.empty()) {
        message = "the train description is not shown: the reading ended at line row " + std::to_string(line_end);
    } else if (train_unread) {
        message = pieces[0] + ", and the whole train description, are not shown: the reading ended there";
    } else if (!pieces.empty()) {
        message = listing(pieces) + " are not shown: the reading ended there";
    } else {
        return nullptr;
    }
    const bool in_train = !train_rows.empty();
    Json end;
    end["file"] = utf8_text(files.path(in_train ? Source::train_description : Source::line_description));
    end["line"] = in_train ? train_end : line_end;
    end["message"] = message;
    return end;
}

void attach_sources(std::vector<RouteItem>& items, const Recorder& recorder, const AuthorFiles& files) {
    // Rows of each keyword by their position, for items no cell names.
    std::map<std::pair<const Keyword*, std::int64_t>, const RecordedRow*> by_position;
    for (const RecordedRow& row : recorder.rows) {
        if (const std::optional<std::int64_t> p = number_of(row, 0))
            by_position.emplace(std::pair{row.keyword, *p}, &row);
    }
    for (RouteItem& item : items) {
        if (item.cell >= 0) {
            if (const std::optional<int> row = recorder.source_row(item.cell)) {
                item.source = source_of(recorder.rows[static_cast<std::size_t>(*row)], files);
                continue;
            }
        }
        const Keyword* keyword = keyword_of(item.kind);
        if (keyword == nullptr) continue;
        if (const auto it = by_position.find({keyword, item.from}); it != by_position.end()) {
            item.source = source_of(*it->second, files);
        }
    }
}

}  // namespace scenario::tool
