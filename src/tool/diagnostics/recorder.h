// Everything one reading told its observer, kept for the diagnostics: the
// rows read with their values, the keyword candidates, the fields passed
// over, which row placed the item each cell holds, and every failure.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "reader/keywords.h"
#include "reader/read_observer.h"

namespace scenario::tool {

struct RecordedRow {
    Source source = Source::none;
    const Keyword* keyword = nullptr;
    ReadField keywordField;
    std::vector<ReadField> values;
    bool complete = false;  // ended without a fault inside it
};

struct RecordedCandidate {
    Source source = Source::none;
    Part part = Part::prologue;
    ReadField field;
    bool matched = false;
    bool hyphenSkipped = false;  // passed over for its hyphen, never tested
};

// Who put the item a cell holds: the row being read (directly, or as a
// derived item such as a slowdown's warning board or a mountain marker),
// or the completion pass on behalf of the item in another cell.
struct CellOwner {
    int row = -1;
    std::uint8_t kind = 0;
    std::optional<std::int64_t> passCause;
};

struct RecordedFailure {
    ErrorCode code = ErrorCode::none;
    Source source = Source::none;
    ReadField field;
    std::optional<std::int32_t> position;
    int row = -1;  // the row being read, if any
};

struct RecordedFault {
    Fault kind = Fault::other;
    std::string what;
    Source source = Source::none;
    ReadField field;
    int row = -1;
};

struct RecordedPassFailure {
    ErrorCode code = ErrorCode::none;
    std::int64_t cell = 0;
    std::int64_t cause = 0;
};

class Recorder : public ReadObserver {
public:
    void opened(Source source, std::string_view text) override;
    void header(Source source, const ReadField& field) override;
    void candidate(Source source, Part part, const ReadField& field, bool matched) override;
    void hyphen_skipped(Source source, Part part, const ReadField& field) override;
    void row_started(Source source, const Keyword& keyword, const ReadField& field) override;
    void row(Source source, const Keyword& keyword, const ReadField& field, std::span<const ReadField> values) override;
    void ended(Source source) override;
    void placed(std::int64_t cell, std::uint8_t kind) override;
    void approach_code(std::int64_t cell, std::uint8_t code) override;
    void pass_mark(std::int64_t cell, std::int64_t cause) override;
    void failed(ErrorCode code, Source source, const ReadField& field, const std::int32_t* position) override;
    void fault(Fault kind, const std::string& what, Source source, const ReadField& field) override;
    void pass_failed(ErrorCode code, std::int64_t cell, std::int64_t cause) override;

    std::vector<RecordedRow> rows;
    std::vector<RecordedCandidate> candidates;
    std::vector<RecordedFailure> failures;
    std::optional<RecordedFault> faulted;
    std::vector<RecordedPassFailure> passFailures;
    // Indexed by Source.
    std::array<bool, 3> opened_{};
    std::array<bool, 3> headerFound{};
    std::array<ReadField, 3> headers;  // where each "[generale]" stands
    std::array<std::size_t, 3> textSize{};

    // Who placed what a cell holds; nothing for a cell no item was put in.
    const CellOwner* owner(std::int64_t cell) const;
    // The row that wrote a cell's approach code last.
    std::optional<int> approach_owner(std::int64_t cell) const;
    // The row a cell's item comes from in the end: for a mark of the pass,
    // the row of the item it was placed for.
    std::optional<int> source_row(std::int64_t cell) const;

private:
    int current_row_ = -1;
    std::unordered_map<std::int64_t, CellOwner> owners_;
    std::unordered_map<std::int64_t, int> approach_owners_;
};

inline std::size_t index_of(Source source) { return static_cast<std::size_t>(source); }

}  // namespace scenario::tool
