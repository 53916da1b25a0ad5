// The state shared by the two halves of one reading: the open description
// file, the row being read and the diagnostics of the outcome.
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
#include "reader/keywords.h"
#include "reader/memorizza_dati.h"
#include "reader/read_observer.h"

namespace scenario {

class Reading {
public:
    // A field of a description file. Its line is copied only for a place
    // that is still needed once its file is closed (keep()).
    struct Place {
        Source source = Source::none;
        FieldLocation location;
        int endColumn = 0;       // just past the field's last character; 0 when not known
        std::size_t offset = 0;  // of the field in its file's text
        std::optional<std::string> line;
    };

    Reading(RouteModel& read_into, const ScenarioFiles& scenario_files, ReadDiagnostics* diagnostics)
        : model(read_into),
          files(scenario_files),
          texts_(diagnostics != nullptr ? diagnostics->texts : nullptr),
          diagnostics_(diagnostics),
          observer_(diagnostics != nullptr ? diagnostics->observer : nullptr) {}

    RouteModel& model;
    const ScenarioFiles& files;

    // Where the line half read each kilometre-point break (records 81 to 83
    // before they are reordered) when its position or offset is not a
    // multiple of 50; the train half reports code 2 there.
    std::array<std::optional<Place>, 3> misplacedBreaks;

    ReadObserver* observer() const { return observer_; }
    bool keeps_geometry() const { return diagnostics_ == nullptr || diagnostics_->keepGeometry; }

    // Whether a description is there to be read.
    bool exists(const std::string& path, Source source) const;
    // Opens a description file for reading (the whole text is taken in).
    void open(const std::string& path, Source source);
    void close();
    // Closes the description file and deletes it.
    void close_and_delete();
    bool at_end() const { return stream_->at_end(); }

    // Reads the next field as text into currentField.
    const std::string& read_field();
    std::int32_t read_long() { return value_read(stream_->read_long()); }
    std::int16_t read_integer() { return value_read(stream_->read_integer()); }
    std::uint8_t read_byte() { return value_read(stream_->read_byte()); }

    // The next field to test against the keywords, outside the line's general
    // section: up to two hyphenated fields in a row are passed over. Nothing
    // when the file ends first (the last field of a file is never
    // interpreted).
    std::optional<std::string> next_keyword_candidate(Part part);
    // Tell the observer of a field passed over for its hyphen, of a field
    // before the first "[generale]", and of that header (the field read last).
    void skipped_for_hyphen(Part part);
    void prologue_field();
    void header_found();

    // Tests a keyword candidate against a table of keywords and reads the
    // values of every one it holds, in the table's order, each with its own
    // method; stops at the first method that does not return `go_on`.
    template <typename Reader, typename Outcome, std::size_t N>
    Outcome apply(Reader& reader, Part part, const std::string& field,
                  const std::array<std::pair<const Keyword*, Outcome (Reader::*)(const std::string&)>, N>& table,
                  Outcome go_on);

    FieldLocation last_location() const { return stream_->last_location(); }
    FieldSpan last_span() const { return stream_->last_span(); }
    Place place(FieldSpan at) const;
    // The place with its line copied, so that it can be shown once its file
    // is closed.
    void keep(Place& place) const;

    // Records errorCode (and errorPosition when given) with the field at
    // fault for the diagnostics.
    void fail(ErrorCode code, FieldSpan at, std::optional<std::int32_t> position = std::nullopt);
    void fail(ErrorCode code, const Place& at, std::optional<std::int32_t> position = std::nullopt);
    // The item about to be recorded: a failure without a code of its own
    // (code 25) that happens before the next field is read is its fault.
    void note_location(FieldSpan at) { item_ = place(at); }
    void note_place(const Place& at) { item_ = at; }
    void forget_item() { item_.reset(); }
    // The values of the item at fault (in file order) and, for a station,
    // its record.
    void note_item(std::vector<std::int32_t> values, int record = 0);
    // The text of a failure that became code 25; it points at the noted
    // item, else at the field read last.
    void note_fault(Fault kind, const std::string& what);

    // Told to the observer, when there is one.
    void placed(std::int64_t cell, std::uint8_t kind) {
        if (observer_ != nullptr) observer_->placed(cell, kind);
    }
    void approach_code(std::int64_t cell, std::uint8_t code) {
        if (observer_ != nullptr) observer_->approach_code(cell, code);
    }

private:
    template <typename T>
    T value_read(T value) {
        item_.reset();
        if (observer_ != nullptr && row_open_) row_values_.push_back(last_field(true, value));
        return value;
    }
    ReadField last_field(bool is_number, std::int64_t number = 0) const;
    ReadField field_of(const Place& at) const;
    std::string_view line_of(const Place& at) const;
    void begin_row(const Keyword& keyword);
    void end_row();
    void point_at(const Place& at);

    std::optional<FieldStream> stream_;
    // The texts read in place of the files, for a reading that writes nothing.
    const DescriptionTexts* texts_;
    std::string path_;
    Source source_ = Source::none;
    std::optional<Place> item_;
    ReadDiagnostics* diagnostics_;
    ReadObserver* observer_;
    // The keyword candidate and the row being read, for the observer.
    ReadField candidate_;
    const Keyword* row_keyword_ = nullptr;
    bool row_open_ = false;
    std::vector<ReadField> row_values_;
};

template <typename Reader, typename Outcome, std::size_t N>
Outcome Reading::apply(Reader& reader, Part part, const std::string& field,
                       const std::array<std::pair<const Keyword*, Outcome (Reader::*)(const std::string&)>, N>& table,
                       Outcome go_on) {
    // Each keyword is tested once, before any of them is read.
    std::array<bool, N> matches{};
    bool matched = false;
    for (std::size_t i = 0; i < N; ++i) {
        matches[i] = table[i].first->matches(field);
        matched = matched || matches[i];
    }
    if (observer_ != nullptr) {
        candidate_ = last_field(false);
        observer_->candidate(source_, part, candidate_, matched);
    }
    for (std::size_t i = 0; i < N && matched; ++i) {
        if (!matches[i]) continue;
        begin_row(*table[i].first);
        const Outcome outcome = (reader.*table[i].second)(field);
        end_row();
        if (outcome != go_on) return outcome;
    }
    return go_on;
}

}  // namespace scenario
