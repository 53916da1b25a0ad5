// Which rows a dump shows: a stretch of the route in metres or in kilometre
// readings, kinds of item, and every Nth row of those.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/route_model.h"
#include "tool/base/kilometres.h"

namespace scenario::tool {

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
