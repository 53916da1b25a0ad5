#include "reader/reading.h"

#include "description/file_system.h"

namespace scenario {

void Reading::open(const std::string& path, ReadDiagnostics::Source source) {
    stream_.reset();
    source_ = source;
    stream_.emplace(read_whole_file(path));
}

const std::string& Reading::read_field() {
    model.currentField = stream_->read_text();
    return model.currentField;
}

void Reading::fail(std::int32_t code, FieldLocation at, std::optional<std::int32_t> position) {
    model.errorCode = code;
    if (position) model.errorPosition = *position;
    note_location(at);
}

void Reading::note_location(FieldLocation at) {
    if (diagnostics_ == nullptr) return;
    diagnostics_->source = source_;
    diagnostics_->location = at;
    diagnostics_->sourceLine = stream_ ? std::string(stream_->line_text(at.line)) : std::string();
}

void Reading::note_fault(const std::string& what) {
    if (diagnostics_ == nullptr) return;
    diagnostics_->fault = what;
    if (stream_) {
        note_location(stream_->last_location());
    } else {
        diagnostics_->source = source_;
    }
}

}  // namespace scenario
