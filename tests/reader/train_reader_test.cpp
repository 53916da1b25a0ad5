// The train half of the reading, after a small line description.
#include <gtest/gtest.h>

#include "io/file_system.h"
#include "support/description_files.h"

namespace scenario {
namespace {

using testing::crlf;
using testing::line_description;
using testing::ScenarioFolder;
using testing::train_description;

const std::string plain_line = line_description(218000, {});

struct TrainRun : ScenarioFolder {
    void run(const std::vector<std::string>& rows, const std::string& line = plain_line) {
        run_text(train_description(rows), line);
    }
    void run_text(const std::string& train, const std::string& line = plain_line) {
        write_line(line);
        write_train(train);
        read();
    }
    bool train_file_left() const { return file_exists(files.train_description()); }
    const RouteCell& at(int i) { return model.cell(i); }
};

const char* first_station = "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  15,47,30, Brenzola";

TEST(TrainReader, GeneralRecords) {
    TrainRun r;
    r.run({"numero vetture,    13", "percentuale massa frenata,    130", "sabbia,    200",
           "orologio,    15              47            30 "});
    ASSERT_EQ(r.model.errorCode, 0);
    EXPECT_EQ(r.model.records[84].long1, 130);
    EXPECT_EQ(r.model.records[84].long3, 13);
    EXPECT_EQ(r.model.records[86].int1, 200);
    EXPECT_EQ(r.model.records[86].int3, 15);
    EXPECT_EQ(r.model.records[86].int4, 47);
    EXPECT_EQ(r.model.records[86].int5, 30);
    EXPECT_FALSE(r.train_file_left());
}

TEST(TrainReader, KeywordMarkers) {
    TrainRun r;
    r.run({"PERCENTUALE MASSA FRENATA,    120", "percentuale massa,    99", "[stazioni]", "stray line", "a-b", "c-d",
           "e-f numero vetture,    9"});
    ASSERT_EQ(r.model.errorCode, 0);
    EXPECT_EQ(r.model.records[84].long1, 120);
    EXPECT_EQ(r.model.records[84].long3, 9);  // the third hyphenated field is tested
    EXPECT_EQ(r.model.records[1].long3, 0);

    // One field can match several markers: each reads its own values.
    TrainRun both;
    both.run({"sabbia vetture,    7,    150"});
    EXPECT_EQ(both.model.records[84].long3, 7);
    EXPECT_EQ(both.model.records[86].int1, 150);
}

TEST(TrainReader, SpeedAndAdhesionProfiles) {
    TrainRun r;
    r.run({"aderenza,   0,    90", "aderenza,   2000,    75", "velocita,   0,    30", "velocita,    1100,   125",
           "velocita,    2000,   127", "velocita,    3000,   155"});
    ASSERT_EQ(r.model.errorCode, 0);
    for (int i = 0; i <= 21; ++i) EXPECT_EQ(r.at(i).speedLimit, 6) << i;
    for (int i = 22; i <= 39; ++i) EXPECT_EQ(r.at(i).speedLimit, 25) << i;
    EXPECT_EQ(r.at(40).speedLimit, 25);  // 127 / 5 = 25.4
    EXPECT_EQ(r.at(60).speedLimit, 31);
    EXPECT_EQ(r.at(39).adhesion, 90);
    EXPECT_EQ(r.at(40).adhesion, 75);
    const int count = r.model.cellCount;
    EXPECT_EQ(r.at(count - 3).speedLimit, 31);
    EXPECT_EQ(r.at(count - 3).adhesion, 75);
    EXPECT_EQ(r.at(count - 2).speedLimit, 0);
    EXPECT_EQ(r.at(count - 2).adhesion, 0);
}

TEST(TrainReader, ProfileBeforeAFirstRecordNotAtZeroIsZero) {
    TrainRun r;
    r.run({"velocita,   1000,    100"});
    EXPECT_EQ(r.at(0).speedLimit, 0);
    EXPECT_EQ(r.at(19).speedLimit, 0);
    EXPECT_EQ(r.at(20).speedLimit, 20);
}

TEST(TrainReader, SpeedThatDoesNotFitAByteIsAFailure) {
    TrainRun r;
    r.run({"velocita,   0,    1278"});  // 255.6 rounds to 256
    EXPECT_EQ(r.model.errorCode, 25);
    EXPECT_FALSE(r.train_file_left());
}

TEST(TrainReader, GeneralValuesOutsideTheirFieldAreFailuresAtBothEnds) {
    struct Case {
        const char* row;
        std::int32_t code;
    };
    const Case cases[] = {
        {"sabbia, -32768", 0},
        {"sabbia, 32767", 0},
        {"sabbia, -32769", 25},
        {"sabbia, 32768", 25},
        {"numero vetture, -2147483648", 0},
        {"numero vetture, 2147483647", 0},
        {"numero vetture, -2147483649", 25},
        {"numero vetture, 2147483648", 25},
    };
    for (const Case& c : cases) {
        TrainRun r;
        r.run({c.row, "velocita, 0, 100", "aderenza, 0, 90"});
        EXPECT_EQ(r.model.errorCode, c.code) << c.row;
    }
}

TEST(TrainReader, PositionBeyondTheRouteEndsTheReading) {
    TrainRun r;
    // cellCount 4500: 224900 is the last accepted position.
    r.run({"velocita,   0,    100", "velocita,   224901,    50", "sabbia,    7"});
    EXPECT_EQ(r.model.errorCode, 15);
    EXPECT_EQ(r.model.errorPosition, 224901);
    EXPECT_EQ(r.model.records[86].int1, 0);
    EXPECT_EQ(r.at(4497).speedLimit, 20);  // the last accepted speed completes the profile
    EXPECT_FALSE(r.train_file_left());
}

TEST(TrainReader, StationsAndTheirExtents) {
    TrainRun r;
    r.run({first_station, "stazione,  12200, 24,  400,  0, 1, 1,  1,1,0,  4,1,1,   60,  16, 8, 0, Zaldia",
           "stazione,  20000, 28,  400,  0, 1, 1,  0,0,0,  0,0,0,    0,   0, 0, 0, Bivio Nord",
           "stazione,  213950,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  17,39, 0, Ostrevo"});
    ASSERT_EQ(r.model.errorCode, 0);
    const ScenarioRecord& s1 = r.model.records[1];
    EXPECT_EQ(s1.tag, 8);
    EXPECT_EQ(s1.long1, -500);
    EXPECT_EQ(s1.long2, 500);
    EXPECT_EQ(s1.long3, 0);
    EXPECT_EQ(s1.long4, (15 * 60 + 47) * 60 + 30);
    EXPECT_EQ(s1.byte1, 1);
    EXPECT_EQ(s1.byte4, 0);
    EXPECT_EQ(s1.byte5, 0);
    EXPECT_EQ(s1.int1, 4);
    EXPECT_EQ(s1.int3, 2);
    EXPECT_EQ(s1.byte3, 1);
    EXPECT_EQ(s1.text, "Brenzola");
    EXPECT_EQ(r.at(9).kind, cell_kind::station_stop);
    EXPECT_EQ(r.at(9).data1, 1);
    EXPECT_EQ(r.at(8).approachCode, 81);
    EXPECT_EQ(r.at(5).approachCode, 84);

    const ScenarioRecord& s2 = r.model.records[2];
    EXPECT_EQ(s2.long1, 12000);
    EXPECT_EQ(s2.long2, 12450);
    EXPECT_EQ(s2.byte4, 1);
    EXPECT_EQ(s2.byte5, 0);  // shorter than 600 m
    EXPECT_EQ(s2.byte3, 60);
    EXPECT_EQ(r.at(248).kind, cell_kind::station_stop);
    EXPECT_EQ(r.at(248).data1, 2);
    EXPECT_EQ(r.at(247).approachCode, 81);

    const ScenarioRecord& s3 = r.model.records[3];  // kind 28: no cells
    EXPECT_EQ(s3.long1, 19800);
    EXPECT_EQ(s3.long2, 20250);  // end extension
    EXPECT_EQ(r.at(403).kind, 0);
    EXPECT_EQ(r.at(402).approachCode, 0);

    const ScenarioRecord& s4 = r.model.records[4];  // kind 6: 150 m beyond, no approach codes
    EXPECT_EQ(s4.long1, 213450);
    EXPECT_EQ(s4.long2, 214100);
    EXPECT_EQ(r.at(4281).kind, cell_kind::station_stop);
    EXPECT_EQ(r.at(4280).approachCode, 0);
    EXPECT_EQ(s4.text, "Ostrevo");
}

TEST(TrainReader, StationSpacing) {
    TrainRun apart;  // the first ends at 200, the second starts at 800
    apart.run({"stazione,  0,  24,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, A",
               "stazione,  1000,  24,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, B"});
    EXPECT_EQ(apart.model.errorCode, 0);

    TrainRun r300;
    r300.run({first_station, "stazione,  1000,  24,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, B"});
    EXPECT_EQ(r300.model.errorCode, 22);  // starts at 800, 300 m after 500
    EXPECT_EQ(r300.model.errorPosition, 1000);
    EXPECT_EQ(r300.at(23).kind, cell_kind::station_stop);  // the cells were already written
    EXPECT_FALSE(r300.train_file_left());

    TrainRun r350;
    r350.run({first_station, "stazione,  1050,  24,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, B"});
    EXPECT_EQ(r350.model.errorCode, 0);
}

TEST(TrainReader, StationCodes) {
    struct Case {
        const char* row;
        std::int32_t code;
        std::int32_t position;
    };
    const Case cases[] = {
        {"stazione,  1025,  24,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, X", 8, 1025},
        {"stazione,  1000,  24,  450,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, X", 9, 1000},
        {"stazione,  0,  24,  200,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, X", 24, -1},
        {"stazione,  224250,  24,  200,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, X", 15, 224250},
        {"stazione,  1000,  300,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, X", 25, -1},
    };
    for (const Case& c : cases) {
        TrainRun r;
        r.model.errorPosition = -1;
        r.run({c.row, "sabbia,  5"});
        EXPECT_EQ(r.model.errorCode, c.code) << c.row;
        if (c.code != 25) {
            EXPECT_EQ(r.model.errorPosition, c.position) << c.row;
        }
        EXPECT_FALSE(r.train_file_left()) << c.row;
    }
    TrainRun accepted;  // (224100 + 800) / 50 = 4498: within the route
    accepted.run({"stazione,  224100,  28,  200,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, X"});
    EXPECT_EQ(accepted.model.errorCode, 0);
}

TEST(TrainReader, StationTableFullAgainstTheSigns) {
    std::vector<std::string> signs;
    signs.reserve(20);
    for (int i = 0; i < 20; ++i) signs.push_back("cartello_indicatore,  " + std::to_string(100 + 50 * i) + ",   (S)");
    std::vector<std::string> stations;
    stations.reserve(60);
    for (int i = 0; i < 60; ++i) {
        stations.push_back("stazione,  " + std::to_string(2000 + 1000 * i) +
                           ",  28,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, S" + std::to_string(i + 1));
    }
    TrainRun r;
    r.run(stations, line_description(218000, signs));
    EXPECT_EQ(r.model.errorCode, 10);
    EXPECT_EQ(r.model.records[58].text, "S58");
    EXPECT_EQ(r.model.records[59].text, "S59");  // the station that filled the table
    EXPECT_EQ(r.model.records[60].text, "");
    EXPECT_EQ(r.model.records[61].text, "(S)");
}

TEST(TrainReader, RestrictionMarks) {
    TrainRun r;
    r.run({"abbattimento,  1050,  60", "abbattimento,  2000,  0"},
          line_description(218000, {"montagna,  900,  1500,  11"}));
    ASSERT_EQ(r.model.errorCode, 0);
    EXPECT_EQ(r.at(21).kind, cell_kind::restriction);  // was a mountain marker
    EXPECT_EQ(r.at(21).data1, 60);
    EXPECT_EQ(r.at(40).kind, cell_kind::restriction_without_speed);

    TrainRun on_signal;
    on_signal.run({"segnale,    950,   2, 4, 0,  0, 0,    0,  0,0,0, 0", "abbattimento,  1000,  60"});
    EXPECT_EQ(on_signal.model.errorCode, 7);
    EXPECT_EQ(on_signal.model.errorPosition, 1000);
}

TEST(TrainReader, RecorderRefusalsEndTheReading) {
    TrainRun signal;
    signal.run({"segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                "segnale,    1060,   2, 4, 1,  1, 0,    2,  2,1,1, 0", "sabbia,  5"});
    EXPECT_EQ(signal.model.errorCode, 16);
    EXPECT_EQ(signal.model.errorPosition, 1060);
    EXPECT_EQ(signal.model.records[86].int1, 0);
    EXPECT_EQ(signal.at(0).speedLimit, 0);  // the profiles are not completed
    EXPECT_FALSE(signal.train_file_left());

    TrainRun slowdown;
    slowdown.run(
        {"segnale,    13500,   2, 4, 1,  1, 0,    2,  2,1,1, 0", "rallentamento,   13500,    60,  500, 0,  1,  60"});
    EXPECT_EQ(slowdown.model.errorCode, 18);
    EXPECT_EQ(slowdown.model.errorPosition, 13500);
}

TEST(TrainReader, LineCodeFifteenEndsAtTheFirstSignal) {
    TrainRun r;
    r.run({"sabbia,  5", "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0", "numero vetture,  9"},
          line_description(20000, {"pendenza,  90000,  1"}));
    EXPECT_EQ(r.model.errorCode, 15);
    EXPECT_EQ(r.model.errorPosition, 1050);
    EXPECT_EQ(r.model.records[86].int1, 5);
    EXPECT_EQ(r.model.records[84].long3, 0);
}

TEST(TrainReader, KilometreBreakCheckAfterTheReading) {
    TrainRun r;
    r.run({"velocita,   0,    100", "velocita,   300000,    50"},
          line_description(218000, {}, {"progressiva chilometrica uno,    180350,    -180325,    0"}));
    EXPECT_EQ(r.model.errorCode, 2);  // replaces the 15 of the speed row
    EXPECT_EQ(r.model.errorPosition, 300000);
}

TEST(TrainReader, MissingOrHeaderlessTrainFile) {
    TrainRun missing;
    missing.write_line(plain_line);
    missing.read();
    EXPECT_EQ(missing.model.errorCode, 25);
    EXPECT_FALSE(file_exists(missing.files.line_description()));

    TrainRun headerless;
    headerless.run_text(crlf({"sabbia,  5", "velocita,  0,  100"}));
    EXPECT_EQ(headerless.model.errorCode, 0);
    EXPECT_EQ(headerless.model.records[86].int1, 0);
    EXPECT_EQ(headerless.at(0).speedLimit, 0);

    TrainRun keyword_last;  // a keyword that is the last field is not read
    keyword_last.run_text(crlf({"[generale]", "sabbia,  5", "numero vetture"}));
    EXPECT_EQ(keyword_last.model.errorCode, 0);
    EXPECT_EQ(keyword_last.model.records[86].int1, 5);

    TrainRun values_last;  // values may be the last fields of a file without a final line end
    values_last.run_text("[generale]\r\nsabbia,  5");
    EXPECT_EQ(values_last.model.records[86].int1, 5);
}

}  // namespace
}  // namespace scenario
