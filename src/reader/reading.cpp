#include "reader/reading.h"

#include <utility>

#include "io/file_system.h"

namespace scenario {

bool Reading::exists(const std::string& path, Source source) const {
    if (texts_ == nullptr) return file_exists(path);
    return (source == Source::train_description ? texts_->train : texts_->line).has_value();
}

void Reading::open(const std::string& path, Source source) {
    stream_.reset();
    item_.reset();
    source_ = source;
    path_ = path;
    if (texts_ != nullptr) {
        const std::optional<std::string_view>& text =
            source == Source::train_description ? texts_->train : texts_->line;
        if (!text) throw FileError("cannot open for reading (No such file or directory)", path);
        stream_.emplace(FieldStream::viewing, *text);
    } else {
        // The run wrote the file itself: a link put in its place is not followed.
        stream_.emplace(read_whole_file(path, Links::refuse));
    }
    if (observer_ != nullptr) observer_->opened(source, stream_->text());
}

void Reading::close() {
    if (stream_) {
        // The breaks found off the 50 m grid are told of once the train
        // description is read too.
        for (std::optional<Place>& misplaced : misplacedBreaks) {
            if (misplaced && misplaced->source == source_) keep(*misplaced);
        }
        if (observer_ != nullptr) {
            end_row();
            observer_->ended(source_);
        }
    }
    stream_.reset();
    item_.reset();
}

void Reading::close_and_delete() {
    close();
    if (texts_ == nullptr) delete_file(path_);
}

const std::string& Reading::read_field() {
    item_.reset();
    model.currentField = stream_->read_text();
    if (observer_ != nullptr && row_open_) row_values_.push_back(last_field(false));
    return model.currentField;
}

std::optional<std::string> Reading::next_keyword_candidate(Part part) {
    if (at_end()) return std::nullopt;
    std::string field = read_field();
    if (at_end()) return std::nullopt;
    for (int i = 0; i < item_hyphen_skips && has_hyphen(field); ++i) {
        skipped_for_hyphen(part);
        field = read_field();
        if (at_end()) return std::nullopt;
    }
    return field;
}

void Reading::skipped_for_hyphen(Part part) {
    if (observer_ != nullptr) observer_->hyphen_skipped(source_, part, last_field(false));
}

void Reading::prologue_field() {
    if (observer_ != nullptr) observer_->candidate(source_, Part::prologue, last_field(false), false);
}

void Reading::header_found() {
    if (observer_ != nullptr) observer_->header(source_, last_field(false));
}

ReadField Reading::last_field(bool is_number, std::int64_t number) const {
    ReadField field;
    const FieldSpan span = stream_->last_span();
    field.at = span.at;
    field.endColumn = span.endColumn;
    field.text = stream_->last_text();
    field.isNumber = is_number;
    field.number = number;
    field.startsLine = stream_->last_starts_line();
    return field;
}

std::string_view Reading::line_of(const Place& at) const {
    if (at.line) return *at.line;
    if (!stream_ || at.source != source_) return {};
    return stream_->line_of({at.location, at.endColumn, at.offset});
}

ReadField Reading::field_of(const Place& at) const {
    ReadField field;
    field.at = at.location;
    field.endColumn = at.endColumn;
    const std::string_view line = line_of(at);
    const auto from = static_cast<std::size_t>(std::max(0, at.location.column - 1));
    if (at.endColumn > at.location.column && from < line.size()) {
        field.text = line.substr(from, static_cast<std::size_t>(at.endColumn - at.location.column));
    }
    return field;
}

void Reading::begin_row(const Keyword& keyword) {
    if (observer_ == nullptr) return;
    row_keyword_ = &keyword;
    row_values_.clear();
    row_open_ = true;
    observer_->row_started(source_, keyword, candidate_);
}

void Reading::end_row() {
    if (!row_open_) return;
    row_open_ = false;
    observer_->row(source_, *row_keyword_, candidate_, row_values_);
}

Reading::Place Reading::place(FieldSpan at) const {
    Place p{source_, at.at, at.endColumn, at.offset, std::nullopt};
    if (!stream_) return p;
    // The end of the file lies just after the last character of its last
    // line, not after its line end; a quoted field that goes on to the next
    // line is shown up to the end of its first.
    const std::string_view text = stream_->text();
    const auto length = static_cast<std::size_t>(std::max(0, at.endColumn - at.at.column));
    if (at.offset >= text.size() || text.substr(at.offset, length).find_first_of("\r\n") != std::string_view::npos) {
        const int past_line = static_cast<int>(stream_->line_of(at).size()) + 1;
        if (p.location.column > past_line) p.location.column = past_line;
        if (p.endColumn > past_line) p.endColumn = past_line;
    }
    return p;
}

void Reading::keep(Place& place) const {
    if (!place.line) place.line = std::string(line_of(place));
}

void Reading::fail(ErrorCode code, FieldSpan at, std::optional<std::int32_t> position) {
    fail(code, place(at), position);
}

void Reading::fail(ErrorCode code, const Place& at, std::optional<std::int32_t> position) {
    model.errorCode = value_of(code);
    if (position) model.errorPosition = *position;
    point_at(at);
    if (observer_ != nullptr) observer_->failed(code, at.source, field_of(at), position ? &*position : nullptr);
}

void Reading::point_at(const Place& at) {
    if (diagnostics_ == nullptr) return;
    diagnostics_->source = at.source;
    diagnostics_->location = at.location;
    diagnostics_->sourceLine = std::string(line_of(at));
}

void Reading::note_item(std::vector<std::int32_t> values, int record) {
    if (diagnostics_ == nullptr) return;
    diagnostics_->values = std::move(values);
    diagnostics_->record = record;
}

void Reading::note_fault(Fault kind, const std::string& what) {
    Place at;
    at.source = source_;
    if (item_) {
        at = *item_;
    } else if (stream_) {
        at = place(stream_->last_span());
    }
    if (diagnostics_ != nullptr) {
        diagnostics_->fault = what;
        point_at(at);
    }
    if (observer_ != nullptr) {
        // The fault belongs to the row being read, if any; the row then ends
        // with the values read so far.
        observer_->fault(kind, what, at.source, field_of(at));
        if (stream_) end_row();
    }
}

}  // namespace scenario
