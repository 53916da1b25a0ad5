// The state shared by the two halves of one reading: the open description
// file and the diagnostics of the outcome.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "description/field_stream.h"
#include "model/route_model.h"
#include "model/scenario_files.h"
#include "reader/memorizza_dati.h"

namespace scenario {

class Reading {
public:
    Reading(RouteModel& model, const ScenarioFiles& files, ReadDiagnostics* diagnostics)
        : model(model), files(files), diagnostics_(diagnostics) {}

    RouteModel& model;
    const ScenarioFiles& files;

    // Opens a description file for reading (the whole text is taken in).
    void open(const std::string& path, ReadDiagnostics::Source source);
    void close() { stream_.reset(); }
    FieldStream& stream() { return *stream_; }
    bool at_end() const { return stream_->at_end(); }

    // Reads the next field as text into currentField.
    const std::string& read_field();
    std::int32_t read_long() { return stream_->read_long(); }
    std::int16_t read_integer() { return stream_->read_integer(); }
    std::uint8_t read_byte() { return stream_->read_byte(); }
    FieldLocation last_location() const { return stream_->last_location(); }

    // Records errorCode (and errorPosition when given) with the field at
    // fault for the diagnostics.
    void fail(std::int32_t code, FieldLocation at, std::optional<std::int32_t> position = std::nullopt);
    // Points the diagnostics at a field without changing the error.
    void note_location(FieldLocation at);
    // The text of a failure that became code 25.
    void note_fault(const std::string& what);

private:
    std::optional<FieldStream> stream_;
    ReadDiagnostics::Source source_ = ReadDiagnostics::Source::none;
    ReadDiagnostics* diagnostics_;
};

}  // namespace scenario
