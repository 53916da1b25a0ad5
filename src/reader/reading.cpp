#include "reader/reading.h"

#include <utility>

#include "io/file_system.h"

namespace scenario {

void Reading::open(const std::string& path, ReadDiagnostics::Source source) {
    stream_.reset();
    item_.reset();
    source_ = source;
    // The run wrote the file itself: a link put in its place is not followed.
    stream_.emplace(read_whole_file(path, Links::refuse));
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

void Reading::fail(std::int32_t code, FieldLocation at, std::optional<std::int32_t> position) {
    fail(code, place(at), position);
}

void Reading::fail(std::int32_t code, const Place& at, std::optional<std::int32_t> position) {
    model.errorCode = code;
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
