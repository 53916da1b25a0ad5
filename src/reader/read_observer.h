// What the reading, the recorders and the completion pass do, field by field
// and cell by cell, told to an observer as it happens: an author's tools
// build their diagnostics from it. The run itself has no observer; nothing
// here changes what is read, placed or written.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "description/field_stream.h"
#include "model/error_codes.h"
#include "model/read_fault.h"

namespace scenario {

struct Keyword;

// Which description a field comes from.
enum class Source { none, line_description, train_description };

// Where in the descriptions the reader is.
enum class Part {
    prologue,      // before the first "[generale]"
    line_general,  // the line description's general section
    line_items,    // the line description after its general section
    train,         // the train description after its "[generale]"
};

// A field as read: where it begins and ends on its line (1-based byte
// columns, the end just past its last character), its text as written and,
// for a number, its value. The text is the reading's own: it is valid only
// during the call that tells of the field.
struct ReadField {
    FieldLocation at;
    int endColumn = 0;
    std::string_view text;
    std::int64_t number = 0;
    bool isNumber = false;
    bool startsLine = false;  // only blanks stand before it on its line
};

class ReadObserver {
public:
    virtual ~ReadObserver() = default;

    // A description file was opened: its whole text, as read (valid until
    // the reading of it ends).
    virtual void opened(Source, std::string_view /*text*/) {}
    // The field that starts the reading ("[generale]").
    virtual void header(Source, const ReadField&) {}
    // A field tested against the keywords of a part, and whether any matched.
    virtual void candidate(Source, Part, const ReadField&, bool /*matched*/) {}
    // A keyword candidate passed over because it holds a hyphen.
    virtual void hyphen_skipped(Source, Part, const ReadField&) {}
    // A keyword recognised in a field: its row begins. Every item placed
    // and every failure until the row ends belongs to it.
    virtual void row_started(Source, const Keyword&, const ReadField& /*keyword*/) {}
    // The row ended: the values read after its keyword, in order (all of
    // them; fewer when the reading failed or stopped inside the row).
    virtual void row(Source, const Keyword&, const ReadField& /*keyword*/, std::span<const ReadField> /*values*/) {}
    // The reading of a description ended: at its end, or where a failure
    // stopped it.
    virtual void ended(Source) {}

    // An item put into a route cell, its kind as stored (a station's stop,
    // a sign, boards, signal and slowdown cells, mountain markers,
    // restriction marks). By the row being read, or, from the completion
    // pass, because of the item in cell `cause`.
    virtual void placed(std::int64_t /*cell*/, std::uint8_t /*kind*/) {}
    virtual void approach_code(std::int64_t /*cell*/, std::uint8_t /*code*/) {}
    virtual void pass_mark(std::int64_t /*cell*/, std::int64_t /*cause*/) {}

    // The reader recorded an error code at a field of a description (the
    // field is where the code belongs; `position` when it sets
    // errorPosition).
    virtual void failed(ErrorCode, Source, const ReadField&, const std::int32_t* /*position*/) {}
    // A failure without a code of its own (code 25), at the field blamed;
    // it belongs to the row being read, if any.
    virtual void fault(Fault, const std::string& /*what*/, Source, const ReadField&) {}
    // The completion pass could not place a mark: the code, the cell it
    // names (errorPosition / 50) and the cell of the item the mark was for.
    virtual void pass_failed(ErrorCode, std::int64_t /*cell*/, std::int64_t /*cause*/) {}
};

}  // namespace scenario
