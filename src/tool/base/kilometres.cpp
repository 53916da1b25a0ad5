#include "tool/base/kilometres.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>

#include "tool/base/compaction.h"

namespace scenario::tool {

namespace {

// Far beyond any route and any reading, and far from overflowing.
constexpr std::int64_t unbounded = std::int64_t{1} << 52;

std::vector<Stretch> merged(std::vector<Stretch> stretches) {
    std::sort(stretches.begin(), stretches.end(), [](const Stretch& a, const Stretch& b) { return a.from < b.from; });
    std::vector<Stretch> out;
    for (const Stretch& s : stretches) {
        if (!out.empty() && s.from <= out.back().to + 1) {
            out.back().to = std::max(out.back().to, s.to);
        } else {
            out.push_back(s);
        }
    }
    return out;
}

}  // namespace

KilometreBreaks kilometre_breaks(const ScenarioRecord& uno, const ScenarioRecord& due, const ScenarioRecord& tre) {
    return {{uno.long1, uno.long2}, {due.long1, due.long2}, {tre.long1, tre.long2}};
}

KilometreBreaks kilometre_breaks(const RouteModel& model) {
    const auto record = [&model](int index) -> const ScenarioRecord& {
        return model.records[static_cast<std::size_t>(index)];
    };
    return kilometre_breaks(record(record_index::break_uno), record(record_index::break_due),
                            record(record_index::break_tre));
}

std::int64_t kilometre_reading(const RouteModel& model, std::int64_t position) {
    return reading_at(kilometre_breaks(model), position);
}

std::int64_t reading_at(const KilometreBreaks& breaks, std::int64_t position) {
    std::optional<std::int64_t> from;
    std::int64_t offset = 0;
    for (const KilometreBreak& b : breaks) {
        if (b.at <= position && (!from || b.at > *from)) {
            from = b.at;
            offset = b.offset;
        }
    }
    return position + offset;
}

std::string reading_text(std::int64_t metres) {
    const bool negative = metres < 0;
    const std::uint64_t m = negative ? 0 - static_cast<std::uint64_t>(metres) : static_cast<std::uint64_t>(metres);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s%llu.%03llu", negative ? "-" : "",
                  static_cast<unsigned long long>(m / 1000), static_cast<unsigned long long>(m % 1000));
    return buffer;
}

RangeEnd parse_range_end(const std::string& text, const std::string& option) {
    auto wrong = [&]() {
        return UsageError(option + " '" + text +
                          "' is neither metres (500000 or 500000m) nor a kilometre reading (92.5km)");
    };
    std::string number = text;
    bool reading = false;
    auto ends_with = [&](const char* suffix) {
        const std::string s(suffix);
        if (number.size() < s.size()) return false;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(number[number.size() - s.size() + i])) != s[i]) return false;
        }
        return true;
    };
    if (ends_with("km")) {
        reading = true;
        number.resize(number.size() - 2);
    } else if (ends_with("m")) {
        number.resize(number.size() - 1);
    }
    while (!number.empty() && number.back() == ' ') number.pop_back();

    std::size_t at = 0;
    const bool negative = !number.empty() && number[0] == '-';
    if (negative) ++at;
    std::int64_t whole = 0;
    std::size_t digits = 0;
    for (; at < number.size() && std::isdigit(static_cast<unsigned char>(number[at])); ++at, ++digits) {
        whole = whole * 10 + (number[at] - '0');
        if (whole > unbounded / 1000) throw wrong();
    }
    if (digits == 0) throw wrong();
    std::int64_t metres = reading ? whole * 1000 : whole;
    if (at < number.size() && number[at] == '.' && reading) {
        // Kilometres carry at most three decimals: one metre.
        std::int64_t scale = 100;
        for (++at; at < number.size() && std::isdigit(static_cast<unsigned char>(number[at])); ++at) {
            if (scale == 0) throw wrong();
            metres += (number[at] - '0') * scale;
            scale /= 10;
        }
    }
    if (at != number.size()) throw wrong();
    return {negative ? -metres : metres, reading};
}

std::vector<Stretch> positions_reading(const KilometreBreaks& breaks, std::int64_t from, std::int64_t to) {
    // The route falls into pieces at the breaks; within a piece the reading
    // is the position plus one offset.
    std::vector<std::int64_t> starts{-unbounded};
    for (const KilometreBreak& b : breaks) starts.push_back(b.at);
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    std::vector<Stretch> stretches;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::int64_t start = starts[i];
        const std::int64_t end = i + 1 < starts.size() ? starts[i + 1] - 1 : unbounded;
        const std::int64_t offset = reading_at(breaks, start) - start;
        const Stretch s{std::max(start, from - offset), std::min(end, to - offset)};
        if (s.from <= s.to) stretches.push_back(s);
    }
    return merged(std::move(stretches));
}

}  // namespace scenario::tool
