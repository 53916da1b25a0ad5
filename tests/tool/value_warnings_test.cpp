// The value warnings tell what the reader stores: each message against the
// bytes a compile writes for the same row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "compactor/binary_decoding.h"
#include "tool/authoring.h"

namespace scenario::tool {
namespace {

using scenario::testing::line_description;
using scenario::testing::train_description;
using testing::Author;
using testing::read_file;
using testing::write_file;

const std::vector<std::string> profiles{"velocita,   0,    100", "aderenza,   0,    90"};

struct Case {
    const char* row;  // a line description item, or a train row
    bool line;
    const char* message;
    int cell;  // the cell the row stores into
    std::int16_t RouteCell::*field;
    std::int64_t stored;
};

const Case cases[] = {
    {"indicatori_vmax,  1100,  155,  0,  0,  0,  8,  ,  ,  0", true,
     "rank A right-hand speed 8 km/h does not fit beside the left-hand one: the rank is stored as 155 * 20 + 8 / 5 "
     "= 3102, read back as 155 and 10 km/h",
     23, &RouteCell::data1, 3102},
    {"indicatori_vmax,  1100,  165,  0,  0,  0,  -8,  ,  ,  0", true,
     "rank A right-hand speed -8 km/h does not fit beside the left-hand one: the rank is stored as 165 * 20 + -8 / 5 "
     "= 3298, read back as 164 and 90 km/h",
     23, &RouteCell::data1, 3298},
    {"indicatori_vmax,  1100,  100,  100,  0,  0,  ,  7,  ,  0", true,
     "rank B right-hand speed 7 km/h does not fit beside the left-hand one: the rank is stored as 100 * 20 + 7 / 5 "
     "= 2001, read back as 100 and 5 km/h",
     23, &RouteCell::data2, 2001},
    {"indicatori_vmax,  1100,  140,  0,  0,  0,  100,  ,  ,  0", true,
     "rank A right-hand speed 100 km/h does not fit beside the left-hand one: the rank is stored as 140 * 20 + 100 / "
     "5 = 2820, read back as 141 and 0 km/h",
     23, &RouteCell::data1, 2820},
    {"rallentamento,   13500,    70000,  500, 0,  0,  0", false, "speed `70000` is stored in 16 bits as 4464", 271,
     &RouteCell::data1, 4464},
    {"abbattimento,   2000,    -70000", false, "", 40, &RouteCell::data1, 0},
    {"abbattimento,   2000,    70000", false, "value `70000` is stored in 16 bits as 4464", 40, &RouteCell::data1,
     4464},
};

TEST(ValueWarnings, TellWhatTheFilesHold) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        Author author;
        std::vector<std::string> train_rows = profiles;
        if (!c.line) train_rows.emplace_back(c.row);
        write_file(author.line,
                   line_description(20000, c.line ? std::vector<std::string>{c.row} : std::vector<std::string>{}));
        write_file(author.train, train_description(train_rows));

        const auto report = nlohmann::json::parse(author.compile(true).out);
        std::vector<std::string> messages;
        for (const auto& d : report["diagnostics"]) messages.push_back(d["message"]);
        EXPECT_EQ(messages,
                  std::string(c.message).empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});

        const std::vector<RouteCell> cells = decode_cells(read_file(author.out.file("Linea_T 1.dat")));
        ASSERT_GT(cells.size(), static_cast<std::size_t>(c.cell));
        EXPECT_EQ(cells[static_cast<std::size_t>(c.cell)].*c.field, c.stored);
    }
}

}  // namespace
}  // namespace scenario::tool
