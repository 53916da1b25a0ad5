#include "tool/binary/selection.h"

#include <algorithm>
#include <cctype>

#include "tool/base/compaction.h"

namespace scenario::tool {

namespace {

// Far beyond any route and any reading, and far from overflowing.
constexpr std::int64_t unbounded = std::int64_t{1} << 52;

}  // namespace

bool Selection::needs_breaks(const std::string& from, const std::string& to) {
    return (!from.empty() && parse_range_end(from, "--from").reading) ||
           (!to.empty() && parse_range_end(to, "--to").reading);
}

std::vector<Stretch> Selection::stretches(const std::string& from, const std::string& to,
                                          const std::optional<KilometreBreaks>& breaks) {
    RangeEnd low{-unbounded, false};
    RangeEnd high{unbounded, false};
    if (!from.empty()) low = parse_range_end(from, "--from");
    if (!to.empty()) high = parse_range_end(to, "--to");
    if (!from.empty() && !to.empty() && low.reading != high.reading) {
        throw UsageError("--from and --to must both be metres or both kilometre readings");
    }
    if (low.metres > high.metres) throw UsageError("--from " + from + " lies beyond --to " + to);
    if (!low.reading && !high.reading) return {{low.metres, high.metres}};
    if (!breaks) throw UsageError("a kilometre reading needs the kilometre-point breaks of the scenario records");
    return positions_reading(*breaks, low.metres, high.metres);
}

bool Selection::meets(std::int64_t from, std::int64_t to) const {
    if (!ranged_) return true;
    return std::any_of(stretches_.begin(), stretches_.end(),
                       [&](const Stretch& s) { return from <= s.to && to >= s.from; });
}

std::string normal_kind(const std::string& name) {
    std::string normal;
    for (char c : name) {
        normal += c == '-' || c == '_' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return normal;
}

}  // namespace scenario::tool
