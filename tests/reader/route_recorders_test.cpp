#include "reader/route_recorders.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

struct Breaks {
    std::int32_t uno[3];
    std::int32_t due[3];
    std::int32_t tre[3];
};

// Records 81, 82, 83 after ordering, each as position/offset/flag.
std::array<std::array<std::int32_t, 3>, 3> ordered(const Breaks& b) {
    RouteModel model;
    auto set = [&](int index, const std::int32_t v[3]) {
        model.records[static_cast<std::size_t>(index)].long1 = v[0];
        model.records[static_cast<std::size_t>(index)].long2 = v[1];
        model.records[static_cast<std::size_t>(index)].long3 = v[2];
    };
    set(83, b.uno);
    set(82, b.due);
    set(81, b.tre);
    progressive_ordina(model);
    std::array<std::array<std::int32_t, 3>, 3> out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const ScenarioRecord& r = model.records[81 + i];
        out[i] = {r.long1, r.long2, r.long3};
    }
    return out;
}

using Rows = std::array<std::array<std::int32_t, 3>, 3>;

TEST(ProgressiveOrdina, OrdersBreaksByPositionGreatestFirst) {
    struct Case {
        const char* name;
        Breaks in;
        Rows out;
    };
    const Case cases[] = {
        {"embedded line",
         {{180350, -180350, 0}, {194700, -16400, 0}, {0, 0, 0}},
         {{{194700, -16400, 0}, {180350, -180350, 0}, {0, 0, 0}}}},
        {"all zero", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}}},
        {"uno at 0 with offset", {{0, 500, 0}, {0, 0, 0}, {0, 0, 0}}, {{{0, 500, 0}, {0, 0, 0}, {0, 0, 0}}}},
        {"due offset first", {{0, 0, 0}, {0, 300, 0}, {0, 200, 0}}, {{{0, 300, 0}, {0, 200, 0}, {0, 0, 0}}}},
        {"tre offset unchanged", {{0, -5, 0}, {0, 0, 0}, {0, 100, 0}}, {{{0, 100, 0}, {0, 0, 0}, {0, -5, 0}}}},
        {"negative offsets only", {{0, -5, 0}, {0, -6, 0}, {0, 0, 0}}, {{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}}},
        {"two greatest equal", {{1000, 1, 0}, {1000, 2, 0}, {0, 3, 0}}, {{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}}},
        {"tre greatest, others tied",
         {{500, 1, 0}, {500, 2, 0}, {900, 3, 0}},
         {{{900, 3, 0}, {500, 1, 0}, {500, 2, 0}}}},
        {"due greatest, others tied",
         {{500, 1, 0}, {900, 2, 0}, {500, 3, 0}},
         {{{900, 2, 0}, {500, 1, 0}, {500, 3, 0}}}},
        {"uno greatest, others tied",
         {{900, 1, 0}, {500, 2, 0}, {500, 3, 0}},
         {{{900, 1, 0}, {500, 2, 0}, {500, 3, 0}}}},
        {"uno greatest, tre second",
         {{900, 1, 0}, {100, 2, 0}, {500, 3, 0}},
         {{{900, 1, 0}, {500, 3, 0}, {100, 2, 0}}}},
        {"flag adds 100", {{180350, -180350, 1}, {0, 0, 0}, {0, 0, 0}}, {{{180350, -180250, 1}, {0, 0, 0}, {0, 0, 0}}}},
    };
    for (const Case& c : cases) EXPECT_EQ(ordered(c.in), c.out) << c.name;
}

struct Spans {
    RouteModel model;
    Spans() { model.create_cells(4500); }
    int span(std::int32_t inizio, std::int32_t fine, std::int32_t tipo) {
        memo_montagna(model, inizio, fine, tipo);
        return tipo;
    }
    std::vector<int> markers() const {
        std::vector<int> cells;
        for (std::size_t i = 0; i < model.cells.size(); ++i) {
            if (model.cells[i].kind == cell_kind::mountain_marker) cells.push_back(static_cast<int>(i));
        }
        return cells;
    }
};

TEST(MemoMontagna, TypeOverTheSpanAndMarkersEveryFourthCell) {
    Spans s;
    EXPECT_EQ(s.span(79000, 80550, 12), 2);
    EXPECT_EQ(s.model.cell(1579).mountainType, 0);
    for (int i = 1580; i <= 1610; ++i) EXPECT_EQ(s.model.cell(i).mountainType, 2) << i;
    EXPECT_EQ(s.model.cell(1611).mountainType, 0);
    EXPECT_EQ(s.markers(), (std::vector<int>{1583, 1587, 1591, 1595, 1599, 1603, 1607}));
    EXPECT_EQ(s.model.mountainCount, 1);
    EXPECT_EQ(s.model.mountainStart[1], 79000);
    EXPECT_EQ(s.model.mountainEnd[1], 80550);
}

