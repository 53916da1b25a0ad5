#include "reader/signal_recorders.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

struct Cells {
    RouteModel model;
    Cells() { model.create_cells(4500); }

    // Signal fields in the order of a "segnale" row.
    void signal(std::int32_t pos, std::array<std::int32_t, 10> v) {
        memo_segnale(model, pos, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
    }
    void slowdown(std::int32_t x, std::int32_t v, std::int32_t l, std::int32_t f_tt, std::int32_t f_ta,
                  std::int32_t d_v) {
        memo_rallentamento(model, x, v, l, f_tt, f_ta, d_v);
    }
    const RouteCell& at(int i) { return model.cell(i); }
};

TEST(MemoSegnale, FirstEmbeddedSignal) {
    Cells c;
    c.signal(1050, {2, 4, 1, 1, 0, 2, 2, 1, 1, 0});
    const RouteCell& s = c.at(22);
    EXPECT_EQ(s.kind, cell_kind::signal);
    EXPECT_EQ(s.data1, 42);
    EXPECT_EQ(s.data2, 11);
    EXPECT_EQ(s.data3, 11);
    EXPECT_EQ(s.data4, 8);
    EXPECT_EQ(s.data5, 0);
    EXPECT_EQ(c.at(20).approachCode, 81);
    EXPECT_EQ(c.at(18).approachCode, 82);
    EXPECT_EQ(c.at(16).approachCode, 83);
    EXPECT_EQ(c.at(14).approachCode, 84);
    EXPECT_EQ(c.at(20).kind, 0);
    EXPECT_EQ(c.at(21).approachCode, 0);
    EXPECT_EQ(c.at(12).approachCode, 0);
}

TEST(MemoSegnale, LastEmbeddedSignal) {
    Cells c;
    c.signal(212100, {2, 2, 3, 1, 0, 0, 0, 0, 0, 245});
    const RouteCell& s = c.at(4243);
    EXPECT_EQ(s.data1, 20);
    EXPECT_EQ(s.data2, 30);
    EXPECT_EQ(s.data3, 10);
    EXPECT_EQ(s.data4, 6);
    EXPECT_EQ(s.data5, 245);
    EXPECT_EQ(c.at(4241).approachCode, 61);
    EXPECT_EQ(c.at(4235).approachCode, 64);
}

TEST(MemoSegnale, TempoRules) {
    struct Case {
        std::int32_t sx;
        std::int32_t tempo;
        std::uint8_t stored;
        std::int32_t tempo_after;
    };
    const Case cases[] = {{2, 50, 101, 101},  {2, 1, 101, 101},  {2, 100, 101, 101}, {2, 0, 0, 0},
                          {2, 101, 101, 101}, {2, 300, 44, 300}, {2, -5, 251, -5},   {1, 245, 0, 245}};
    for (const Case& k : cases) {
        Cells c;
        std::int32_t v[10] = {k.sx, 4, 0, 0, 0, 0, 0, 0, 0, k.tempo};
        memo_segnale(c.model, 1050, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
        EXPECT_EQ(c.at(22).data5, k.stored) << k.tempo;
        EXPECT_EQ(v[9], k.tempo_after) << k.tempo;
    }
}

TEST(MemoSegnale, FreeAndTakenCells) {
    Cells c;
    c.model.cell(22).kind = cell_kind::mountain_marker;
    c.signal(1050, {2, 4, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(c.at(22).kind, cell_kind::signal);
    EXPECT_EQ(c.model.errorCode, 0);

    c.model.cell(40).kind = cell_kind::station_stop;
    c.model.cell(38).approachCode = 81;
    c.signal(1950, {2, 4, 0, 0, 0, 1, 0, 0, 0, 0});
    EXPECT_EQ(c.model.errorCode, 16);
    EXPECT_EQ(c.at(40).kind, cell_kind::station_stop);
    EXPECT_EQ(c.at(38).approachCode, 81);
}

TEST(MemoSegnale, ApproachCellsBeforeTheFirstCellAreNotWritten) {
    Cells c;
    c.signal(200, {2, 4, 0, 0, 0, 2, 0, 0, 0, 0});  // cell 5: approach cells 3 and 1
    EXPECT_EQ(c.at(5).kind, cell_kind::signal);
    EXPECT_EQ(c.at(3).approachCode, 81);
    EXPECT_EQ(c.at(1).approachCode, 82);
    EXPECT_EQ(c.model.errorCode, 0);
}

TEST(MemoRallentamento, EmbeddedSlowdownWithApproachCells) {
    Cells c;
    c.slowdown(13500, 60, 500, 0, 1, 60);
    EXPECT_EQ(c.model.errorCode, 0);
    EXPECT_EQ(c.at(247).kind, cell_kind::slowdown_warning);
    EXPECT_EQ(c.at(271).kind, cell_kind::slowdown_start);
    EXPECT_EQ(c.at(281).kind, cell_kind::slowdown_end);
    for (int i : {247, 271, 281}) {
        EXPECT_EQ(c.at(i).data1, 60) << i;
        EXPECT_EQ(c.at(i).data2, 60) << i;
    }
    EXPECT_EQ(c.at(271).data3, 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(c.at(246 - i).kind, cell_kind::slowdown_approach);
        EXPECT_EQ(c.at(246 - i).data1, i + 1);
        EXPECT_EQ(c.at(246 - i).data2, i + 1);
    }
    EXPECT_EQ(c.at(242).kind, 0);
}

TEST(MemoRallentamento, NoSecondSpeedAndNoApproach) {
    Cells c;
    c.slowdown(179900, 60, 1100, 3, 0, 0);
    EXPECT_EQ(c.at(3575).kind, cell_kind::slowdown_warning);
    EXPECT_EQ(c.at(3599).kind, cell_kind::slowdown_start);
    EXPECT_EQ(c.at(3621).kind, cell_kind::slowdown_end);
    EXPECT_EQ(c.at(3599).data2, 0);
    EXPECT_EQ(c.at(3621).data3, 3);
    EXPECT_EQ(c.at(3575).data3, 0);
    EXPECT_EQ(c.at(3574).kind, 0);
}

TEST(MemoRallentamento, WarningOnlyBeyondFifteenHundredMetres) {
    Cells at_1500;
    at_1500.slowdown(1500, 60, 500, 0, 1, 0);
    EXPECT_EQ(at_1500.model.errorCode, 0);
    for (int i = 0; i <= 30; ++i) {
        EXPECT_NE(at_1500.at(i).kind, cell_kind::slowdown_warning);
        EXPECT_NE(at_1500.at(i).kind, cell_kind::slowdown_approach);
    }
    Cells at_1550;
    at_1550.slowdown(1550, 60, 500, 0, 1, 0);
    EXPECT_EQ(at_1550.at(8).kind, cell_kind::slowdown_warning);  // round(8.0)
    EXPECT_EQ(at_1550.at(7).kind, cell_kind::slowdown_approach);
    EXPECT_EQ(at_1550.at(4).kind, cell_kind::slowdown_approach);
}

TEST(MemoRallentamento, HalvesRoundToEven) {
    Cells at_1575;  // warning round(8.5) = 8, first approach round(7.5) = 8: taken
    at_1575.slowdown(1575, 60, 500, 0, 1, 0);
    EXPECT_EQ(at_1575.model.errorCode, 20);
    EXPECT_EQ(at_1575.at(8).kind, cell_kind::slowdown_warning);
    EXPECT_EQ(at_1575.at(32).kind, cell_kind::slowdown_start);  // round(32.5)
    EXPECT_EQ(at_1575.at(7).kind, 0);

    Cells at_1625;  // warning round(9.5) = 10, approach 8, 7, 6, 5
    at_1625.slowdown(1625, 60, 500, 0, 1, 0);
    EXPECT_EQ(at_1625.model.errorCode, 0);
    EXPECT_EQ(at_1625.at(10).kind, cell_kind::slowdown_warning);
    EXPECT_EQ(at_1625.at(9).kind, 0);
    EXPECT_EQ(at_1625.at(8).kind, cell_kind::slowdown_approach);
    EXPECT_EQ(at_1625.at(5).kind, cell_kind::slowdown_approach);
}

TEST(MemoRallentamento, TakenCellsNothingWrittenBeforeTheApproach) {
    struct Case {
        int taken_cell;
        std::int32_t code;
    };
    const Case cases[] = {{247, 17}, {271, 18}, {281, 19}};
    for (const Case& k : cases) {
        Cells c;
        c.model.cell(k.taken_cell).kind = cell_kind::signal;
        c.slowdown(13500, 60, 500, 0, 1, 60);
        EXPECT_EQ(c.model.errorCode, k.code);
        int written = 0;
        for (const RouteCell& cell : c.model.cells) written += cell.kind != 0;
        EXPECT_EQ(written, 1) << k.code;  // only the cell made taken by the test
    }
}

}  // namespace
}  // namespace scenario
