#include "tool/diagnostics/recorder.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "tool/base/display_text.h"
#include "tool/base/wording.h"

namespace scenario::tool {

namespace {

// A field before the first "[generale]" that an author most likely meant as
// that header.
bool nearly_the_header(std::string_view text) {
    constexpr std::string_view header = "[generale]";
    // Within two edits only of a text about as long.
    if (text.size() > header.size() + 2 || text.find('[') == std::string_view::npos) return false;
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return edit_distance(lower, header) <= 2;
}

std::optional<std::size_t> break_index(const Keyword& keyword) {
    if (&keyword == &keyword::break_tre) return 0;
    if (&keyword == &keyword::break_due) return 1;
    if (&keyword == &keyword::break_uno) return 2;
    return std::nullopt;
}

}  // namespace

void RecordedField::assign(const ReadField& field) {
    at = field.at;
    endColumn = field.endColumn;
    text.assign(field.text);
    number = field.number;
    isNumber = field.isNumber;
    startsLine = field.startsLine;
    cut = false;
    utf8 = true;
    gap = Gap::comma;
}

void RecordedField::keep(const RecordedField& field) {
    at = field.at;
    endColumn = field.endColumn;
    number = field.number;
    isNumber = field.isNumber;
    startsLine = field.startsLine;
    gap = field.gap;
    cut = field.cut || field.text.size() > keptText;
    utf8 = field.cut ? field.utf8 : !cut || is_valid_utf8(field.text);
    text.assign(field.text, 0, keptText);
}

void RecordedField::cut_for_keeping() {
    if (cut || text.size() <= keptText) return;
    utf8 = is_valid_utf8(text);
    cut = true;
    text.resize(keptText);
    text.shrink_to_fit();
}

void keep_row(RecordedRow& kept, const RecordedRow& row, std::size_t values) {
    kept.source = row.source;
    kept.keyword = row.keyword;
    kept.keywordField.keep(row.keywordField);
    kept.values.resize(std::min(values, row.values.size()));
    for (std::size_t i = 0; i < kept.values.size(); ++i) kept.values[i].keep(row.values[i]);
    kept.complete = row.complete;
}

void Recorder::opened(Source source, std::string_view text) {
    texts_[index_of(source)] = text;
    opened_[index_of(source)] = true;
    textSize[index_of(source)] = text.size();
}

Gap Recorder::gap_before(Source source, const ReadField& field) const {
    const std::string_view text = texts_[index_of(source)];
    // The field's text is a view of the text being read; a quoted field's
    // begins after its quote.
    const std::less_equal<const char*> not_after;
    if (field.text.empty() || !not_after(text.data(), field.text.data()) ||
        !not_after(field.text.data(), text.data() + text.size())) {
        return Gap::comma;
    }
    auto i = static_cast<std::size_t>(field.text.data() - text.data());
    if (i > 0 && text[i - 1] == '"') --i;
    bool tab = false;
    while (i > 0 && (text[i - 1] == ' ' || text[i - 1] == '\t')) {
        tab = tab || text[i - 1] == '\t';
        --i;
    }
    if (i == 0 || text[i - 1] == '\n' || text[i - 1] == '\r') return Gap::line_start;
    if (text[i - 1] == ',') return Gap::comma;
    return tab ? Gap::tab : Gap::blanks;
}

void Recorder::header(Source source, const ReadField& field) {
    headerFound[index_of(source)] = true;
    headers[index_of(source)].assign(field);
}

void Recorder::candidate(Source source, Part part, const ReadField& field, bool matched) {
    if (part == Part::prologue) {
        if (source == Source::line_description && !nearHeader && nearly_the_header(field.text)) {
            nearHeader.emplace().assign(field);
        }
        return;
    }
    if (listener_ == nullptr) return;
    candidate_.source = source;
    candidate_.part = part;
    candidate_.field.assign(field);
    candidate_.field.gap = gap_before(source, field);
    candidate_.matched = matched;
    candidate_.hyphenSkipped = false;
    listener_->candidate(candidate_);
}

void Recorder::hyphen_skipped(Source source, Part part, const ReadField& field) {
    if (listener_ == nullptr) return;
    candidate_.source = source;
    candidate_.part = part;
    candidate_.field.assign(field);
    candidate_.matched = false;
    candidate_.hyphenSkipped = true;
    listener_->candidate(candidate_);
}

void Recorder::row_started(Source source, const Keyword& keyword, const ReadField& field) {
    if (row_open_) end_row(false);
    current_.source = source;
    current_.keyword = &keyword;
    current_.keywordField.assign(field);
    current_.values.clear();
    current_.complete = false;
    row_open_ = true;
    keep_ = keepEveryRow || &keyword == &keyword::station || &keyword == &keyword::sign;
}

void Recorder::row(Source source, const Keyword& keyword, const ReadField&, std::span<const ReadField> values) {
    if (!row_open_) return;
    current_.values.resize(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        current_.values[i].assign(values[i]);
        current_.values[i].gap = gap_before(source, values[i]);
    }
    current_.complete = current_.keyword == &keyword && !(faulted && faulted->row == current_row());
    end_row(true);
}

void Recorder::end_row(bool ended) {
    // A row the reading did not end has no values.
    if (!ended) current_.values.clear();
    if (listener_ != nullptr) listener_->row(current_);
    if (const std::optional<std::size_t> index = break_index(*current_.keyword)) {
        keep_row(lastBreaks[*index].emplace(), current_);
    }
    if (current_.keyword == &keyword::route_length) keep_row(routeLength.emplace(), current_);
    if (keep_) {
        // Nothing reads the row again: its fields move into the kept rows,
        // rather than being copied one by one.
        RecordedRow& kept = rows.emplace_back(std::move(current_));
        kept.keywordField.cut_for_keeping();
        for (RecordedField& value : kept.values) value.cut_for_keeping();
        current_ = RecordedRow{};
    }
    row_open_ = false;
    keep_ = false;
}

void Recorder::ended(Source source) {
    if (row_open_) end_row(false);
    texts_[index_of(source)] = {};
}

void Recorder::placed(std::int64_t cell, std::uint8_t kind) {
    if (cell < 0) return;
    owners_[cell] = CellOwner{current_row(), kind, std::nullopt};
    keep_current();
}

void Recorder::approach_code(std::int64_t cell, std::uint8_t) {
    if (cell < 0) return;
    const auto at = static_cast<std::size_t>(cell);
    if (at >= approachOwners_.size()) approachOwners_.resize(at + 1, -1);
    approachOwners_[at] = current_row();
    keep_current();
}

void Recorder::pass_mark(std::int64_t cell, std::int64_t cause) {
    if (cell < 0) return;
    owners_[cell] = CellOwner{-1, 12, cause};
}

void Recorder::failed(ErrorCode code, Source source, const ReadField& field, const std::int32_t* position) {
    RecordedFailure failure{code, source, {}, std::nullopt, current_row()};
    failure.field.assign(field);
    if (position != nullptr) failure.position = *position;
    failures.push_back(std::move(failure));
    keep_current();
}

void Recorder::fault(Fault kind, const std::string& what, Source source, const ReadField& field) {
    faulted = RecordedFault{kind, what, source, {}, current_row()};
    faulted->field.assign(field);
    keep_current();
}

void Recorder::pass_failed(ErrorCode code, std::int64_t cell, std::int64_t cause) {
    passFailures.push_back({code, cell, cause});
}

const CellOwner* Recorder::owner(std::int64_t cell) const {
    const auto o = owners_.find(cell);
    return o != owners_.end() ? &o->second : nullptr;
}

std::optional<int> Recorder::approach_owner(std::int64_t cell) const {
    if (cell < 0 || static_cast<std::size_t>(cell) >= approachOwners_.size()) return std::nullopt;
    const int row = approachOwners_[static_cast<std::size_t>(cell)];
    if (row < 0) return std::nullopt;
    return row;
}

std::optional<int> Recorder::source_row(std::int64_t cell) const {
    const CellOwner* o = owner(cell);
    for (int hops = 0; o != nullptr && hops < 4; ++hops) {
        if (!o->passCause) return o->row >= 0 ? std::optional<int>(o->row) : std::nullopt;
        o = owner(*o->passCause);
    }
    return std::nullopt;
}

}  // namespace scenario::tool
