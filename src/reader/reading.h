// The state shared by the two halves of one reading: the open description
// file and the diagnostics of the outcome.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "description/field_stream.h"
#include "model/error_codes.h"
#include "model/route_model.h"
#include "model/scenario_files.h"
#include "reader/memorizza_dati.h"

namespace scenario {

class Reading {
public:
    // A field of a description file, kept with its line's text so that it
    // can still be shown after the file is closed.
    struct Place {
        ReadDiagnostics::Source source = ReadDiagnostics::Source::none;
        FieldLocation location;
        std::string line;
    };

    Reading(RouteModel& model, const ScenarioFiles& files, ReadDiagnostics* diagnostics)
        : model(model), files(files), diagnostics_(diagnostics) {}

    RouteModel& model;
    const ScenarioFiles& files;

    // Where the line half read each kilometre-point break (records 81 to 83
    // before they are reordered) when its position or offset is not a
    // multiple of 50; the train half reports code 2 there.
    std::array<std::optional<Place>, 3> misplacedBreaks;

    // Opens a description file for reading (the whole text is taken in).
    void open(const std::string& path, ReadDiagnostics::Source source);
    void close() {
        stream_.reset();
        item_.reset();
    }
    // Closes the description file and deletes it.
    void close_and_delete();
    FieldStream& stream() { return *stream_; }
    bool at_end() const { return stream_->at_end(); }

    // Reads the next field as text into currentField.
    const std::string& read_field();
    // The next field to test against the keywords, outside the line's general
    // section: up to two hyphenated fields in a row are passed over. Nothing
    // when the file ends first (the last field of a file is never
    // interpreted).
    std::optional<std::string> next_keyword_candidate();
    std::int32_t read_long() {
        item_.reset();
        return stream_->read_long();
    }
    std::int16_t read_integer() {
        item_.reset();
        return stream_->read_integer();
    }
    std::uint8_t read_byte() {
        item_.reset();
        return stream_->read_byte();
    }
    FieldLocation last_location() const { return stream_->last_location(); }
    Place place(FieldLocation at) const;

    // Records errorCode (and errorPosition when given) with the field at
    // fault for the diagnostics.
    void fail(ErrorCode code, FieldLocation at, std::optional<std::int32_t> position = std::nullopt);
    void fail(ErrorCode code, const Place& at, std::optional<std::int32_t> position = std::nullopt);
    // The item about to be recorded: a failure without a code of its own
    // (code 25) that happens before the next field is read is its fault.
    void note_location(FieldLocation at) { item_ = place(at); }
    void note_place(const Place& at) { item_ = at; }
    void forget_item() { item_.reset(); }
    // The values of the item at fault (in file order) and, for a station,
    // its record.
    void note_item(std::vector<std::int32_t> values, int record = 0);
    // The text of a failure that became code 25; it points at the noted
    // item, else at the field read last.
    void note_fault(const std::string& what);

private:
    void point_at(const Place& at);

    std::optional<FieldStream> stream_;
    std::string path_;
    ReadDiagnostics::Source source_ = ReadDiagnostics::Source::none;
    std::optional<Place> item_;
    ReadDiagnostics* diagnostics_;
};

}  // namespace scenario
