// Kilometre readings: which break applies where, how an author's range ends
// are read, and which route positions a range of readings covers.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "tool/base/compaction.h"
#include "tool/base/kilometres.h"

namespace scenario::tool {
namespace {

using Span = std::pair<std::int64_t, std::int64_t>;

std::vector<Span> spans(const std::vector<Stretch>& stretches) {
    std::vector<Span> out;
    out.reserve(stretches.size());
    for (const Stretch& s : stretches) out.emplace_back(s.from, s.to);
    return out;
}

TEST(ReadingAt, TheLatestBreakAtOrBeforeThePositionApplies) {
    // Written out of order, with two breaks at the same place.
    const KilometreBreaks breaks{{5000, 100000}, {2000, 50000}, {5000, -3000}};
    struct Case {
        std::int64_t position;
        std::int64_t reading;
    } const cases[] = {
        // Before every break the reading is the position.
        {-10, -10},
        {0, 0},
        {1999, 1999},
        // A break applies from its own position on.
        {2000, 52000},
        {4999, 54999},
        // Of two breaks at one place, the first.
        {5000, 105000},
    };
    for (const Case& c : cases) EXPECT_EQ(reading_at(breaks, c.position), c.reading) << c.position;
    EXPECT_EQ(reading_at({}, 1234), 1234);
}

TEST(ReadingText, KilometresWithThreeDecimals) {
    struct Case {
        std::int64_t metres;
        const char* text;
    } const cases[] = {
        {128450, "128.450"}, {0, "0.000"},          {7, "0.007"},
        {-500, "-0.500"},    {-128450, "-128.450"}, {std::numeric_limits<std::int64_t>::min(), "-9223372036854775.808"},
    };
    for (const Case& c : cases) EXPECT_EQ(reading_text(c.metres), c.text) << c.metres;
}

TEST(ParseRangeEnd, MetresOrAKilometreReading) {
    struct Case {
        const char* text;
        std::int64_t metres;
        bool reading;
    } const cases[] = {
        {"500000", 500000, false}, {"500000m", 500000, false}, {"500000 M", 500000, false}, {"92.5km", 92500, true},
        {"92.5KM", 92500, true},   {"92km", 92000, true},      {"92.125km", 92125, true},   {"0.007km", 7, true},
        {"-1.5km", -1500, true},   {"-20", -20, false},
    };
    for (const Case& c : cases) {
        const RangeEnd end = parse_range_end(c.text, "--from");
        EXPECT_EQ(end.metres, c.metres) << c.text;
        EXPECT_EQ(end.reading, c.reading) << c.text;
    }
}

TEST(ParseRangeEnd, AnythingElseNamesTheOptionAndTheText) {
    for (const char* text : {"", "km", "m", "-", "92.5", "92.5m", "92.1234km", "1e3", "12 34", "abc", "9km9", "+5",
                             "99999999999999999999km", "99999999999999999999"}) {
        try {
            parse_range_end(text, "--to");
            ADD_FAILURE() << "'" << text << "' was taken";
        } catch (const UsageError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("--to '") + text +
                                                 "' is neither metres (500000 or 500000m) nor a kilometre "
                                                 "reading (92.5km)");
        }
    }
}

TEST(PositionsReading, OneStretchForEachPieceOfTheRouteThatReadsInTheRange) {
    struct Case {
        const char* what;
        KilometreBreaks breaks;
        std::int64_t from;
        std::int64_t to;
        std::vector<Span> stretches;
    } const cases[] = {
        {"no breaks: the range itself", {}, 100, 200, {{100, 200}}},
        {"one offset throughout", {{0, 1000}}, 1100, 1200, {{100, 200}}},
        // Pieces that touch come out as one.
        {"a range reaching before the first break", {{1000, 5000}}, 500, 6500, {{500, 1500}}},
        // From 2000 the readings start again at 1000: 1000 to 1999 reads twice.
        {"readings repeated", {{2000, -1000}}, 1500, 1600, {{1500, 1600}, {2500, 2600}}},
        // From 2000 the readings jump ahead by 5000: nothing reads 3000 to 6999.
        {"readings skipped", {{2000, 5000}}, 3000, 6999, {}},
        {"a range across a skip", {{2000, 5000}}, 1500, 7500, {{1500, 2500}}},
        {"a break that changes nothing", {{2000, 0}}, 1500, 2500, {{1500, 2500}}},
        {"an empty range", {}, 200, 100, {}},
    };
    for (const Case& c : cases) {
        const std::vector<Stretch> got = positions_reading(c.breaks, c.from, c.to);
        EXPECT_EQ(spans(got), c.stretches) << c.what;
        // Both ends of every stretch read inside the range.
        for (const Stretch& s : got) {
            for (std::int64_t p : {s.from, s.to}) {
                const std::int64_t r = reading_at(c.breaks, p);
                EXPECT_TRUE(r >= c.from && r <= c.to) << c.what << ": " << p << " reads " << r;
            }
        }
    }
}

}  // namespace
}  // namespace scenario::tool