TEST(MemoMontagna, LongSpanOfTypeOne) {
    Spans s;
    EXPECT_EQ(s.span(88950, 96500, 11), 1);
    EXPECT_EQ(s.model.cell(1778).mountainType, 0);
    EXPECT_EQ(s.model.cell(1779).mountainType, 1);
    EXPECT_EQ(s.model.cell(1929).mountainType, 1);
    EXPECT_EQ(s.model.cell(1930).mountainType, 0);
    const auto markers = s.markers();
    ASSERT_EQ(markers.size(), 37u);
    EXPECT_EQ(markers.front(), 1782);
    EXPECT_EQ(markers.back(), 1926);
}

TEST(MemoMontagna, SpansCloseToThePreviousOneAreTypeThree) {
    Spans s;
    s.span(70000, 78850, 1);
    EXPECT_EQ(s.span(79000, 80550, 12), 3);
    EXPECT_EQ(s.model.cell(1600).mountainType, 3);
    EXPECT_EQ(s.markers().size(), 7u);  // markers still wanted
    // Overlapping the previous span is close too.
    EXPECT_EQ(s.span(80000, 81000, 2), 3);
    // 151 m after the previous end keeps its own type.
    EXPECT_EQ(s.span(81151, 82000, 2), 2);
}

TEST(MemoMontagna, MarkersOnlyIntoEmptyCells) {
    Spans s;
    s.model.cell(1583).kind = cell_kind::roadside_sign;
    s.span(79000, 80550, 12);
    EXPECT_EQ(s.model.cell(1583).kind, cell_kind::roadside_sign);
    EXPECT_EQ(s.model.cell(1583).mountainType, 2);
    EXPECT_EQ(s.markers().size(), 6u);
}

TEST(MemoMontagna, ShortSpans) {
    Spans s;
    s.span(10950, 11000, 1);  // one cell: 219
    EXPECT_EQ(s.model.cell(218).mountainType, 0);
    EXPECT_EQ(s.model.cell(219).mountainType, 1);
    EXPECT_EQ(s.model.cell(220).mountainType, 0);
    s.span(1000, 1020, 12);  // first 20, last round(19.4) = 19: no cell
    EXPECT_EQ(s.model.cell(19).mountainType, 0);
    EXPECT_EQ(s.model.cell(20).mountainType, 0);
    EXPECT_EQ(s.model.mountainCount, 2);
    EXPECT_EQ(s.model.mountainEnd[2], 1020);
}

TEST(MemoIndicatoriVMax, PacksSpeedsAndStripes) {
    RouteModel model;
    model.create_cells(100);
    std::int32_t vas = 140, vbs = 155, vcs = 165, vad = 90, vbd = 0, vcd = 95;
    memo_indicatori_v_max(model, 1100, vas, vbs, vcs, 2, vad, vbd, vcd, 1);
    const RouteCell& c = model.cell(23);
    EXPECT_EQ(c.kind, cell_kind::speed_boards);
    EXPECT_EQ(c.data1, 2818);
    EXPECT_EQ(c.data2, 3100);
    EXPECT_EQ(c.data3, 3319);
    EXPECT_EQ(c.data4, 21);
    EXPECT_EQ(model.errorCode, 0);
}

TEST(MemoIndicatoriVMax, StripesWrapInSixteenBits) {
    RouteModel model;
    model.create_cells(100);
    std::int32_t v = 0;
    memo_indicatori_v_max(model, 1100, v, v, v, 3300, v, v, v, 7);
    EXPECT_EQ(model.cell(23).data4, static_cast<std::int16_t>(33007 - 65536));
}

TEST(MemoIndicatoriVMax, TakenCellAndOverflow) {
    RouteModel model;
    model.create_cells(100);
    model.cell(23).kind = cell_kind::mountain_marker;
    std::int32_t v = 100, zero = 0;
    memo_indicatori_v_max(model, 1100, v, v, v, 0, zero, zero, zero, 0);
    EXPECT_EQ(model.cell(23).kind, cell_kind::speed_boards);

    model.cell(30).kind = cell_kind::roadside_sign;
    memo_indicatori_v_max(model, 1450, v, v, v, 0, zero, zero, zero, 0);
    EXPECT_EQ(model.errorCode, 21);
    EXPECT_EQ(model.cell(30).data1, 0);

    std::int32_t too_fast = 1639;  // 1639 * 20 = 32780
    EXPECT_THROW(memo_indicatori_v_max(model, 2000, too_fast, v, v, 0, zero, zero, zero, 0), ReadFault);
    std::int32_t fits = 1638, right = 35;  // 32760 + 7 = 32767
    EXPECT_NO_THROW(memo_indicatori_v_max(model, 2500, fits, v, v, 0, right, zero, zero, 0));
    EXPECT_EQ(model.cell(51).data1, 32767);
}

}  // namespace
}  // namespace scenario
