#include "tool/diagnostics/recorder.h"

namespace scenario::tool {

void Recorder::opened(Source source, std::string_view text) {
    opened_[index_of(source)] = true;
    textSize[index_of(source)] = text.size();
}

void Recorder::header(Source source, const ReadField& field) {
    headerFound[index_of(source)] = true;
    headers[index_of(source)] = field;
}

void Recorder::candidate(Source source, Part part, const ReadField& field, bool matched) {
    candidates.push_back({source, part, field, matched, false});
}

void Recorder::hyphen_skipped(Source source, Part part, const ReadField& field) {
    candidates.push_back({source, part, field, false, true});
}

void Recorder::row_started(Source source, const Keyword& keyword, const ReadField& field) {
    current_row_ = static_cast<int>(rows.size());
    rows.push_back({source, &keyword, field, {}, false});
}

void Recorder::row(Source, const Keyword& keyword, const ReadField&, std::span<const ReadField> values) {
    if (current_row_ < 0) return;
    RecordedRow& row = rows[static_cast<std::size_t>(current_row_)];
    row.values.assign(values.begin(), values.end());
    row.complete = row.keyword == &keyword && !(faulted && faulted->row == current_row_);
    current_row_ = -1;
}

void Recorder::ended(Source) { current_row_ = -1; }

void Recorder::placed(std::int64_t cell, std::uint8_t kind) { owners_[cell] = {current_row_, kind, std::nullopt}; }

void Recorder::approach_code(std::int64_t cell, std::uint8_t) { approach_owners_[cell] = current_row_; }

void Recorder::pass_mark(std::int64_t cell, std::int64_t cause) { owners_[cell] = {-1, 12, cause}; }

void Recorder::failed(ErrorCode code, Source source, const ReadField& field, const std::int32_t* position) {
    RecordedFailure failure{code, source, field, std::nullopt, current_row_};
    if (position != nullptr) failure.position = *position;
    failures.push_back(std::move(failure));
}

void Recorder::fault(Fault kind, const std::string& what, Source source, const ReadField& field) {
    faulted = RecordedFault{kind, what, source, field, current_row_};
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
