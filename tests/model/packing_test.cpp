// Every packed field at its edges: what is stored (wrapped, rounded or
// refused as the reader does) and how it reads back.
#include "model/packing.h"

#include <gtest/gtest.h>

#include <limits>

namespace scenario {
namespace {

// The ReadFault message of a pack, or "" when it stores.
template <typename Pack>
std::string fault_of(Pack pack) {
    try {
        pack();
    } catch (const ReadFault& fault) {
        return fault.what();
    }
    return "";
}

TEST(Packing, WidthsKeepTheLowBits) {
    struct Case {
        std::int64_t value;
        std::int16_t low16;
        std::uint8_t low8;
    };
    const Case cases[] = {
        {0, 0, 0},           {255, 255, 255},      {256, 256, 0},      {32767, 32767, 255},
        {32768, -32768, 0},  {65535, -1, 255},     {65536, 0, 0},      {-1, -1, 255},
        {-32768, -32768, 0}, {-32769, 32767, 255}, {4294967297, 1, 1}, {-4294967296, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(low_16(c.value), c.low16) << c.value;
        EXPECT_EQ(low_8(c.value), c.low8) << c.value;
    }
}

TEST(Packing, GradientsAreOffsetInOneByte) {
    struct Case {
        std::int64_t perMille;
        std::uint8_t stored;
        int readBack;
    };
    const Case cases[] = {
        {0, 100, 0},    {-11, 89, -11},   {-100, 0, -100}, {155, 255, 155},
        {156, 0, -100}, {-101, 255, 155}, {200, 44, -56},  {-356, 0, -100},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pack_gradient(c.perMille), c.stored) << c.perMille;
        EXPECT_EQ(unpack_gradient(pack_gradient(c.perMille)), c.readBack) << c.perMille;
    }
}

TEST(Packing, SpeedLimitsAreFifthsRoundedInOneByte) {
    struct Case {
        std::int32_t kmh;
        int stored;  // -1: does not fit
        int readBack;
    };
    const Case cases[] = {
        {0, 0, 0},
        {125, 25, 125},
        {155, 31, 155},
        {127, 25, 125},
        {128, 26, 130},
        {2, 0, 0},
        {3, 1, 5},
        {-2, 0, 0},
        {-3, -1, 0},
        {1275, 255, 1275},
        {1277, 255, 1275},
        {1278, -1, 0},
        {std::numeric_limits<std::int32_t>::max(), -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kmh);
        const std::optional<std::uint8_t> stored = speed_limit_byte(c.kmh);
        if (c.stored < 0) {
            EXPECT_FALSE(stored.has_value());
            EXPECT_EQ(fault_of([&] { pack_speed_limit(c.kmh); }),
                      "a line speed of " + std::to_string(c.kmh) + " km/h does not fit the speed byte");
            continue;
        }
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(*stored, c.stored);
        EXPECT_EQ(pack_speed_limit(c.kmh), c.stored);
        EXPECT_EQ(unpack_speed_limit(*stored), c.readBack);
    }
}

TEST(Packing, AdhesionAndMountainTypesKeepTheirLowByte) {
    struct Case {
        std::int64_t tipo;
        std::uint8_t stored;
        bool markers;
    };
    const Case cases[] = {
        {1, 1, false}, {2, 2, false}, {10, 10, false},  {11, 1, true},
        {12, 2, true}, {0, 0, false}, {-5, 251, false}, {266, 0, true},
    };
    for (const Case& c : cases) {
        const MountainType split = split_mountain_type(c.tipo);
        EXPECT_EQ(pack_mountain_type(split.type), c.stored) << c.tipo;
        EXPECT_EQ(split.markers, c.markers) << c.tipo;
    }
    EXPECT_EQ(pack_adhesion(90), 90);
    EXPECT_EQ(pack_adhesion(300), 44);
    EXPECT_EQ(pack_adhesion(-1), 255);
}

TEST(Packing, BoardSpeedsRoundTheFifthAndMustFitSixteenBits) {
    struct Case {
        std::int32_t left;
        std::int32_t right;
        int stored;  // INT_MIN: does not fit
        std::int64_t leftBack;
        std::int64_t rightBack;
    };
    constexpr int refused = std::numeric_limits<int>::min();
    const Case cases[] = {
        {105, 0, 2100, 105, 0},           {140, 90, 2818, 140, 90},
        {140, 95, 2819, 140, 95},         {140, 100, 2820, 141, 0},  // runs into the left-hand speed
        {100, 7, 2001, 100, 5},                                      // 1.4 rounds down
        {100, 8, 2002, 100, 10},                                     // 1.6 rounds up
        {100, -8, 1998, 99, 90},          {0, -5, -1, 0, -5},
        {1638, 35, 32767, 1638, 35},      {1638, 40, refused, 0, 0},
        {-1638, -40, -32768, -1638, -40}, {-1638, -45, refused, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.left) + " " + std::to_string(c.right));
        if (c.stored == refused) {
            EXPECT_EQ(fault_of([&] { pack_board_speeds(c.left, c.right); }),
                      "a packed board speed does not fit a 16-bit field");
            continue;
        }
        const std::int16_t stored = pack_board_speeds(c.left, c.right);
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ(board_speeds_sum(c.left, c.right), c.stored);
        EXPECT_EQ(unpack_board_speeds(stored).left, c.leftBack);
        EXPECT_EQ(unpack_board_speeds(stored).right, c.rightBack);
    }
    // Outside 16 bits the sum is what the warnings explain.
    EXPECT_EQ(board_speeds_sum(1638, 40), 32768);
    EXPECT_EQ(unpack_board_speeds(32768).left, 1638);
    EXPECT_EQ(unpack_board_speeds(32768).right, 40);
}

TEST(Packing, BoardSpeedsStayApartOnlyForFifthsBelowAHundred) {
    const std::pair<std::int64_t, bool> cases[] = {{0, true},  {5, true},   {95, true},  {100, false},
                                                   {8, false}, {-5, false}, {99, false}, {1000, false}};
    for (const auto& [right, apart] : cases) EXPECT_EQ(keeps_board_speeds_apart(right), apart) << right;
}

TEST(Packing, DigitPairsWrapInSixteenBits) {
    struct Case {
        std::int64_t left;
        std::int64_t right;
        std::int16_t stored;
        int leftBack;
        int rightBack;
    };
    const Case cases[] = {
        {4, 2, 42, 4, 2},    {0, 0, 0, 0, 0},           {9, 9, 99, 9, 9},
        {14, 1, 141, 14, 1}, {1, 14, 24, 2, 4},  // a code of two digits runs into the other
        {-1, 0, -10, -1, 0}, {3276, 7, 32767, 3276, 7}, {3276, 8, -32768, -3276, -8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.left) + " " + std::to_string(c.right));
        EXPECT_EQ(pack_signal_codes(c.left, c.right), c.stored);
        EXPECT_EQ(unpack_signal_codes(c.stored).left, c.leftBack);
        EXPECT_EQ(unpack_signal_codes(c.stored).right, c.rightBack);
        // The stripe counts of a board cell are packed the same way.
        const auto left16 = static_cast<std::int16_t>(c.left);
        const auto right16 = static_cast<std::int16_t>(c.right);
        EXPECT_EQ(pack_stripes(left16, right16), c.stored);
        EXPECT_EQ(unpack_stripes(c.stored).left, c.leftBack);
        EXPECT_EQ(unpack_stripes(c.stored).right, c.rightBack);
    }
}

