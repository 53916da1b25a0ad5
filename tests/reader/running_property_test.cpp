// A running property fills the cells row by row: which cells each row's
// pending value reaches, and where the fill stops.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "model/read_fault.h"
#include "reader/running_property.h"

namespace scenario {
namespace {

// The gradient bytes of cells 0 to cellCount, one character each: '.' for a
// cell never written, otherwise the value written.
std::string gradients(const RouteModel& model) {
    std::string out;
    for (const RouteCell& c : model.cells) out += c.gradient == 0 ? '.' : static_cast<char>(c.gradient);
    return out;
}

// Stores a value as its own byte; 'x' does not fit.
std::uint8_t byte(std::int32_t value) {
    if (value == 'x') throw ReadFault(Fault::value_out_of_range, "x does not fit");
    return static_cast<std::uint8_t>(value);
}

// One row as the readers take it: the value pending so far fills up to the
// row's cell (excluded), then the row's value becomes pending.
struct Row {
    std::int64_t at;
    char value;
};

TEST(RunningProperty, EachRowFillsUpToItsCellThenTheRestFollows) {
    struct Case {
        const char* what;
        std::vector<Row> rows;
        std::optional<std::int64_t> last_fillable;
        const char* cells;  // cells 0 to 10 after the rows and the rest; 's' the start value
    } const cases[] = {
        {"rows in order", {{3, 'a'}, {6, 'b'}}, {}, "sssaaabb..."},
        {"a row at the cell already reached", {{3, 'a'}, {3, 'b'}}, {}, "sssabbbb..."},
        {"a row at a cell already passed", {{5, 'a'}, {2, 'b'}}, {}, "sssssabb..."},
        {"a first row at cell 0 still writes one", {{0, 'a'}}, {}, "saaaaaaa..."},
        {"the fill stops short of the last fillable cell", {{20, 'a'}}, 4, "ssssaaaa..."},
        {"the rest always writes one cell", {{9, 'a'}}, {}, "sssssssssa."},
    };
    for (const Case& c : cases) {
        RouteModel model;
        model.create_cells(10);
        model.cellCount = 10;
        RunningProperty property(model, byte, &RouteCell::gradient, c.last_fillable);
        property.set_pending('s');
        for (const Row& row : c.rows) {
            property.fill_up_to(row.at);
            property.set_pending(row.value);
        }
        property.fill_rest();
        EXPECT_EQ(gradients(model), c.cells) << c.what;
    }
}

TEST(RunningProperty, AFillBeyondTheTableIsAFaultNotAWrite) {
    RouteModel model;
    model.create_cells(4);
    model.cellCount = 4;
    RunningProperty property(model, byte, &RouteCell::gradient);
    property.set_pending('a');
    try {
        property.fill_up_to(9);
        FAIL() << "filled beyond cell 4";
    } catch (const ReadFault& e) {
        EXPECT_EQ(e.kind(), Fault::cell_outside_route);
        EXPECT_EQ(std::string(e.what()), "route cell 5 is outside cells 0 to 4");
    }
    EXPECT_EQ(gradients(model), "aaaaa");
}

TEST(RunningProperty, BeforeAnyRouteLengthNothingIsWritten) {
    RouteModel model;
    RunningProperty property(model, byte, &RouteCell::gradient);
    try {
        property.fill_up_to(3);
        FAIL() << "wrote cells that do not exist";
    } catch (const ReadFault& e) {
        EXPECT_EQ(e.kind(), Fault::no_route_length);
    }
}

// A value that does not fit fails where it is first written, once the cell
// is found: nothing is written, and with no cells the missing route length
// is told first.
TEST(RunningProperty, AValueThatDoesNotFitFailsAtItsFirstCell) {
    struct Case {
        const char* what;
        int cells;  // -1: no route length read
        bool rest;  // fill_rest() rather than fill_up_to(3)
        Fault fault;
        const char* written;
    } const cases[] = {
        {"row by row", 4, false, Fault::value_out_of_range, "sa..."},
        {"the rest", 4, true, Fault::value_out_of_range, "sa..."},
        {"before any route length", -1, false, Fault::no_route_length, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RouteModel model;
        if (c.cells >= 0) {
            model.create_cells(c.cells);
            model.cellCount = c.cells;
        }
        RunningProperty property(model, byte, &RouteCell::gradient);
        property.set_pending('s');
        if (c.cells >= 0) property.fill_up_to(1);
        property.set_pending('a');
        if (c.cells >= 0) property.fill_up_to(2);
        property.set_pending('x');
        try {
            if (c.rest) {
                property.fill_rest();
            } else {
                property.fill_up_to(3);
            }
            FAIL() << "stored a value that does not fit";
        } catch (const ReadFault& e) {
            EXPECT_EQ(e.kind(), c.fault);
        }
        EXPECT_EQ(gradients(model), c.written);
    }
}

}  // namespace
}  // namespace scenario
