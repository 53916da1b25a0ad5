#include "tool/diagnostics/recorder.h"

#include <algorithm>

#include "tool/display_text.h"
#include "tool/wording.h"

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
}

RecordedField RecordedField::shortened() const {
    RecordedField kept;
    kept.at = at;
    kept.endColumn = endColumn;
    kept.number = number;
    kept.isNumber = isNumber;
    kept.startsLine = startsLine;
    kept.cut = cut || text.size() > keptText;
    kept.utf8 = cut ? utf8 : is_valid_utf8(text);
    kept.text = text.substr(0, keptText);
    return kept;
}

RecordedRow shortened(const RecordedRow& row) {
    RecordedRow kept;
    kept.source = row.source;
    kept.keyword = row.keyword;
    kept.keywordField = row.keywordField.shortened();
    kept.values.reserve(row.values.size());
    for (const RecordedField& value : row.values) kept.values.push_back(value.shortened());
    kept.complete = row.complete;
    return kept;
}

void Recorder::opened(Source source, std::string_view text) {
    opened_[index_of(source)] = true;
    textSize[index_of(source)] = text.size();
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

void Recorder::row(Source, const Keyword& keyword, const ReadField&, std::span<const ReadField> values) {
    if (!row_open_) return;
    current_.values.resize(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) current_.values[i].assign(values[i]);
    current_.complete = current_.keyword == &keyword && !(faulted && faulted->row == current_row());
    end_row(true);
}

void Recorder::end_row(bool ended) {
    // A row the reading did not end has no values.
    if (!ended) current_.values.clear();
    if (listener_ != nullptr) listener_->row(current_);
    if (const std::optional<std::size_t> index = break_index(*current_.keyword)) {
        lastBreaks[*index] = shortened(current_);
    }
    if (keep_) rows.push_back(shortened(current_));
    row_open_ = false;
    keep_ = false;
}

void Recorder::ended(Source) {
    if (row_open_) end_row(false);
}

void Recorder::placed(std::int64_t cell, std::uint8_t kind) {
    owners_[cell] = {current_row(), kind, std::nullopt};
    keep_current();
}

void Recorder::approach_code(std::int64_t cell, std::uint8_t) {
    approach_owners_[cell] = current_row();
    keep_current();
}

void Recorder::pass_mark(std::int64_t cell, std::int64_t cause) { owners_[cell] = {-1, 12, cause}; }

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
    const auto it = owners_.find(cell);
    return it == owners_.end() ? nullptr : &it->second;
}

std::optional<int> Recorder::approach_owner(std::int64_t cell) const {
    const auto it = approach_owners_.find(cell);
    if (it == approach_owners_.end() || it->second < 0) return std::nullopt;
    return it->second;
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
