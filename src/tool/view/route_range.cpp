#include "tool/view/route_range.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <set>

#include "tool/compaction.h"

namespace scenario::tool {

namespace {

bool ends_with(const std::string& s, const std::string& ending) {
    return s.size() >= ending.size() && s.compare(s.size() - ending.size(), ending.size(), ending) == 0;
}

std::optional<double> number(const std::string& text) {
    if (text.empty() || text.size() > 32) return std::nullopt;
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

std::int64_t route_position(const std::string& text, const RouteData& route, const std::string& option) {
    const bool kilometres = ends_with(text, "km");
    std::string digits = text;
    if (kilometres) {
        digits.resize(text.size() - 2);
    } else if (ends_with(text, "m")) {
        digits.resize(text.size() - 1);
    }
    const std::optional<double> value = number(digits);
    const double limit = 1e9;
    if (!value || std::abs(*value) > limit) {
        throw UsageError(option + " '" + text + "' is neither metres (12500, 12500m) nor a kilometre reading (12.5km)");
    }
    if (!kilometres) return static_cast<std::int64_t>(std::llround(*value));

    // The stretches between the breaks, each with its own offset.
    const auto reading = static_cast<std::int64_t>(std::llround(*value * 1000));
    std::set<std::int64_t> bounds{0};
    for (const KilometreBreak& b : route.breaks) {
        if (b.at > 0 && b.at < route.extent) bounds.insert(b.at);
    }
    for (auto it = bounds.begin(); it != bounds.end(); ++it) {
        const std::int64_t from = *it;
        const std::int64_t to = std::next(it) == bounds.end() ? route.extent : *std::next(it) - 1;
        const std::int64_t position = reading - (reading_at(route.breaks, from) - from);
        if (position >= from && position <= to) return position;
    }
    throw UsageError(option + " '" + text + "': no place on the route has the kilometre reading " +
                     reading_text(reading));
}

}  // namespace scenario::tool
