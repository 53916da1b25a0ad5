#include "compactor/completion_pass.h"

#include <gtest/gtest.h>

#include <vector>

namespace scenario {
namespace {

struct Pass {
    RouteModel model;
    explicit Pass(int count = 1000) {
        model.cellCount = count;
        model.create_cells(count);
    }
    RouteCell& at(int i) { return model.cell(i); }
    void put(int i, std::uint8_t kind, std::int16_t data1 = 0) {
        at(i).kind = kind;
        at(i).data1 = data1;
    }
    void slowdown(int start, int end, std::int16_t speed) {
        put(start, cell_kind::slowdown_start, speed);
        put(end, cell_kind::slowdown_end, speed);
    }
    std::vector<int> marks() {
        std::vector<int> cells;
        for (int i = 0; i <= model.cellCount; ++i) {
            if (at(i).kind == cell_kind::restriction) cells.push_back(i);
        }
        return cells;
    }
    void run() { complete_signalling(model); }
};

TEST(Minimo, ReturnsTheSmallerAndTheFirstOnATie) {
    EXPECT_EQ(minimo(180, 150), 150);
    EXPECT_EQ(minimo(180, 200), 180);
    EXPECT_EQ(minimo(-1, -1), -1);
}

TEST(CompletionPass, SignalBeforeAWarningBoard) {
    Pass p;
    p.put(100, cell_kind::signal);
    p.put(110, cell_kind::slowdown_warning);
    p.at(99).speedLimit = 30;
    p.run();
    EXPECT_EQ(p.marks(), std::vector<int>{99});
    EXPECT_EQ(p.at(99).data1, 180);
    EXPECT_EQ(p.at(99).speedLimit, 30);  // running properties stay
    EXPECT_EQ(p.model.errorCode, 0);
}

TEST(CompletionPass, ExistingMarksBeforeTheSignalAreLowered) {
    struct Case {
        const char* name;
        std::uint8_t kind99;
        std::int16_t speed99;
        std::uint8_t kind98;
        std::int16_t speed98;
        std::int16_t after99;
        std::int16_t after98;
        std::int32_t code;
    };
    const Case cases[] = {
        {"150 stays, 200 untouched", 12, 150, 12, 200, 150, 200, 0},
        {"200 lowered", 12, 200, 10, 0, 180, 0, 0},
        {"mark two before lowered", 10, 0, 12, 250, 0, 180, 0},
        {"two stop cells", 10, 0, 10, 0, 0, 0, 11},
        {"free second cell", 10, 0, 11, 0, 0, 180, 0},
    };
    for (const Case& c : cases) {
        Pass p;
        p.put(100, cell_kind::signal);
        p.put(110, cell_kind::slowdown_warning);
        p.put(99, c.kind99, c.speed99);
        p.put(98, c.kind98, c.speed98);
        p.run();
        EXPECT_EQ(p.at(99).data1, c.after99) << c.name;
        EXPECT_EQ(p.at(98).data1, c.after98) << c.name;
        EXPECT_EQ(p.model.errorCode, c.code) << c.name;
        if (c.code == 11) {
            EXPECT_EQ(p.model.errorPosition, 5000);
        }
    }
}

TEST(CompletionPass, LookBackWindow) {
    Pass p;
    for (int i : {2, 3, 9}) p.put(i, cell_kind::signal);
    p.put(10, cell_kind::slowdown_warning);
    p.put(30, cell_kind::signal);  // 21 cells before the board at 51
    p.put(31, cell_kind::signal);  // 20 cells before
    p.put(51, cell_kind::slowdown_warning);
    p.run();
    EXPECT_EQ(p.marks(), (std::vector<int>{1, 8, 29}));
}

// Groups 5-7, 11-13 and 18-20 cells before the start, each only when the
// start lies beyond the group's last cell; a taken cell sends the mark to the
// group's next candidate.
TEST(CompletionPass, MarkGroupsBeforeASlowdownStart) {
    struct Case {
        int start;
        std::vector<int> taken;  // signals
        std::vector<int> marks;
        std::int32_t code;
    };
    const Case cases[] = {
        {7, {}, {}, 0},           {8, {}, {3}, 0},
        {8, {3}, {2}, 0},         {8, {3, 2}, {1}, 0},
        {8, {3, 2, 1}, {}, 12},   {13, {}, {8}, 0},
        {14, {}, {3, 9}, 0},      {20, {}, {9, 15}, 0},
        {21, {}, {3, 10, 16}, 0}, {21, {16, 10}, {3, 9, 15}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        Pass p;
        p.slowdown(c.start, c.start + 2, 120);
        for (int i : c.taken) p.put(i, cell_kind::signal);
        p.run();
        EXPECT_EQ(p.marks(), c.marks);
        EXPECT_EQ(p.model.errorCode, c.code);
        EXPECT_EQ(p.model.errorPosition, c.code == 0 ? 0 : c.start * 50);
    }
}

TEST(CompletionPass, GroupMovesToItsNextCandidateOrFails) {
    Pass p;
    p.slowdown(100, 102, 120);
    p.slowdown(105, 107, 120);  // its first candidate, 100, is the other start
    p.run();
    EXPECT_EQ(p.at(99).kind, cell_kind::restriction);

    Pass blocked;
    for (int i : {93, 94, 95}) blocked.put(i, cell_kind::signal);
    blocked.slowdown(100, 102, 120);
    blocked.run();
    EXPECT_EQ(blocked.model.errorCode, 12);
    EXPECT_EQ(blocked.model.errorPosition, 5000);
    EXPECT_EQ(blocked.at(89).kind, cell_kind::restriction);  // the other groups go on
}

TEST(CompletionPass, IntervalMarksThroughASlowSlowdown) {
    Pass p;
    p.slowdown(200, 240, 105);
    p.run();
    EXPECT_EQ(p.marks(), (std::vector<int>{182, 189, 195, 208, 216, 224, 232, 239}));

    Pass fast;
    fast.slowdown(200, 240, 110);
    fast.run();
    EXPECT_EQ(fast.marks(), (std::vector<int>{182, 189, 195}));
}

TEST(CompletionPass, EmbeddedSlowdownAtThirteenKilometres) {
    Pass p(4500);
    p.put(247, cell_kind::slowdown_warning, 60);
    p.slowdown(271, 281, 60);
    for (int i = 243; i <= 246; ++i) p.put(i, cell_kind::slowdown_approach, static_cast<std::int16_t>(247 - i));
    p.run();
    EXPECT_EQ(p.marks(), (std::vector<int>{253, 260, 266, 279}));
    EXPECT_EQ(p.model.errorCode, 0);
}

TEST(CompletionPass, IntervalMarkMovesBackOrForward) {
    Pass back;
    back.slowdown(200, 230, 60);
    back.put(208, cell_kind::signal);
    back.run();
    // 207 instead of 208, and the next one 8 cells after it.
    EXPECT_EQ(back.at(207).kind, cell_kind::restriction);
    EXPECT_EQ(back.at(215).kind, cell_kind::restriction);

    Pass forward;
    forward.slowdown(200, 230, 60);
    forward.put(207, cell_kind::signal);
    forward.put(208, cell_kind::signal);
    forward.run();
    EXPECT_EQ(forward.at(209).kind, cell_kind::restriction);
    EXPECT_EQ(forward.at(217).kind, cell_kind::restriction);

    Pass after_end;  // end cell and the cell before it taken: the mark follows the end
    after_end.slowdown(200, 208, 60);
    after_end.put(207, cell_kind::signal);
    after_end.run();
    EXPECT_EQ(after_end.at(209).kind, cell_kind::restriction);

    Pass none;
    none.slowdown(200, 230, 60);
    for (int i : {207, 208, 209}) none.put(i, cell_kind::signal);
    none.run();
    EXPECT_EQ(none.model.errorCode, 13);
    EXPECT_EQ(none.model.errorPosition, 208 * 50);
    EXPECT_EQ(none.at(216).kind, 0);  // no further interval mark for it
}

TEST(CompletionPass, MarkBeforeTheFirstSignalAfterTheEnd) {
    Pass p;
    p.slowdown(200, 204, 120);
    p.put(209, cell_kind::signal);
    p.run();
    EXPECT_EQ(p.at(208).kind, cell_kind::restriction);

    Pass second;
    second.slowdown(200, 204, 120);
    second.put(209, cell_kind::signal);
    second.put(208, cell_kind::station_stop);
    second.run();
    EXPECT_EQ(second.at(207).kind, cell_kind::restriction);

    Pass failing;
    failing.slowdown(200, 204, 120);
    failing.put(209, cell_kind::signal);
    failing.put(208, cell_kind::station_stop);
    failing.put(207, cell_kind::station_stop);
    failing.run();
    EXPECT_EQ(failing.model.errorCode, 13);
    EXPECT_EQ(failing.model.errorPosition, 204 * 50);

    Pass too_far;
    too_far.slowdown(200, 204, 120);
    too_far.put(217, cell_kind::signal);
    too_far.run();
    EXPECT_EQ(too_far.at(216).kind, 0);
}

TEST(CompletionPass, SlowdownWithoutEndStopsAtTheLastCell) {
    Pass p;
    p.slowdown(990, 995, 60);
    p.at(995).kind = 0;  // its end was never placed
    p.run();
    EXPECT_EQ(p.model.errorCode, 0);
    EXPECT_EQ(p.at(998).kind, cell_kind::restriction);
    EXPECT_EQ(p.at(1000).kind, 0);

    Pass near_end;
    near_end.slowdown(992, 1000, 60);
    near_end.put(999, cell_kind::signal);
    near_end.run();
    EXPECT_EQ(near_end.model.errorCode, 13);  // no cell 1001 to move to
}

}  // namespace
}  // namespace scenario
