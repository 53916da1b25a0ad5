#include "model/rounding.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    struct Case {
        double value;
        double rounded;
    };
    const Case cases[] = {
        {140.5, 140},  // (25 + 7000) / 50: the cell count of a 25 m route
        {3950.0 / 50, 79},
        {3975.0 / 50, 80},        // 79.5
        {3950.0 / 50 + 1, 80},    // a point item at 3950 m
        {10960.0 / 50 + 1, 220},  // 220.2
        {8.5, 8},
        {9.5, 10},
        {7.5, 8},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {0.49999999999999994, 0},
        {19.4, 19},
    };
    for (const Case& c : cases) EXPECT_EQ(round_half_even(c.value), c.rounded) << c.value;
}

TEST(RoundHalfEven, ToInt32RefusesWhatDoesNotFit) {
    EXPECT_EQ(rounded_to_int32(2147483647.4), 2147483647);
    EXPECT_FALSE(rounded_to_int32(2147483647.6).has_value());
    EXPECT_EQ(rounded_to_int32(-2147483648.0), -2147483647 - 1);
    EXPECT_FALSE(rounded_to_int32(-2147483649.0).has_value());
    EXPECT_FALSE(rounded_to_int32(std::numeric_limits<double>::quiet_NaN()).has_value());
}

}  // namespace
}  // namespace scenario