TEST(Packing, SignalKindHoldsRappAndTheCombinedType) {
    struct Case {
        std::int64_t rapp;
        std::int64_t sx;
        std::int64_t dx;
        std::int16_t stored;
        int rappBack;
        int sxBack;
        int dxBack;
    };
    const Case cases[] = {
        {0, 2, 2, 8, 0, 2, 2},  {0, 2, 0, 6, 0, 2, 0},
        {1, 1, 1, 14, 1, 1, 1}, {0, 0, 0, 0, 0, 0, 0},
        {0, 3, 0, 9, 0, 3, 0},  {0, 3, 1, 10, 1, 0, 0},  // an invalid type carries over
        {0, 2, 3, 9, 0, 3, 0},  {3276, 2, 2, -32768, -3276, -2, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rapp) + " " + std::to_string(c.sx) + " " + std::to_string(c.dx));
        EXPECT_EQ(pack_signal_kind(c.rapp, c.sx, c.dx), c.stored);
        const SignalKind back = unpack_signal_kind(c.stored);
        EXPECT_EQ(back.rapp, c.rappBack);
        EXPECT_EQ(back.leftType, c.sxBack);
        EXPECT_EQ(back.rightType, c.dxBack);
    }
}

TEST(Packing, SignalTimeIsAByteForLeftTypeTwoOnly) {
    struct Case {
        std::int32_t sx;
        std::int32_t tempo;
        std::int32_t taken;
        std::uint8_t stored;
    };
    const Case cases[] = {
        {2, 0, 0, 0},       {2, 1, 101, 101},   {2, 50, 101, 101}, {2, 100, 101, 101},
        {2, 101, 101, 101}, {2, 245, 245, 245}, {2, 256, 256, 0},  {2, 300, 300, 44},
        {2, -1, -1, 255},   {1, 245, 245, 0},   {0, 50, 101, 0},   {258, 5, 101, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sx) + " " + std::to_string(c.tempo));
        EXPECT_EQ(signal_time(c.tempo), c.taken);
        EXPECT_EQ(pack_signal_time(c.sx, signal_time(c.tempo)), c.stored);
    }
}

