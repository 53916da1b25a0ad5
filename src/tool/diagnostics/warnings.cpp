#include "tool/diagnostics/warnings.h"

#include <algorithm>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "model/packing.h"
#include "model/route_model.h"
#include "tool/base/display_text.h"
#include "tool/base/wording.h"
#include "tool/diagnostics/rows.h"

namespace scenario::tool {

namespace {

std::string lower(std::string_view text) {
    std::string out;
    for (char c : text) out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return out;
}

bool has_letter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

bool all_digits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

Diagnostic warning(std::string name, SourcePoint at, std::string message) {
    Diagnostic d;
    d.severity = Severity::warning;
    d.name = std::move(name);
    d.at = std::move(at);
    d.message = std::move(message);
    return d;
}

std::span<const Keyword* const> keywords_of(Part part) {
    switch (part) {
        case Part::line_general:
            return line_general_keywords();
        case Part::line_items:
            return line_item_keywords();
        case Part::train:
        case Part::prologue:
            return train_keywords();
    }
    return {};
}

const Keyword* matching(std::span<const Keyword* const> table, std::string_view field) {
    for (const Keyword* k : table) {
        if (k->matches(field)) return k;
    }
    return nullptr;
}

class RowRules {
public:
    RowRules(const Run& run, const AuthorFiles& files) : run_(run), files_(files) {
        // The candidates of each line, in file order, for the fields after a
        // row's last value.
        const std::vector<RecordedCandidate>& all = run.recorder.candidates;
        for (std::size_t i = 0; i < all.size(); ++i) {
            on_line_[{all[i].source, all[i].field.at.line}].push_back(&all[i]);
        }
    }

    std::vector<Diagnostic> run();

private:
    bool starts_its_line(Source source, const ReadField& field) const {
        const std::string line = files_.line(source, field.at.line);
        std::size_t first = 0;
        while (first < line.size() && (line[first] == ' ' || line[first] == '\t')) ++first;
        return static_cast<int>(first) + 1 == field.at.column;
    }
    SourcePoint at(Source source, const ReadField& field) const { return files_.point(source, field); }

    void candidate(const RecordedCandidate& c);
    void row(const RecordedRow& r);
    void trailing_fields(const RecordedRow& r);
    void value_rules(const RecordedRow& r);
    void truncated(const RecordedRow& r, std::size_t index, std::int64_t stored, const std::string& how);
    void text_rule(const RecordedRow& r, std::size_t index);

