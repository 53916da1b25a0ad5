// What one reading told its observer that the diagnostics need: the rows
// that errors name (those that placed an item, the stations and roadside
// signs, the row a failure came in), which row placed the item each cell
// holds, and every failure. Every row and keyword candidate is handed to a
// listener as it ends, and then forgotten, so that what is kept does not
// grow with the descriptions but with the route.
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

// What stands between a field and the one before it on its line.
enum class Gap : std::uint8_t {
    comma,       // a comma, with or without blanks around it
    line_start,  // nothing: the field begins its line
    blanks,      // spaces only, no comma
    tab,         // blanks with a tab among them, no comma
};

// A field as read, with its own copy of the text. A field kept past its
// row keeps only the start of a long text: what a message shows of it.
struct RecordedField {
    FieldLocation at;
    int endColumn = 0;
    std::string text;
    std::int64_t number = 0;
    bool isNumber = false;
    bool startsLine = false;  // only blanks stand before it on its line
    bool cut = false;         // `text` is only the start of the field
    bool utf8 = true;         // when cut: whether the whole text is UTF-8
    Gap gap = Gap::comma;     // before it, as the recorder saw it

    // The most of a text a field keeps past its row.
    static constexpr std::size_t keptText = 1024;

    void assign(const ReadField& field);
    // Takes `field` with a long text cut (reusing this field's storage).
    void keep(const RecordedField& field);
    // Cuts this field's own text as keep() would.
    void cut_for_keeping();
};

struct RecordedRow {
    Source source = Source::none;
    const Keyword* keyword = nullptr;
    RecordedField keywordField;
    std::vector<RecordedField> values;
    bool complete = false;  // ended without a fault inside it
};

// Takes `row` into `kept` with its long texts cut; only its first `values`
// values when fewer are needed.
void keep_row(RecordedRow& kept, const RecordedRow& row, std::size_t values = SIZE_MAX);

struct RecordedCandidate {
    Source source = Source::none;
    Part part = Part::prologue;
    RecordedField field;
    bool matched = false;
    bool hyphenSkipped = false;  // passed over for its hyphen, never tested
};

// Told of every row when it ends and of every keyword candidate, in the
// order of the files; what it is handed is valid during the call only.
class RowListener {
public:
    virtual ~RowListener() = default;
    virtual void row(const RecordedRow& row) = 0;
    virtual void candidate(const RecordedCandidate& candidate) = 0;
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
    RecordedField field;
    std::optional<std::int32_t> position;
    int row = -1;  // the row being read, if any
};

struct RecordedFault {
    Fault kind = Fault::other;
    std::string what;
    Source source = Source::none;
    RecordedField field;
    int row = -1;
};

struct RecordedPassFailure {
    ErrorCode code = ErrorCode::none;
    std::int64_t cell = 0;
    std::int64_t cause = 0;
};

class Recorder : public ReadObserver {
public:
    // The listener, when given, is told of rows and candidates while a
    // reading is recorded; the recorder never owns it.
    explicit Recorder(RowListener* listener = nullptr) : listener_(listener) {}

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

    // Keep every row, not only those the errors name (to draw every item
    // with the row it comes from). Set before the reading.
    bool keepEveryRow = false;

    // The rows kept, in file order; a row's number is its index here.
    std::vector<RecordedRow> rows;
    // The last row of each kilometre-point break (break_tre, break_due,
    // break_uno): the one whose values stand.
    std::array<std::optional<RecordedRow>, 3> lastBreaks;
    // The last route length row of the general section: the one that stands.
    std::optional<RecordedRow> routeLength;
    // The first field before the line description's "[generale]" that is
    // nearly that header.
    std::optional<RecordedField> nearHeader;
    std::vector<RecordedFailure> failures;
    std::optional<RecordedFault> faulted;
    std::vector<RecordedPassFailure> passFailures;
    // Indexed by Source.
    std::array<bool, 3> opened_{};
    std::array<bool, 3> headerFound{};
    std::array<RecordedField, 3> headers;  // where each "[generale]" stands
    std::array<std::size_t, 3> textSize{};

    // Who placed what a cell holds; nothing for a cell no item was put in.
    const CellOwner* owner(std::int64_t cell) const;
    // The row that wrote a cell's approach code last.
    std::optional<int> approach_owner(std::int64_t cell) const;
    // The row a cell's item comes from in the end: for a mark of the pass,
    // the row of the item it was placed for.
    std::optional<int> source_row(std::int64_t cell) const;

private:
    void end_row(bool ended);
    // The row being read: its number once kept, and whether it must be.
    int current_row() const { return row_open_ ? static_cast<int>(rows.size()) : -1; }
    void keep_current() { keep_ = row_open_ || keep_; }

    // What stands before `field` on its line, in the text being read.
    Gap gap_before(Source source, const ReadField& field) const;

    RowListener* listener_;
    std::array<std::string_view, 3> texts_{};  // the texts being read, by Source
    RecordedRow current_;
    bool row_open_ = false;
    bool keep_ = false;
    RecordedCandidate candidate_;
    // By cell. Few cells of a route hold an item, so only those are kept: a
    // table with a place for every cell of a long route cost a check more
    // time in fresh pages than the whole reading. Approach codes fill whole
    // stretches, and a row number per cell is small.
    std::unordered_map<std::int64_t, CellOwner> owners_;
    std::vector<int> approachOwners_;  // -1: none
};

inline std::size_t index_of(Source source) { return static_cast<std::size_t>(source); }

}  // namespace scenario::tool