TEST(Packing, ApproachCodesCarryTheTypeInOneByte) {
    struct Case {
        std::int64_t sx;
        std::int64_t dx;
        int k;
        std::uint8_t code;
        int typeBack;
    };
    const Case cases[] = {
        {2, 2, 1, 81, 8},    {2, 2, 4, 84, 8},   {2, 0, 1, 61, 6},
        {0, 0, 3, 3, 0},     {258, 2, 1, 81, 8},  // the low bytes of the types
        {3, 0, 1, 91, 9},    {9, 0, 1, 15, 1},    // 271 wraps in the byte
        {-1, 0, 1, 227, 22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sx) + " " + std::to_string(c.dx) + " " + std::to_string(c.k));
        const std::uint8_t code = pack_approach_code(signal_type_byte(c.sx, c.dx), c.k);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(unpack_approach_code(code).type, c.typeBack);
        EXPECT_EQ(unpack_approach_code(code).order, c.code % 10);
    }
    // A station's approach cells carry what a signal of types 2 and 2 gives.
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(station_approach_code(k), pack_approach_code(signal_type_byte(2, 2), k));
    EXPECT_EQ(station_approach_code(1), 81);
}

TEST(Packing, StationTimesAreSecondsOfTheDay) {
    struct Case {
        std::int64_t h, m, s;
        std::int64_t stored;  // INT64_MIN: does not fit
        bool negative;
        std::uint64_t hBack, mBack, sBack;
    };
    constexpr std::int64_t refused = std::numeric_limits<std::int64_t>::min();
    const Case cases[] = {
        {16, 47, 15, 60435, false, 16, 47, 15},
        {0, 0, 0, 0, false, 0, 0, 0},
        {25, 0, 0, 90000, false, 25, 0, 0},
        {0, 90, 75, 5475, false, 1, 31, 15},
        {-1, 0, 0, -3600, true, 1, 0, 0},
        {0, 0, -1, -1, true, 0, 0, 1},
        {596523, 14, 7, 2147483647, false, 596523, 14, 7},
        {596523, 14, 8, refused, false, 0, 0, 0},
        {-596523, -14, -8, -2147483648, true, 596523, 14, 8},
        {-596523, -14, -9, refused, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.h) + ":" + std::to_string(c.m) + ":" + std::to_string(c.s));
        if (c.stored == refused) {
            EXPECT_EQ(fault_of([&] { pack_station_time(c.h, c.m, c.s); }),
                      "a station's timetable time does not fit a 32-bit field");
            continue;
        }
        EXPECT_EQ(pack_station_time(c.h, c.m, c.s), c.stored);
        const ClockTime back = unpack_station_time(c.stored);
        EXPECT_EQ(back.negative, c.negative);
        EXPECT_EQ(back.hours, c.hBack);
        EXPECT_EQ(back.minutes, c.mBack);
        EXPECT_EQ(back.seconds, c.sBack);
    }
    const ClockTime lowest = unpack_station_time(std::numeric_limits<std::int64_t>::min());
    EXPECT_TRUE(lowest.negative);
    EXPECT_EQ(lowest.hours, (std::uint64_t{1} << 63) / 3600);
}

