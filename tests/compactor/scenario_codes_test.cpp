#include "compactor/scenario_codes.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

RouteModel identity(const std::string& train_code, const std::string& title) {
    RouteModel model;
    model.records[86].text = train_code;
    model.records[85].text = title;
    model.create_cells(10);
    return model;
}

TEST(ScenarioCodes, EmbeddedIdentity) {
    const RouteModel m = identity("IC 318", "Valcorvina");
    EXPECT_EQ(code_text(m), "ic 318valcorvinaaabbccdde");
    EXPECT_EQ(codice_gara_og(m), 2358);
    EXPECT_EQ(codice_gara_st(m), 32242);
}

TEST(ScenarioCodes, EmptyIdentityUsesThePaddingOnly) {
    const RouteModel m = identity("", "");
    EXPECT_EQ(code_text(m), "aabbccddeeffgghhiillmmnno");
    EXPECT_EQ(codice_gara_og(m), 2583);
    EXPECT_EQ(codice_gara_st(m), 34355);
}

TEST(ScenarioCodes, CaseAndCharactersAfterTheTwentyFifth) {
    EXPECT_EQ(codice_gara_st(identity("IC 318", "VALCORVINA")), 32242);
    const RouteModel long_a = identity("ABCDEFGHIJKLMNOPQRSTUVWXY", "one");
    const RouteModel long_b = identity("abcdefghijklmnopqrstuvwxy", "two");
    EXPECT_EQ(codice_gara_og(long_a), codice_gara_og(long_b));
    EXPECT_EQ(codice_gara_st(long_a), codice_gara_st(long_b));
}

TEST(ScenarioCodes, SingleByteLowerCase) {
    EXPECT_EQ(lower_single_byte('Q'), 'q');
    EXPECT_EQ(lower_single_byte('\xC0'), '\xE0');  // À
    EXPECT_EQ(lower_single_byte('\xC8'), '\xE8');  // È
    EXPECT_EQ(lower_single_byte('\xD7'), '\xD7');  // × has no lower case
    EXPECT_EQ(lower_single_byte('\xE0'), '\xE0');
    EXPECT_EQ(lower_single_byte('1'), '1');
    // The highest codes: 25 characters of 255 give the largest sums.
    const RouteModel top = identity(std::string(25, '\xFF'), "");
    EXPECT_EQ(codice_gara_og(top), 6375);
    EXPECT_EQ(codice_gara_st(top), 82875);
}

TEST(ScenarioStamp, WritesMarkersAndCodes) {
    RouteModel m = identity("IC 318", "Valcorvina");
    m.cells[1].kind = cell_kind::mountain_marker;
    stamp_scenario(m, [](const std::string&) { FAIL(); });
    EXPECT_EQ(m.records[85].int1, 610);
    EXPECT_EQ(m.records[85].long4, 32242);
    EXPECT_EQ(m.cells[1].data1, 5121);
    EXPECT_EQ(m.cells[1].data2, 2358);
    EXPECT_EQ(m.cells[1].kind, cell_kind::mountain_marker);
}

TEST(ScenarioStamp, TakenSlotsAreReported) {
    struct Case {
        const char* name;
        void (*taint)(RouteModel&);
        const char* number;
    };
    const Case cases[] = {
        {"cell 1 data1", [](RouteModel& m) { m.cells[1].data1 = 7; }, "1250"},
        {"record 85 int1", [](RouteModel& m) { m.records[85].int1 = 1; }, "1250"},
        {"cell 1 data2", [](RouteModel& m) { m.cells[1].data2 = -1; }, "1251"},
        {"record 85 long4", [](RouteModel& m) { m.records[85].long4 = 5; }, "1251"},
    };
    for (const Case& c : cases) {
        RouteModel m = identity("IC 318", "Valcorvina");
        c.taint(m);
        std::string reported;
        EXPECT_THROW(stamp_scenario(m, [&](const std::string& n) { reported = n; }), StampError) << c.name;
        EXPECT_EQ(reported, c.number) << c.name;
    }
}

}  // namespace
}  // namespace scenario
