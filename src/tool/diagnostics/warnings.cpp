#include "tool/diagnostics/warnings.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>
#include <type_traits>
#include <utility>

#include "model/packing.h"
#include "model/route_model.h"
#include "tool/base/display_text.h"
#include "tool/base/wording.h"
#include "tool/diagnostics/catalogue.h"
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

Diagnostic warning(const DiagnosticKind& kind, SourcePoint at, std::string message) {
    return diagnostic_of(kind, std::move(at), std::move(message));
}

// Where a field stands; the file is named once the warnings to show are
// chosen.
SourcePoint at(const RecordedField& field) {
    if (field.at.line <= 0) return {};
    return {{}, field.at.line, field.at.column, field.endColumn, {}};
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

// The rules of a row, in the order their warnings are told.
namespace phase {
constexpr int hash = 0;
constexpr int next_line = 1;
constexpr int trailing = 2;
constexpr int values = 3;
}  // namespace phase

// Whether a keyword candidate that matched no keyword is told of: one passed
// over for a hyphen that would be a keyword without it, or a field with a
// letter that begins its line.
bool may_warn(const RecordedCandidate& c) {
    const std::string& text = c.field.text;
    if (c.hyphenSkipped) {
        for (char replacement : {'_', ' '}) {
            std::string mended = text;
            std::replace(mended.begin(), mended.end(), '-', replacement);
            if (matching(keywords_of(c.part), mended) != nullptr) return true;
        }
        return false;
    }
    return c.field.startsLine && !text.empty() && text.front() != '[' && has_letter(text);
}

// A keyword candidate that is no keyword of its part: a misspelt, misplaced
// or hyphenated keyword, most of the time.
std::optional<Diagnostic> candidate_warning(const RecordedCandidate& c) {
    const std::string& text = c.field.text;
    const bool line = c.source == Source::line_description;
    if (c.hyphenSkipped) {
        // A hyphen in place of an underscore or a space: the keyword is lost.
        for (char replacement : {'_', ' '}) {
            std::string mended = text;
            std::replace(mended.begin(), mended.end(), '-', replacement);
            const Keyword* k = matching(keywords_of(c.part), mended);
            if (k == nullptr) continue;
            Diagnostic d = warning(kind_named("hyphenated-keyword"), at(c.field),
                                   quoted(text) +
                                       " holds a hyphen, so it is passed over as a comment and never read "
                                       "as " +
                                       quoted(k->written) + "; the values after it are ignored");
            d.replacement = mended;
            return d;
        }
        return std::nullopt;
    }
    if (!c.field.startsLine || text.empty() || text.front() == '[' || !has_letter(text)) return std::nullopt;

    // Written in other letters' case in the general section.
    if (c.part == Part::line_general) {
        for (const Keyword* k : line_general_keywords()) {
            Keyword ignoring_case = *k;
            ignoring_case.exactCase = false;
            if (k->exactCase && ignoring_case.matches(text)) {
                Diagnostic d = warning(kind_named("keyword-letter-case"), at(c.field),
                                       quoted(text) + " is not read: in the general section " + quoted(k->written) +
                                           " must be written in small letters; the values after it are ignored");
                d.replacement = lower(text);
                return d;
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
        if (matching(table, text) != nullptr) {
            return warning(kind_named("keyword-in-wrong-section"), at(c.field),
                           quoted(text) + " is not read here: it " + where + "; the row is ignored");
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
    // A name on a line of its own: the comment form says so.
    const bool name = std::none_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
    if (nearest == nullptr && name && c.part == Part::train) {
        message += "; to keep a name as a note, write it as a comment, whose first field holds a hyphen: " +
                   quoted("- " + text);
    }
    Diagnostic d = warning(kind_named("unknown-keyword"), at(c.field), message);
    if (nearest != nullptr) d.replacement = nearest->written;
    return d;
}

// A field of the general section that an author most likely meant as the
// header that ends it: a bracket without its pair, or the name of a section
// in other brackets or none.
bool header_like(const RecordedField& field) {
    const std::string& text = field.text;
    if (!field.startsLine || text.empty() || text.front() == '-') return false;
    const bool open = text.find('[') != std::string::npos;
    const bool close = text.find(']') != std::string::npos;
    if (open != close) return true;
    std::string letters;
    for (char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            letters += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        } else if (c != '(' && c != ')' && c != '<' && c != '>' && c != ' ') {
            return false;
        }
    }
    static constexpr std::string_view sections[] = {"curve", "pendenze", "montagne", "cartelli", "indicazioni", "fine"};
    return std::find(std::begin(sections), std::end(sections), letters) != std::end(sections);
}

// The header an author meant by a header-like field: its letters in brackets.
std::string mended_header(std::string_view text) {
    std::string letters;
    for (char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') letters += c;
    }
    return "[" + (letters.empty() ? std::string("curve") : letters) + "]";
}

}  // namespace

// An item row in the line description's general section: told once, at
// the first, as the header missing before it; the rows after it are the
// same mistake.
void RowWarnings::stray_item(const RecordedCandidate& c, std::size_t index) {
    if (strayTold_) return;
    strayTold_ = true;
    add(c.source, at(c.field), &kind_named("section-header-missing"), warning_group::candidates, index, 0,
        [&](Diagnostic& d) {
            const std::string line = std::to_string(c.field.at.line);
            if (headerLike_) {
                const std::string near_line = std::to_string(headerLike_->at.line);
                d.message = quoted(c.field) + " stands in the general section, which " + quoted(*headerLike_) +
                            " on line " + near_line +
                            " does not end (a section header holds both \"[\" and \"]\"), so neither this row nor "
                            "any item row after it is read: write " +
                            quoted(mended_header(headerLike_->text)) + " on line " + near_line;
                d.notes.push_back({at(*headerLike_), "this was meant as the header that ends the general section"});
                return;
            }
            d.message = quoted(c.field) + " stands in the general section, which no section header ends before it, " +
                        "so neither this row nor any item row after it is read: add a header such as `[curve]` " +
                        "above line " + line;
        });
}

template <typename Words>
void RowWarnings::add(Source source, SourcePoint point, const DiagnosticKind* kind, int group, std::size_t index,
                      int phase, Words&& words) {
    WarningOrder order;
    order.file = source == Source::train_description ? 1 : 0;
    order.line = point.line;
    order.column = point.column;
    order.group = group;
    order.index = index;
    order.phase = phase;
    order.count = count_++;
    // Put in words only a warning that can be kept.
    if (!found_.room_for(order, kind != nullptr ? kind->name : std::string_view())) return;
    Diagnostic d;
    if (kind != nullptr) d = warning(*kind, {}, {});
    d.at = std::move(point);
    if constexpr (std::is_invocable_r_v<std::string, Words>) {
        d.message = words();
    } else {
        words(d);
    }
    found_.add({source, std::move(d), order});
}

template <typename Words>
void RowWarnings::value_warning(Source source, SourcePoint point, const DiagnosticKind& kind, Words&& words) {
    add(source, std::move(point), &kind, warning_group::rows, rows_ - 1, phase::values, std::forward<Words>(words));
}

void RowWarnings::candidate(const RecordedCandidate& c) {
    const std::size_t index = candidates_++;
    if (trailing_) {
        const RecordedField& last = trailing_->last;
        if (c.source != trailing_->source || c.field.at.line != last.at.line) {
            trailing_.reset();
        } else if (c.field.at.column > last.at.column) {
            // The first keyword found on the line ends what the row leaves.
            if (!c.matched) return trailing_field(c);
            trailing_.reset();
        }
    }
    if (!c.matched && c.source == Source::line_description && c.part == Part::line_general) {
        if (header_like(c.field)) headerLike_.emplace().keep(c.field);
        if (c.field.startsLine && matching(line_item_keywords(), c.field.text) != nullptr) {
            return stray_item(c, index);
        }
    }
    if (c.matched || !may_warn(c)) return;
    // Which warning it is is known only once it is put in words.
    add(c.source, at(c.field), nullptr, warning_group::candidates, index, 0, [&c](Diagnostic& d) {
        Diagnostic found = *candidate_warning(c);
        found.at = std::move(d.at);
        d = std::move(found);
    });
}

void RowWarnings::row(const RecordedRow& r) {
    const std::size_t index = rows_++;
    const std::string& keyword_text = r.keywordField.text;
    if (!keyword_text.empty() && keyword_text.front() == '#') {
        add(r.source, at(r.keywordField), &kind_named("hash-is-not-a-comment"), warning_group::rows, index, phase::hash,
            [&] {
                return quoted(keyword_text) + " is read as a " + quoted(r.keyword->written) +
                       " row: '#' does not make a comment (a comment is a row whose first field holds a hyphen)";
            });
    }
    for (const RecordedField& v : r.values) {
        if (v.at.line != r.keywordField.at.line) {
            add(r.source, at(v), &kind_named("values-on-next-line"), warning_group::rows, index, phase::next_line, [&] {
                return "the " + quoted(r.keyword->written) + " row of line " + std::to_string(r.keywordField.at.line) +
                       " takes its " +
                       std::string(value_name(*r.keyword, static_cast<std::size_t>(&v - r.values.data()))) + " " +
                       quoted(v.text) + " from this line" +
                       (separator_trouble(r).empty() ? std::string() : ": " + separator_trouble(r));
            });
            break;
        }
    }
    trailing_.reset();
    if (r.complete && !r.values.empty()) {
        trailing_ = Trailing{r.source, r.keyword, r.values.size(), r.values.back(), index};
    }
    value_rules(r);
    keyword_rows(r);
}

// A field after the last value of a complete row on its line.
void RowWarnings::trailing_field(const RecordedCandidate& c) {
    Trailing& t = *trailing_;
    // An empty field (a comma at the end of the row) holds nothing to lose.
    if (!t.first || c.field.text.empty()) return;
    t.first = false;
    const RecordedField& last = t.last;
    if (c.field.gap == Gap::tab) {
        SourcePoint point = at(last);
        point.endColumn = c.field.endColumn;
        add(t.source, point, &kind_named("tab-in-field"), warning_group::rows, t.row, phase::trailing, [&] {
            return quoted(last.text + "\t" + c.field.text) + " is read as " + quoted(last.text) +
                   ": the tab ends the field and " + quoted(c.field.text) + " is ignored after the last value of the " +
                   quoted(t.keyword->written) + " row; tabs do not separate fields; use a comma";
        });
        return;
    }
    const bool decimal = last.isNumber && c.field.gap == Gap::comma && c.field.at.column == last.endColumn + 1 &&
                         all_digits(c.field.text);
    if (decimal) {
        SourcePoint point = at(last);
        point.endColumn = c.field.endColumn;
        add(t.source, point, &kind_named("decimal-comma"), warning_group::rows, t.row, phase::trailing, [&] {
            return quoted(last.text + "," + c.field.text) + " is read as " + std::to_string(last.number) +
                   ": the comma ends the number and " + quoted(c.field.text) + " is ignored; values are whole numbers";
        });
        return;
    }
    add(t.source, at(c.field), &kind_named("ignored-values"), warning_group::rows, t.row, phase::trailing, [&] {
        return quoted(c.field.text) + " after the last value of the " + quoted(t.keyword->written) + " row is ignored";
    });
}

void RowWarnings::truncated(const RecordedRow& r, std::size_t index, std::int64_t stored, const std::string& how) {
    const RecordedField* v = value_of(r, index);
    if (v == nullptr) return;
    value_warning(r.source, at(*v), kind_named("value-truncated"), [&] {
        return std::string(value_name(*r.keyword, index)) + " " + quoted(v->text) + " is stored " + how + " as " +
               std::to_string(stored);
    });
}

// A tab between two values of a row on one line, with no comma: the tab
// ends a number, so the values are read apart, but it is no separator.
void RowWarnings::tab_rule(const RecordedRow& r) {
    for (std::size_t i = 1; i < r.values.size(); ++i) {
        const RecordedField& v = r.values[i];
        const RecordedField& before = r.values[i - 1];
        if (v.gap != Gap::tab || v.at.line != before.at.line) continue;
        SourcePoint point = at(before);
        point.endColumn = v.endColumn;
        value_warning(r.source, point, kind_named("tab-in-field"), [&] {
            return "a tab stands between the " + std::string(value_name(*r.keyword, i - 1)) + " " +
                   quoted(before.text) + " and the " + std::string(value_name(*r.keyword, i)) + " " + quoted(v.text) +
                   " of the " + quoted(r.keyword->written) + " row: tabs do not separate fields; use a comma";
        });
        return;
    }
}

void RowWarnings::text_rule(const RecordedRow& r, std::size_t index) {
    const RecordedField* v = value_of(r, index);
    if (v == nullptr) return;
    if (v->text.find('\t') != std::string::npos) {
        value_warning(r.source, at(*v), kind_named("tab-in-field"), [&] {
            return "the " + std::string(value_name(*r.keyword, index)) + " " + quoted(v->text) +
                   " holds a tab, which is stored as it is: tabs do not separate fields; use a comma between "
                   "fields and a blank inside a text";
        });
        return;
    }
    const bool wide = std::any_of(v->text.begin(), v->text.end(), [](char c) { return (c & 0x80) != 0; });
    if (!wide || !is_valid_utf8(v->text)) return;
    value_warning(r.source, at(*v), kind_named("text-not-single-byte"), [&] {
        return "the " + std::string(value_name(*r.keyword, index)) + " " + quoted(v->text) +
               " is UTF-8 text: each accented letter goes into the records as two bytes; save the "
               "description in the single-byte code page";
    });
}

// The types and codes of a signal, packed into its fields.
void RowWarnings::signal_rules(const RecordedRow& r) {
    const Keyword* k = r.keyword;
    auto number = [&](std::size_t i) { return number_of(r, i); };
    const auto sx = number(1);
    const auto dx = number(6);
    for (std::size_t i : {std::size_t{1}, std::size_t{6}}) {
        const auto type = number(i);
        if (!type || is_signal_type(*type)) continue;
        value_warning(r.source, at(*value_of(r, i)), kind_named("signal-type-out-of-range"), [&] {
            return "signal type " + std::string(value_name(*k, i)) + " " + std::to_string(*type) +
                   " is outside 0 to 2: the combined type sx * 3 + dx = " +
                   std::to_string(combined_signal_type(sx.value_or(0), dx.value_or(0))) + " is no valid type";
        });
    }
    for (const std::size_t i : std::initializer_list<std::size_t>{2, 3, 4, 5, 7, 8, 9}) {
        const auto code = number(i);
        if (!code || is_one_digit(*code)) continue;
        value_warning(r.source, at(*value_of(r, i)), kind_named("signal-code-not-a-digit"), [&] {
            return "signal code " + std::string(value_name(*k, i)) + " " + std::to_string(*code) +
                   " is not one digit: codes are packed two to a field, the left-hand one as "
                   "tens and the right-hand one as units, so it runs into the other";
        });
    }
    if (const auto tempo = number(10); tempo && sx == 2 && pack_signal_time(*sx, *tempo) != *tempo) {
        truncated(r, 10, pack_signal_time(*sx, *tempo), "in one byte");
    }
}

// The speeds and stripes of a set of speed boards, packed two to a field.
void RowWarnings::board_rules(const RecordedRow& r) {
    const Keyword* k = r.keyword;
    auto number = [&](std::size_t i) { return number_of(r, i); };
    for (std::size_t rank = 0; rank < 3; ++rank) {
        const auto left = number(1 + rank);
        const auto right = number(5 + rank);
        if (!right || keeps_board_speeds_apart(*right)) continue;
        const auto packed = static_cast<std::int64_t>(board_speeds_sum(left.value_or(0), *right));
        const BoardSpeeds back = unpack_board_speeds(packed);
        value_warning(r.source, at(*value_of(r, 5 + rank)), kind_named("board-speeds-overlap"), [&] {
            return std::string(value_name(*k, 5 + rank)) + " " + std::to_string(*right) +
                   " km/h does not fit beside the left-hand one: the rank is stored as " +
                   std::to_string(left.value_or(0)) + " * 20 + " + std::to_string(*right) +
                   " / 5 = " + std::to_string(packed) + ", read back as " + std::to_string(back.left) + " and " +
                   std::to_string(back.right) + " km/h";
        });
    }
    for (const std::size_t i : std::initializer_list<std::size_t>{4, 8}) {
        if (const auto stripes = number(i); stripes && !is_one_digit(*stripes)) {
            value_warning(r.source, at(*value_of(r, i)), kind_named("value-truncated"), [&] {
                return std::string(value_name(*k, i)) + " " + std::to_string(*stripes) +
                       " is not one digit: the stripes are stored as left * 10 + right";
            });
        }
    }
}

// Rows with a start and an end, or a start and a length: the end must
// stand after the start.
void RowWarnings::span_rule(const RecordedRow& r) {
    struct Span {
        const Keyword* keyword;
        std::size_t second;  // the end, or the length
        bool length;
    };
    static constexpr Span spans[] = {{&keyword::mountain, 1, false},
                                     {&keyword::repetition, 1, false},
                                     {&keyword::curve, 1, true},
                                     {&keyword::slowdown, 2, true}};
    for (const Span& span : spans) {
        if (r.keyword != span.keyword) continue;
        const auto start = number_of(r, 0);
        const auto second = number_of(r, span.second);
        if (!start || !second || (span.length ? *second > 0 : *second > *start)) return;
        value_warning(r.source, at(*value_of(r, span.second)), kind_named("end-not-after-start"), [&] {
            if (span.length) {
                return item_words(r) + " has a " + std::string(value_name(*r.keyword, span.second)) + " of " +
                       metres(*second) + ": it must be above 0";
            }
            return item_words(r) + " ends at " + metres(*second) + ", " +
                   (*second == *start ? "where it starts" : "before its start") + ": its end must stand after " +
                   metres(*start);
        });
        return;
    }
}

void RowWarnings::value_rules(const RecordedRow& r) {
    span_rule(r);
    tab_rule(r);
    const Keyword* k = r.keyword;
    auto number = [&](std::size_t i) { return number_of(r, i); };
    if (k == &keyword::gradient) {
        if (const auto g = number(1); g && unpack_gradient(pack_gradient(*g)) != *g) {
            const std::uint8_t byte = pack_gradient(*g);
            value_warning(r.source, at(*value_of(r, 1)), kind_named("gradient-out-of-range"), [&] {
                return "gradient " + std::to_string(*g) + " is stored as the byte " + std::to_string(byte) +
                       ", read back as " + std::to_string(unpack_gradient(byte)) +
                       " per mille: gradients lie from -100 to 155 per mille";
            });
        }
    } else if (k == &keyword::speed) {
        const auto s = number(1);
        const std::optional<std::uint8_t> stored = s ? speed_limit_byte(*s) : std::nullopt;
        if (stored && *s >= 0 && unpack_speed_limit(*stored) != *s) {
            value_warning(r.source, at(*value_of(r, 1)), kind_named("speed-not-multiple-of-5"), [&](Diagnostic& d) {
                const std::string seen = std::to_string(unpack_speed_limit(*stored));
                d.message =
                    "line speed " + std::to_string(*s) + " km/h is stored in steps of 5 km/h, as " + seen + " km/h";
                // Only digits are certainly the number read; anything else
                // is left to the author.
                if (all_digits(value_of(r, 1)->text)) d.replacement = seen;
            });
        }
    } else if (k == &keyword::adhesion) {
        if (const auto a = number(1); a && pack_adhesion(*a) != *a) truncated(r, 1, pack_adhesion(*a), "in one byte");
    } else if (k == &keyword::signal) {
        signal_rules(r);
    } else if (k == &keyword::slowdown) {
        for (const std::size_t i : std::initializer_list<std::size_t>{1, 3, 5}) {
            if (const auto v = number(i); v && low_16(*v) != *v) truncated(r, i, low_16(*v), "in 16 bits");
        }
    } else if (k == &keyword::restriction) {
        if (const auto w = number(1); w && *w > 0 && low_16(*w) != *w) truncated(r, 1, low_16(*w), "in 16 bits");
    } else if (k == &keyword::mountain) {
        if (const auto tipo = number(2); tipo && *tipo != 1 && *tipo != 2 && *tipo != 11 && *tipo != 12) {
            value_warning(r.source, at(*value_of(r, 2)), kind_named("mountain-type-unknown"), [&] {
                return "mountain span type " + std::to_string(*tipo) + " is none of 1, 2, 11 and 12; it is stored as " +
                       std::to_string(pack_mountain_type(split_mountain_type(*tipo).type));
            });
        }
    } else if (k == &keyword::speed_boards) {
        board_rules(r);
    } else if (k == &keyword::sign) {
        text_rule(r, 1);
    } else if (k == &keyword::station) {
        text_rule(r, 16);
    }
}

// Rows of a keyword that read a position, each against the one before it:
// positions must ascend, and a curve must not start inside the previous one.
void RowWarnings::keyword_rows(const RecordedRow& r) {
    const std::optional<std::int64_t> now = number_of(r, 0);
    if (!now) return;
    const Keyword* k = r.keyword;
    // What the warnings say of an earlier row: its position, length and
    // name (item_words).
    const std::size_t told = k == &keyword::station ? 17 : 2;
    if ((k == &keyword::speed || k == &keyword::adhesion) && first_.count(k) == 0) keep_row(first_[k], r, told);
    const auto previous = last_.find(k);
    if (previous != last_.end()) {
        const RecordedRow& before = previous->second;
        const std::int64_t start_before = *number_of(before, 0);
        const bool ordered = k == &keyword::gradient || k == &keyword::curve || k == &keyword::mountain ||
                             k == &keyword::speed || k == &keyword::adhesion || k == &keyword::signal ||
                             k == &keyword::slowdown || k == &keyword::station;
        if (ordered && *now < start_before) {
            add(r.source, at(*value_of(r, 0)), &kind_named("descending-positions"), warning_group::keyword_rows,
                rows_ - 1, 0, [&](Diagnostic& d) {
                    d.message = item_words(r) + " comes after " + item_words(before) + ": " + quoted(k->written) +
                                " rows must stand in ascending position";
                    d.notes.push_back({at(*value_of(before, 0)), "the previous " + quoted(k->written) + " row"});
                });
        }
        const std::int64_t end_before = start_before + number_of(before, 1).value_or(0);
        if (k == &keyword::curve && *now < end_before && *now >= start_before) {
            add(r.source, at(*value_of(r, 0)), &kind_named("overlapping-curves"), warning_group::keyword_rows,
                rows_ - 1, 1, [&](Diagnostic& d) {
                    d.message = item_words(r) + " starts inside " + item_words(before) + ", which ends at " +
                                metres(end_before) +
                                ": the plan continues the previous curve's direction with this curve's curvature";
                    d.notes.push_back({at(*value_of(before, 0)), "the previous curve ends at " + metres(end_before)});
                });
        }
    }
    keep_row(last_[k], r, told);
}

const RecordedRow* RowWarnings::first_row(const Keyword& keyword) const {
    const auto it = first_.find(&keyword);
    return it == first_.end() ? nullptr : &it->second;
}

bool read_whole_train(const Recorder& r) {
    return r.opened_[index_of(Source::train_description)] &&
           std::none_of(r.failures.begin(), r.failures.end(),
                        [](const RecordedFailure& f) { return f.source == Source::train_description; }) &&
           !(r.faulted && r.faulted->source == Source::train_description);
}

std::vector<FoundWarning> profile_warnings(const Recorder& r, const RowWarnings& rows) {
    std::vector<FoundWarning> out;
    const auto train = index_of(Source::train_description);
    if (!r.opened_[train]) return out;
    auto add = [&out](Diagnostic d) {
        WarningOrder order;
        order.file = 1;
        order.line = d.at ? d.at->line : 0;
        order.column = d.at ? d.at->column : 0;
        order.group = warning_group::profiles;
        order.count = out.size();
        out.push_back({Source::train_description, std::move(d), order});
    };
    if (!r.headerFound[train]) {
        add(warning(kind_named("train-header-missing"), {},
                    "the train description has no \"[generale]\" header, so nothing of it is read: no "
                    "speeds, stations, signals or slowdowns"));
        return out;
    }
    const bool read_to_end = read_whole_train(r);
    for (const auto& [k, what] :
         {std::pair{&keyword::speed, "line speed"}, std::pair{&keyword::adhesion, "adhesion"}}) {
        const RecordedRow* first_row = rows.first_row(*k);
        if (first_row == nullptr) {
            if (read_to_end) {
                add(warning(kind_named("profile-missing"), {},
                            std::string("the train description has no ") + quoted(k->written) +
                                " row: the whole line gets " + what + " 0"));
            }
            continue;
        }
        // A first row before 25 m writes no cell before it.
        const std::int64_t first = *number_of(*first_row, 0);
        if (first > 25) {
            add(warning(kind_named("profile-not-from-start"), at(*value_of(*first_row, 0)),
                        "the first " + quoted(k->written) + " row is at " + metres(first) +
                            ": the cells before it get " + what + " 0"));
        }
    }
    return out;
}

}  // namespace scenario::tool