TEST(Packing, StationExtentFollowsTheKind) {
    struct Case {
        std::uint8_t kind;
        std::int32_t position, length;
        std::uint8_t extend50;
        std::int32_t start, end;
        bool keepsExtension;
    };
    const Case cases[] = {
        {8, 0, 500, 1, -500, 500, false},
        {7, 10000, 300, 0, 9700, 10300, false},
        {5, 10000, 300, 1, 9700, 10150, false},
        {6, 10000, 0, 0, 10000, 10150, false},
        {24, 12200, 400, 1, 12000, 12450, true},
        {24, 12200, 400, 0, 12000, 12400, true},
        {12, 12200, 600, 7, 11900, 12550, true},
        {28, 5000, 200, 0, 4900, 5100, true},
        {4, 0, 0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " at " + std::to_string(c.position));
        EXPECT_EQ(station_start(c.kind, c.position, c.length), c.start);
        EXPECT_EQ(station_end(c.kind, c.position, c.length, c.extend50), c.end);
        EXPECT_EQ(keeps_end_extension(c.kind), c.keepsExtension);
    }
}

TEST(Packing, StationEndsBeyondThirtyTwoBitsAreRefused) {
    constexpr std::int32_t highest = 2147483600;  // a multiple of 50
    const std::string start = "a station's start does not fit a 32-bit field";
    const std::string end = "a station's end does not fit a 32-bit field";
    EXPECT_EQ(fault_of([&] { station_end(5, highest, 0, 0); }), end);
    EXPECT_EQ(fault_of([&] { station_start(5, highest, 0); }), "");
    EXPECT_EQ(fault_of([&] { station_start(7, -highest, 100); }), start);
    EXPECT_EQ(fault_of([&] { station_end(7, -highest, 100, 0); }), "");
    EXPECT_EQ(fault_of([&] { station_end(12, highest, 0, 1); }), end);
    EXPECT_EQ(fault_of([&] { station_end(12, highest, 0, 0); }), "");
    EXPECT_EQ(station_end(12, highest - 50, 0, 1), 2147483600);
}

TEST(Packing, FlaggedBreaksHaveAHundredMetresAdded) {
    struct Case {
        std::int32_t offset, flag, stored;
    };
    const Case cases[] = {
        {-180350, 1, -180250}, {-180350, 0, -180350},        {-16400, 2, -16400},
        {0, 1, 100},           {2147483600, 1, -2147483596},  // wraps in 32 bits
    };
    for (const Case& c : cases) EXPECT_EQ(pack_break_offset(c.offset, c.flag), c.stored) << c.offset;
}

TEST(Placement, CellsLeadBackToTheRoute) {
    struct Case {
        std::int64_t position;
        std::int64_t pointBack;     // a point item there
        std::int64_t propertyBack;  // a running property or restriction mark there
    };
    const Case cases[] = {
        {1050, 1050, 1050}, {3950, 3950, 3950}, {3975, 3950, 4000}, {10960, 10950, 10950},
        {25, 50, 0},  // round(1.5) = 2, round(0.5) = 0
        {0, 0, 0},          {-50, -50, -50},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(point_item_metres(point_cell(c.position)), c.pointBack) << c.position;
        EXPECT_EQ(cell_start(property_cell(c.position)), c.propertyBack) << c.position;
    }
}

}  // namespace
}  // namespace scenario
