#include "reader/track_builder.h"

#include <gtest/gtest.h>

#include <string>

#include "model/read_fault.h"

namespace scenario {
namespace {

// Builds on a table of metres 0 to 10, keeping values or only its bounds.
struct Built {
    explicit Built(bool keeps_values) {
        if (keeps_values) {
            track.create(10);
        } else {
            track.create_bounds_only(10);
        }
        builder.start();
    }
    Track track;
    TrackBuilder builder{track};
};

// Runs that reach past the table build every metre inside it and then fail
// at the first metre outside, whether or not the table keeps its values.
TEST(TrackBuilder, RunsStopAtTheEndOfTheTable) {
    struct Case {
        const char* name;
        bool curved;
        std::int64_t last;
    };
    const Case cases[] = {{"straight", false, 11}, {"curved", true, 11}, {"far beyond", false, 1000000}};
    for (bool keeps_values : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (keeps_values ? "" : ", bounds only"));
            Built b(keeps_values);
            std::string message;
            try {
                c.curved ? b.builder.curve_to(c.last, 0.001) : b.builder.straight_to(c.last);
            } catch (const ReadFault& fault) {
                EXPECT_EQ(fault.kind(), Fault::metre_outside_geometry);
                message = fault.what();
            }
            EXPECT_EQ(message, "plan geometry metre 11 is outside metres 0 to 10");
            EXPECT_EQ(b.builder.next_metre(), 11);
            const TrackTag built = keeps_values ? TrackTag::real : TrackTag::empty;
            EXPECT_EQ(b.track.at(2, Track::y).tag, built);
            EXPECT_EQ(b.track.at(10, Track::x).tag, built);
        }
    }
}

TEST(TrackBuilder, ARunBehindTheNextMetreBuildsNothing) {
    Built b(true);
    b.builder.straight_to(5);
    b.builder.curve_to(5, 0.003);
    b.builder.straight_to(-40);
    EXPECT_EQ(b.builder.next_metre(), 6);
    EXPECT_EQ(b.track.at(5, Track::y), (TrackValue{TrackTag::real, 5}));
    EXPECT_EQ(b.track.at(6, Track::y).tag, TrackTag::empty);
}

// A curve turns the heading by k a metre from where the last run left it:
// runs split anywhere give the same points as one run.
TEST(TrackBuilder, RunsCarryThePointsOver) {
    Built one(true);
    one.builder.straight_to(4);
    one.builder.curve_to(8, 0.001);
    one.builder.straight_to(10);

    Built split(true);
    for (std::int64_t last : {2, 3, 4}) split.builder.straight_to(last);
    split.builder.curve_to(5, 0.001);
    split.builder.curve_to(8, 0.001);
    split.builder.straight_to(9);
    split.builder.straight_to(10);

    EXPECT_EQ(one.track.at(4, Track::x), (TrackValue{TrackTag::real, 0}));
    EXPECT_DOUBLE_EQ(one.track.number(5, Track::x), 0.001);  // the first curved step
    EXPECT_DOUBLE_EQ(one.track.number(5, Track::y), 5);
    EXPECT_DOUBLE_EQ(one.track.number(6, Track::x), 0.003);
    EXPECT_DOUBLE_EQ(one.track.number(6, Track::y), 5.999999);
    for (std::int64_t m = 0; m <= 10; ++m) {
        for (int coordinate : {Track::x, Track::y}) {
            EXPECT_EQ(split.track.at(m, coordinate), one.track.at(m, coordinate)) << m << " " << coordinate;
        }
    }
}

}  // namespace
}  // namespace scenario
