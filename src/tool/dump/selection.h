// Which rows a dump shows: a stretch of the route in metres or in kilometre
// readings, kinds of item, and every Nth row of those.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/route_model.h"

namespace scenario::tool {

// One kilometre-point break: from `position` onward the kilometre reading is
// the position plus `offset` metres.
struct KilometreBreak {
    std::int64_t position = 0;
    std::int64_t offset = 0;
};
// The three breaks of records 83, 82 and 81, in that order.
using KilometreBreaks = std::array<KilometreBreak, 3>;

KilometreBreaks kilometre_breaks(const ScenarioRecord& uno, const ScenarioRecord& due, const ScenarioRecord& tre);
// The kilometre reading of a route position, in metres: the offset of the
// break with the greatest position at or before it applies (the first of
// equal ones); before every break the reading is the position.
std::int64_t kilometre_reading(const KilometreBreaks& breaks, std::int64_t position);
// "128.450"
std::string kilometres_text(std::int64_t metres);

// A stretch of the route, both ends included (metres).
struct Stretch {
    std::int64_t from = 0;
    std::int64_t to = 0;
};

// One end of a range as the author wrote it: "500000" or "500000m" are
// metres, "92.5km" a kilometre reading.
struct RangeEnd {
    std::int64_t metres = 0;
    bool reading = false;
};
// Throws UsageError naming `option` when the text is neither.
RangeEnd parse_range_end(const std::string& text, const std::string& option);

// The route positions whose kilometre reading lies from `from` to `to`
// (metres of reading): where breaks repeat or skip readings, one stretch
// per piece of the route.
std::vector<Stretch> positions_reading(const KilometreBreaks& breaks, std::int64_t from, std::int64_t to);

class Selection {
public:
    // Everything.
    Selection() = default;
    // The stretches selected by --from and --to (either may be empty); a
    // kilometre reading needs the breaks, and is a UsageError without them.
    static std::vector<Stretch> stretches(const std::string& from, const std::string& to,
                                          const std::optional<KilometreBreaks>& breaks);
    // True when either end is a kilometre reading.
    static bool needs_breaks(const std::string& from, const std::string& to);

    void limit_to(std::vector<Stretch> stretches) {
        stretches_ = std::move(stretches);
        ranged_ = true;
    }
    void keep_every(std::size_t n) { every_ = n == 0 ? 1 : n; }

    bool ranged() const { return ranged_; }
    const std::vector<Stretch>& stretches() const { return stretches_; }
    // True when [from, to] meets a selected stretch (always, without a range).
    bool meets(std::int64_t from, std::int64_t to) const;
    // Counts a row that passed every other test: true for the first and then
    // every Nth.
    bool take() { return taken_++ % every_ == 0; }

private:
    bool ranged_ = false;
    std::vector<Stretch> stretches_;
    std::size_t every_ = 1;
    std::size_t taken_ = 0;
};

// A kind name as the author may write it: letter case, hyphens and
// underscores do not matter ("speed-limit_Board" is "speed-limit board").
std::string normal_kind(const std::string& name);

}  // namespace scenario::tool
