// The warnings a check shows: each once, in the order shown, and a bounded
// number of them, so that descriptions written to flood the report cost no
// more than their own size.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "reader/read_observer.h"
#include "tool/diagnostics/diagnostic.h"

namespace scenario::tool {

// The order in which warnings are shown (file, line, column) and, for those
// at one field, the order in which they were found.
struct WarningOrder {
    int file = 0;  // 0: the line description, 1: the train description
    int line = 0;
    int column = 0;
    int run = 0;            // the reading that found it: 0 for the first
    int group = 0;          // rows, keyword candidates, rows of a keyword, profiles
    std::size_t index = 0;  // the row or candidate, in the order read
    int phase = 0;          // within a row, the rule
    std::size_t count = 0;  // within a rule, the order found

    bool operator<(const WarningOrder& o) const {
        return std::tie(file, line, column, run, group, index, phase, count) <
               std::tie(o.file, o.line, o.column, o.run, o.group, o.index, o.phase, o.count);
    }
    bool operator==(const WarningOrder&) const = default;
};

// The groups of WarningOrder, in the order their warnings are told.
namespace warning_group {
inline constexpr int rows = 0;
inline constexpr int candidates = 1;
inline constexpr int keyword_rows = 2;
inline constexpr int profiles = 3;
}  // namespace warning_group

struct FoundWarning {
    Source source = Source::none;  // the file the warning and its notes point into
    Diagnostic diagnostic;
    WarningOrder order;
};

// The warnings shown are the first ones in their order: at most `most` in
// all and `mostOnALine` on one line of a file. One found again (the same
// name, place and message) is kept once, where it was found first.
class ShownWarnings {
public:
    static constexpr std::size_t most = 1000;
    static constexpr std::size_t mostOnALine = 20;

    explicit ShownWarnings(std::set<std::string> silenced = {}) : silenced_(std::move(silenced)) {}

    void add(FoundWarning warning);
    // Whether a warning `name` found at `order` could be kept; when not
    // (and it is not silenced), the warnings are cut. What it would say
    // need not be put in words otherwise. An empty name: not known yet.
    bool room_for(const WarningOrder& order, std::string_view name);
    // Whether warnings were left out for the bounds.
    bool cut() const { return cut_; }
    // Those kept, in their order.
    std::vector<FoundWarning> take();
    std::vector<FoundWarning> list() const;

private:
    using Kept = std::map<WarningOrder, FoundWarning>;
    using Same = std::tuple<std::string, int, int, int, std::string>;
    static Same same_of(const FoundWarning& warning);
    void drop(Kept::iterator it);

    std::set<std::string> silenced_;
    Kept kept_;
    std::map<Same, WarningOrder> seen_;
    std::map<std::pair<int, int>, std::size_t> onLine_;
    bool cut_ = false;
};

}  // namespace scenario::tool