    const Run& run_;
    const AuthorFiles& files_;
    std::vector<Diagnostic> out_;
    // Stray fields already explained as part of a row (a decimal comma's
    // fraction, values after a row's last one).
    std::set<std::pair<Source, std::pair<int, int>>> explained_;
    std::map<std::pair<Source, int>, std::vector<const RecordedCandidate*>> on_line_;
};

std::vector<Diagnostic> RowRules::run() {
    const Recorder& r = run_.recorder;
    for (const RecordedRow& row : r.rows) this->row(row);
    for (const RecordedCandidate& c : r.candidates) candidate(c);
    return std::move(out_);
}

void RowRules::candidate(const RecordedCandidate& c) {
    if (c.matched || c.part == Part::prologue) return;
    if (explained_.count({c.source, {c.field.at.line, c.field.at.column}}) != 0) return;
    const std::string& text = c.field.text;
    const bool line = c.source == Source::line_description;
    if (c.hyphenSkipped) {
        // A hyphen in place of an underscore or a space: the keyword is lost.
        for (char replacement : {'_', ' '}) {
            std::string mended = text;
            std::replace(mended.begin(), mended.end(), '-', replacement);
            const Keyword* k = matching(keywords_of(c.part), mended);
            if (k == nullptr) continue;
            out_.push_back(warning("hyphenated-keyword", at(c.source, c.field),
                                   quoted(text) +
                                       " holds a hyphen, so it is passed over as a comment and never read "
                                       "as " +
                                       quoted(k->written) + "; the values after it are ignored"));
            return;
        }
        return;
    }
    if (!starts_its_line(c.source, c.field) || text.empty() || text.front() == '[' || !has_letter(text)) return;

    // Written in other letters' case in the general section.
    if (c.part == Part::line_general) {
        for (const Keyword* k : line_general_keywords()) {
            Keyword ignoring_case = *k;
            ignoring_case.exactCase = false;
            if (k->exactCase && ignoring_case.matches(text)) {
                out_.push_back(warning("keyword-letter-case", at(c.source, c.field),
                                       quoted(text) + " is not read: in the general section " + quoted(k->written) +
                                           " must be written in small letters; the values after it are ignored"));
                return;
            }
        }
    }
    // A known keyword in a part that does not read it.
    std::vector<std::pair<std::span<const Keyword* const>, std::string>> elsewhere;
    if (c.part == Part::line_general) {
        elsewhere = {{line_item_keywords(),
                      "is read only after the general section (which ends at the first field "
                      "holding \"[\" and \"]\", such as `[curve]`)"},
                     {train_keywords(), "belongs to the train description"}};
    } else if (c.part == Part::line_items) {
        elsewhere = {{line_general_keywords(), "is read only in the general section, before `[curve]`"},
                     {train_keywords(), "belongs to the train description"}};
    } else {
        elsewhere = {{line_general_keywords(), "belongs to the line description"},
                     {line_item_keywords(), "belongs to the line description"}};
    }
    for (const auto& [table, where] : elsewhere) {
        if (const Keyword* k = matching(table, text)) {
            out_.push_back(warning(
                "keyword-in-wrong-section", at(c.source, c.field),
                quoted(text) + " is not read here: " + quoted(k->written) + " " + where + "; the row is ignored"));
            return;
        }
    }
    // Anything else: a misspelt keyword, most of the time.
    const std::string written = lower(text);
    const Keyword* nearest = nullptr;
    int best = 3;
    for (const Keyword* k : keywords_of(c.part)) {
        const int distance = edit_distance(written, k->written);
        if (distance < best) {
            best = distance;
            nearest = k;
        }
    }
    std::string message = quoted(text) + " is no keyword of the " +
                          std::string(line ? "line description" : "train description") + ", so the row is ignored";
    if (nearest != nullptr) message += "; did you mean " + quoted(nearest->written) + "?";
    out_.push_back(warning("unknown-keyword", at(c.source, c.field), message));
}

void RowRules::row(const RecordedRow& r) {
    const std::string& keyword_text = r.keywordField.text;
    if (!keyword_text.empty() && keyword_text.front() == '#') {
        out_.push_back(warning("hash-is-not-a-comment", at(r.source, r.keywordField),
                               quoted(keyword_text) + " is read as a " + quoted(r.keyword->written) +
                                   " row: '#' does not make a comment (a comment is a row whose first field holds a "
                                   "hyphen)"));
    }
    for (const ReadField& v : r.values) {
        if (v.at.line != r.keywordField.at.line) {
            out_.push_back(
                warning("values-on-next-line", at(r.source, v),
                        "the " + quoted(r.keyword->written) + " row of line " + std::to_string(r.keywordField.at.line) +
                            " takes its " +
                            std::string(value_name(*r.keyword, static_cast<std::size_t>(&v - r.values.data()))) + " " +
                            quoted(v.text) + " from this line"));
            break;
        }
    }
    if (r.complete) trailing_fields(r);
    value_rules(r);
}

// Fields after a row's last value on its line: a decimal comma's fraction, or
// values that are ignored.
void RowRules::trailing_fields(const RecordedRow& r) {
    if (r.values.empty()) return;
    const ReadField& last = r.values.back();
    const auto line = on_line_.find({r.source, last.at.line});
    if (line == on_line_.end()) return;
    bool first = true;
    for (const RecordedCandidate* candidate : line->second) {
        const RecordedCandidate& c = *candidate;
        if (c.field.at.column <= last.at.column) continue;
        if (c.matched) break;
        explained_.insert({c.source, {c.field.at.line, c.field.at.column}});
        // An empty field (a comma at the end of the row) holds nothing to lose.
        if (!first || c.field.text.empty()) continue;
        first = false;
        const bool decimal = last.isNumber && c.field.at.column == last.endColumn + 1 && all_digits(c.field.text);
        if (decimal) {
            // A fraction after a gradient notes the gradient's exact value.
            const bool gradient = r.keyword == &keyword::gradient && r.values.size() == 2;
            if (gradient) continue;
            SourcePoint point = at(r.source, last);
            point.endColumn = c.field.endColumn;
            out_.push_back(warning("decimal-comma", point,
                                   quoted(last.text + "," + c.field.text) + " is read as " +
                                       std::to_string(last.number) + ": the comma ends the number and " +
                                       quoted(c.field.text) + " is ignored; values are whole numbers"));
            continue;
        }
        out_.push_back(warning(
            "ignored-values", at(r.source, c.field),
            quoted(c.field.text) + " after the last value of the " + quoted(r.keyword->written) + " row is ignored"));
    }
}

void RowRules::truncated(const RecordedRow& r, std::size_t index, std::int64_t stored, const std::string& how) {
    const ReadField* v = value_of(r, index);
    if (v == nullptr) return;
    out_.push_back(warning("value-truncated", at(r.source, *v),
                           std::string(value_name(*r.keyword, index)) + " " + quoted(v->text) + " is stored " + how +
                               " as " + std::to_string(stored)));
}

void RowRules::text_rule(const RecordedRow& r, std::size_t index) {
    const ReadField* v = value_of(r, index);
    if (v == nullptr) return;
    const bool wide = std::any_of(v->text.begin(), v->text.end(), [](char c) { return (c & 0x80) != 0; });
    if (!wide || !is_valid_utf8(v->text)) return;
    out_.push_back(warning("text-not-single-byte", at(r.source, *v),
                           "the " + std::string(value_name(*r.keyword, index)) + " " + quoted(v->text) +
                               " is UTF-8 text: each accented letter goes into the records as two bytes; save the "
                               "description in the single-byte code page"));
}

void RowRules::value_rules(const RecordedRow& r) {
    const Keyword* k = r.keyword;
    auto number = [&](std::size_t i) { return number_of(r, i); };
    if (k == &keyword::gradient) {
        if (const auto g = number(1); g && unpack_gradient(pack_gradient(*g)) != *g) {
            const std::uint8_t byte = pack_gradient(*g);
            out_.push_back(warning("gradient-out-of-range", at(r.source, *value_of(r, 1)),
                                   "gradient " + std::to_string(*g) + " is stored as the byte " + std::to_string(byte) +
                                       ", read back as " + std::to_string(unpack_gradient(byte)) +
                                       " per mille: gradients lie from -100 to 155 per mille"));
        }
    } else if (k == &keyword::speed) {
        const auto s = number(1);
        const std::optional<std::uint8_t> stored = s ? speed_limit_byte(*s) : std::nullopt;
        if (stored && *s >= 0 && unpack_speed_limit(*stored) != *s) {
            out_.push_back(warning("speed-not-multiple-of-5", at(r.source, *value_of(r, 1)),
                                   "line speed " + std::to_string(*s) + " km/h is stored in steps of 5 km/h, as " +
                                       std::to_string(unpack_speed_limit(*stored)) + " km/h"));
        }
    } else if (k == &keyword::adhesion) {
        if (const auto a = number(1); a && pack_adhesion(*a) != *a) truncated(r, 1, pack_adhesion(*a), "in one byte");
    } else if (k == &keyword::signal) {
        const auto sx = number(1);
        const auto dx = number(6);
        for (std::size_t i : {std::size_t{1}, std::size_t{6}}) {
            const auto type = number(i);
            if (!type || is_signal_type(*type)) continue;
            out_.push_back(warning("signal-type-out-of-range", at(r.source, *value_of(r, i)),
                                   "signal type " + std::string(value_name(*k, i)) + " " + std::to_string(*type) +
                                       " is outside 0 to 2: the combined type sx * 3 + dx = " +
                                       std::to_string(combined_signal_type(sx.value_or(0), dx.value_or(0))) +
                                       " is no valid type"));
        }
        for (const std::size_t i : std::initializer_list<std::size_t>{2, 3, 4, 5, 7, 8, 9}) {
            const auto code = number(i);
            if (!code || is_one_digit(*code)) continue;
            out_.push_back(warning("signal-code-not-a-digit", at(r.source, *value_of(r, i)),
                                   "signal code " + std::string(value_name(*k, i)) + " " + std::to_string(*code) +
                                       " is not one digit: codes are packed two to a field, the left-hand one as "
                                       "tens and the right-hand one as units, so it runs into the other"));
        }
        if (const auto tempo = number(10); tempo && sx == 2 && pack_signal_time(*sx, *tempo) != *tempo) {
            truncated(r, 10, pack_signal_time(*sx, *tempo), "in one byte");
        }
    } else if (k == &keyword::slowdown) {
        for (const std::size_t i : std::initializer_list<std::size_t>{1, 3, 5}) {
            if (const auto v = number(i); v && low_16(*v) != *v) truncated(r, i, low_16(*v), "in 16 bits");
        }
    } else if (k == &keyword::restriction) {
        if (const auto w = number(1); w && *w > 0 && low_16(*w) != *w) truncated(r, 1, low_16(*w), "in 16 bits");
    } else if (k == &keyword::mountain) {
        if (const auto tipo = number(2); tipo && *tipo != 1 && *tipo != 2 && *tipo != 11 && *tipo != 12) {
            out_.push_back(warning("mountain-type-unknown", at(r.source, *value_of(r, 2)),
                                   "mountain span type " + std::to_string(*tipo) +
                                       " is none of 1, 2, 11 and 12; it is stored as " +
                                       std::to_string(pack_mountain_type(split_mountain_type(*tipo).type))));
        }
    } else if (k == &keyword::speed_boards) {
        for (std::size_t rank = 0; rank < 3; ++rank) {
            const auto left = number(1 + rank);
            const auto right = number(5 + rank);
            if (!right || keeps_board_speeds_apart(*right)) continue;
            const auto packed = static_cast<std::int64_t>(board_speeds_sum(left.value_or(0), *right));
            const BoardSpeeds back = unpack_board_speeds(packed);
            out_.push_back(warning("board-speeds-overlap", at(r.source, *value_of(r, 5 + rank)),
                                   std::string(value_name(*k, 5 + rank)) + " " + std::to_string(*right) +
                                       " km/h does not fit beside the left-hand one: the rank is stored as " +
                                       std::to_string(left.value_or(0)) + " * 20 + " + std::to_string(*right) +
                                       " / 5 = " + std::to_string(packed) + ", read back as " +
                                       std::to_string(back.left) + " and " + std::to_string(back.right) + " km/h"));
        }
        for (const std::size_t i : std::initializer_list<std::size_t>{4, 8}) {
            if (const auto stripes = number(i); stripes && !is_one_digit(*stripes)) {
                out_.push_back(warning("value-truncated", at(r.source, *value_of(r, i)),
                                       std::string(value_name(*k, i)) + " " + std::to_string(*stripes) +
                                           " is not one digit: the stripes are stored as left * 10 + right"));
            }
        }
    } else if (k == &keyword::sign) {
        text_rule(r, 1);
    } else if (k == &keyword::station) {
        text_rule(r, 16);
    }
}

// The rows of each keyword that read a position, in file order, for the
// order, overlap and profile rules; and where a row begins in its file.
class RowsByKeyword {
public:
    RowsByKeyword(const Recorder& r, const AuthorFiles& files) : files_(files) {
        for (const RecordedRow& row : r.rows) {
            if (number_of(row, 0)) rows_[row.keyword].push_back(&row);
        }
    }

