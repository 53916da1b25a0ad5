// Warnings: what the reader accepts but an author almost never means. Each
// says what will be stored instead; none changes what is read or written.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tool/diagnostics/catalogue.h"
#include "tool/diagnostics/recorder.h"
#include "tool/diagnostics/shown_warnings.h"

namespace scenario::tool {

// The warnings of one reading about single rows and fields, and about rows
// of a keyword compared with each other (rows out of order, overlapping
// curves), found as the reading goes: a recorder tells each row and keyword
// candidate, and only the warnings, the first row of each profile and the
// last row of each keyword stay.
class RowWarnings : public RowListener {
public:
    explicit RowWarnings(std::set<std::string> silenced = {}) : found_(std::move(silenced)) {}

    void row(const RecordedRow& row) override;
    void candidate(const RecordedCandidate& candidate) override;

    // The warnings found (their points name no file yet), in their order.
    std::vector<FoundWarning> found() const { return found_.list(); }
    // Whether some were left out for the bounds of ShownWarnings.
    bool cut() const { return found_.cut(); }
    // The first row of a keyword that reads a position.
    const RecordedRow* first_row(const Keyword& keyword) const;

private:
    // The fields after a complete row's last value on its line, as they
    // come: a decimal comma's fraction, or values that are ignored.
    struct Trailing {
        Source source = Source::none;
        const Keyword* keyword = nullptr;
        std::size_t valueCount = 0;
        RecordedField last;
        std::size_t row = 0;
        bool first = true;
    };

    // The warning of `kind` at `point`, its words (a message, or a function
    // filling in the diagnostic) made only when it can be kept; no kind
    // when the words tell it.
    template <typename Words>
    void add(Source source, SourcePoint point, const DiagnosticKind* kind, int group, std::size_t index, int phase,
             Words&& words);
    // A warning of the values of the row read last.
    template <typename Words>
    void value_warning(Source source, SourcePoint point, const DiagnosticKind& kind, Words&& words);
    void trailing_field(const RecordedCandidate& c);
    void value_rules(const RecordedRow& r);
    void span_rule(const RecordedRow& r);
    void tab_rule(const RecordedRow& r);
    void signal_rules(const RecordedRow& r);
    void board_rules(const RecordedRow& r);
    void truncated(const RecordedRow& r, std::size_t index, std::int64_t stored, const std::string& how);
    void text_rule(const RecordedRow& r, std::size_t index);
    void keyword_rows(const RecordedRow& r);
    void stray_item(const RecordedCandidate& c, std::size_t index);

    ShownWarnings found_;
    std::size_t rows_ = 0;
    std::size_t candidates_ = 0;
    std::size_t count_ = 0;  // warnings found, in order
    std::optional<Trailing> trailing_;
    std::map<const Keyword*, RecordedRow> first_;
    std::map<const Keyword*, RecordedRow> last_;
    // The general section: the last field that looks like the header meant
    // to end it, and whether an item row in it was told of.
    std::optional<RecordedField> headerLike_;
    bool strayTold_ = false;
};

// The warnings about a profile or a description as a whole: a first line
// speed or adhesion row not at 0, no such row at all, no train header. True
// of a reading only when it reached the end of the train description.
std::vector<FoundWarning> profile_warnings(const Recorder& recorder, const RowWarnings& rows);

// Whether a reading went through the whole train description.
bool read_whole_train(const Recorder& recorder);

}  // namespace scenario::tool
