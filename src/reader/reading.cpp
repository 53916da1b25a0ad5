#include "reader/reading.h"

#include <utility>

#include "io/file_system.h"
#include "reader/keywords.h"

namespace scenario {

void Reading::open(const std::string& path, ReadDiagnostics::Source source) {
    stream_.reset();
    item_.reset();
    source_ = source;
    path_ = path;
    stream_.emplace(read_whole_file(path));
}

void Reading::close_and_delete() {
    close();
    delete_file(path_);
}

std::optional<std::string> Reading::next_keyword_candidate() {
    if (at_end()) return std::nullopt;
    std::string field = read_field();
    if (at_end()) return std::nullopt;
    for (int i = 0; i < item_hyphen_skips && has_hyphen(field); ++i) {
        field = read_field();
        if (at_end()) return std::nullopt;
    }
    return field;
}

const std::string& Reading::read_field() {
    item_.reset();
    model.currentField = stream_->read_text();
    return model.currentField;
}

Reading::Place Reading::place(FieldLocation at) const {
    Place p{source_, at, stream_ ? std::string(stream_->line_text(at.line)) : std::string()};
    // The end of the file lies just after the last character of its last
    // line, not after its line end.
    const int past_line = static_cast<int>(p.line.size()) + 1;
    if (p.location.column > past_line) p.location.column = past_line;
    return p;
}

void Reading::fail(ErrorCode code, FieldLocation at, std::optional<std::int32_t> position) {
    fail(code, place(at), position);
}

void Reading::fail(ErrorCode code, const Place& at, std::optional<std::int32_t> position) {
    model.errorCode = value_of(code);
    if (position) model.errorPosition = *position;
    point_at(at);
}

void Reading::point_at(const Place& at) {
    if (diagnostics_ == nullptr) return;
    diagnostics_->source = at.source;
    diagnostics_->location = at.location;
    diagnostics_->sourceLine = at.line;
}

void Reading::note_item(std::vector<std::int32_t> values, int record) {
    if (diagnostics_ == nullptr) return;
    diagnostics_->values = std::move(values);
    diagnostics_->record = record;
}

void Reading::note_fault(const std::string& what) {
    if (diagnostics_ == nullptr) return;
    diagnostics_->fault = what;
    if (item_) {
        point_at(*item_);
    } else if (stream_) {
        point_at(place(stream_->last_location()));
    } else {
        point_at(Place{source_, {}, {}});
    }
}

}  // namespace scenario