    std::vector<const RecordedRow*> of(const Keyword& keyword) const {
        const auto it = rows_.find(&keyword);
        return it == rows_.end() ? std::vector<const RecordedRow*>{} : it->second;
    }

    SourcePoint at(const RecordedRow& row) const { return files_.point(row.source, *value_of(row, 0)); }

private:
    const AuthorFiles& files_;
    std::map<const Keyword*, std::vector<const RecordedRow*>> rows_;
};

}  // namespace

std::vector<Diagnostic> row_warnings(const Run& run, const AuthorFiles& files) { return RowRules(run, files).run(); }

bool read_whole_train(const Run& run) {
    const Recorder& r = run.recorder;
    return r.opened_[index_of(Source::train_description)] &&
           std::none_of(r.failures.begin(), r.failures.end(),
                        [](const RecordedFailure& f) { return f.source == Source::train_description; }) &&
           !(r.faulted && r.faulted->source == Source::train_description);
}

std::vector<Diagnostic> order_warnings(const Run& run, const AuthorFiles& files) {
    std::vector<Diagnostic> out;
    const Recorder& r = run.recorder;
    const RowsByKeyword rows(r, files);

    // Ascending positions.
    for (const Keyword* k : {&keyword::gradient, &keyword::curve, &keyword::mountain, &keyword::speed,
                             &keyword::adhesion, &keyword::signal, &keyword::slowdown, &keyword::station}) {
        const std::vector<const RecordedRow*> list = rows.of(*k);
        for (std::size_t i = 1; i < list.size(); ++i) {
            const std::int64_t before = *number_of(*list[i - 1], 0);
            const std::int64_t now = *number_of(*list[i], 0);
            if (now >= before) continue;
            Diagnostic d = warning("descending-positions", rows.at(*list[i]),
                                   item_words(*list[i]) + " comes after " + item_words(*list[i - 1]) + ": " +
                                       quoted(k->written) + " rows must stand in ascending position");
            d.notes.push_back({rows.at(*list[i - 1]), "the previous " + quoted(k->written) + " row"});
            out.push_back(std::move(d));
        }
    }
    // Curves that overlap.
    const std::vector<const RecordedRow*> curves = rows.of(keyword::curve);
    for (std::size_t i = 1; i < curves.size(); ++i) {
        const std::int64_t start = *number_of(*curves[i], 0);
        const std::int64_t previous_start = *number_of(*curves[i - 1], 0);
        const std::int64_t previous_end = previous_start + number_of(*curves[i - 1], 1).value_or(0);
        if (start >= previous_end || start < previous_start) continue;
        Diagnostic d = warning("overlapping-curves", rows.at(*curves[i]),
                               item_words(*curves[i]) + " starts inside " + item_words(*curves[i - 1]) +
                                   ", which ends at " + metres(previous_end) +
                                   ": the plan continues the previous curve's direction with this curve's curvature");
        d.notes.push_back({rows.at(*curves[i - 1]), "the previous curve ends at " + metres(previous_end)});
        out.push_back(std::move(d));
    }

    return out;
}

std::vector<Diagnostic> profile_warnings(const Run& run, const AuthorFiles& files) {
    std::vector<Diagnostic> out;
    const Recorder& r = run.recorder;
    const RowsByKeyword rows(r, files);
    const auto train = index_of(Source::train_description);
    if (!r.opened_[train]) return out;
    if (!r.headerFound[train]) {
        out.push_back(warning("train-header-missing", files.whole(Source::train_description),
                              "the train description has no \"[generale]\" header, so nothing of it is read: no "
                              "speeds, stations, signals or slowdowns"));
        return out;
    }
    const bool read_to_end = read_whole_train(run);
    for (const auto& [k, what] :
         {std::pair{&keyword::speed, "line speed"}, std::pair{&keyword::adhesion, "adhesion"}}) {
        const std::vector<const RecordedRow*> list = rows.of(*k);
        if (list.empty()) {
            if (read_to_end) {
                out.push_back(warning("profile-missing", files.whole(Source::train_description),
                                      std::string("the train description has no ") + quoted(k->written) +
                                          " row: the whole line gets " + what + " 0"));
            }
            continue;
        }
        // A first row before 25 m writes no cell before it.
        const std::int64_t first = *number_of(*list.front(), 0);
        if (first > 25) {
            out.push_back(warning("profile-not-from-start", rows.at(*list.front()),
                                  "the first " + quoted(k->written) + " row is at " + metres(first) +
                                      ": the cells before it get " + what + " 0"));
        }
    }
    return out;
}

}  // namespace scenario::tool
