// scenario-tool dump: every value of the program's files comes back and
// re-encodes to the same bytes; rows are selected by range, kind and step;
// what is not a file of its kind, and output that cannot be written, are
// refused at once with the reason.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <numeric>
#include <random>
#include <sstream>

#include <nlohmann/json.hpp>

#include "compactor/binary_decoding.h"
#include "compactor/binary_files.h"
#include "compactor/file_layout.h"
#include "tool/authoring.h"
#include "tool/base/compaction.h"
#include "tool/base/display_text.h"
#include "tool/binary/record_view.h"

namespace scenario::tool {
namespace {

using testing::Outcome;
using testing::quoted;
using testing::read_file;
using testing::TempFolder;
using testing::write_file;
using Json = nlohmann::json;

std::vector<Json> json_lines(const std::string& text) {
    std::vector<Json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(Json::parse(line));
    return lines;
}

DumpOptions options(const std::string& file, bool json = false) {
    DumpOptions o;
    o.file = file;
    o.json = json;
    return o;
}

// UTF-8 as dump shows it back to the single bytes of the files.
std::string single_bytes(const std::string& shown) {
    std::string bytes;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto c = static_cast<unsigned char>(shown[i]);
        if (c >= 0xC2 && c <= 0xC3 && i + 1 < shown.size()) {
            bytes += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(shown[++i]) & 0x3F));
        } else {
            bytes += shown[i];
        }
    }
    return bytes;
}

// "hh:mm:ss", each part a number of its own, possibly negative.
std::array<std::int64_t, 3> clock_parts(const std::string& clock) {
    std::array<std::int64_t, 3> parts{};
    std::istringstream in(clock);
    char colon = 0;
    in >> parts[0] >> colon >> parts[1] >> colon >> parts[2];
    return parts;
}

void set_field(ScenarioRecord& r, std::string_view name, const Json& value) {
    bool found = false;
    layout::record_fields(r, [&]<typename Field>(const char* field_name, Field& field) {
        if (name != field_name) return;
        found = true;
        if constexpr (std::is_same_v<Field, std::string>) {
            field = single_bytes(value.get<std::string>());
        } else {
            field = static_cast<Field>(value.get<std::int64_t>());
        }
    });
    ASSERT_TRUE(found) << name;
}

// A record back from its JSON row: named values into their fields, other
// fields under their own names.
ScenarioRecord record_from(const Json& row) {
    ScenarioRecord r;
    const std::string item_name = row["item"];
    const auto items = record_items();
    const auto item =
        std::find_if(items.begin(), items.end(), [&](RecordItem i) { return record_item_name(i) == item_name; });
    EXPECT_NE(item, items.end()) << item_name;
    std::vector<std::string> used{"index", "offset", "item", "km"};
    for (const NamedField& named : named_fields(*item)) {
        used.push_back(named.name);
        const Json& value = row.at(named.name);
        if (named.shown == Shown::clock) {
            const std::string clock = value;
            const bool negative = clock[0] == '-';
            const auto p = clock_parts(negative ? clock.substr(1) : clock);
            const std::int64_t seconds = p[0] * 3600 + p[1] * 60 + p[2];
            set_field(r, named.fields[0], negative ? -seconds : seconds);
        } else if (named.shown == Shown::clock_parts) {
            const auto p = clock_parts(value);
            for (int i = 0; i < 3; ++i)
                set_field(r, named.fields[static_cast<std::size_t>(i)], p[static_cast<std::size_t>(i)]);
        } else {
            set_field(r, named.fields[0], value);
        }
    }
    for (const auto& [name, value] : row.items()) {
        if (std::find(used.begin(), used.end(), name) == used.end()) set_field(r, name, value);
    }
    return r;
}

using EmbeddedScenario = testing::CompiledEmbeddedScenario;

TEST_F(EmbeddedScenario, RecordsReencodeFromTheirNamedValuesToTheSameBytes) {
    DumpOptions all = options(sim(), true);
    all.all = true;
    const Outcome r = testing::dump(all);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = json_lines(r.out);
    ASSERT_EQ(rows.size(), 87u);
    std::string bytes;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i]["index"], i);
        EXPECT_EQ(rows[i]["offset"], bytes.size());
        const ScenarioRecord back = record_from(rows[i]);
        EXPECT_EQ(back, model().records[i]);
        encode_record(bytes, back);
    }
    EXPECT_EQ(bytes, read_file(sim()));
}

TEST_F(EmbeddedScenario, CellsReencodeToTheSameBytes) {
    const Outcome r = testing::dump(options(dat(), true));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = json_lines(r.out);
    ASSERT_EQ(rows.size(), model().cells.size());
    std::string bytes;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Json& j = rows[i];
        RouteCell back;
        layout::cell_fields(back, [&j](const char* name, auto& field) { field = j[name]; });
        encode_cell(bytes, back);
        ASSERT_EQ(j["from"], 50 * i);
        ASSERT_EQ(j["to"], 50 * i + 50);
        ASSERT_EQ(j["item"], back.kind == cell_kind::empty ? Json(nullptr) : Json(kind_name(back.kind))) << i;
    }
    EXPECT_EQ(bytes, read_file(dat()));
}

TEST_F(EmbeddedScenario, PlanGeometryReencodesToTheSameBytes) {
    const Outcome r = testing::dump(options(geometry(), true));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = json_lines(r.out);
    Track back;
    back.create(static_cast<std::int32_t>(rows.size()) - 1);
    for (std::size_t m = 0; m < rows.size(); ++m) {
        const Json& j = rows[m];
        ASSERT_EQ(j["metre"], m);
        ASSERT_FALSE(j.contains("yTag")) << m;
        const auto tag = static_cast<TrackTag>(j["tag"].get<int>());
        for (int c : {Track::x, Track::y}) {
            const Json& v = j[c == Track::x ? "x" : "y"];
            if (tag == TrackTag::int16) back.set_int16(static_cast<std::int64_t>(m), c, v.get<std::int16_t>());
            if (tag == TrackTag::real) back.set_real(static_cast<std::int64_t>(m), c, v.get<double>());
        }
    }
    TempFolder folder;
    write_line_geometry(back, folder.file("back_linea.dat"));
    EXPECT_EQ(read_file(folder.file("back_linea.dat")), read_file(geometry()));
}

TEST_F(EmbeddedScenario, TextRowsSayWhatEachElementIs) {
    struct Case {
        std::string file;
        std::string row;
    };
    const Case cases[] = {
        {sim(), "record   offset  item             values"},
        {sim(),
         "    18      780  station          name=\"Tavigna\"  kind=12  position=128450  km=128.450  start=128200  "
         "end=128750  time=16:47:15  flag1=0  flag2=0  extend50=1  code1=1  code2=1  code3=0  code4=4  code5=1  "
         "code6=1  code7=60"},
        {sim(),
         "    24     1046  station          name=\"Ombrisca\"  kind=24  position=201300  km=184.900  "
         "start=201100  end=201500  time=17:29:15  flag1=0  flag2=0  extend50=0  code1=1  code2=1  code3=0  "
         "code4=2  code5=1  code6=1  code7=0"},
        {sim(), "    80     3352  sign             lettering=\"(Cippo )(  Km  )(11+000)\""},
        {sim(), "    82     3444  kilometre break  from=180350  readingOffset=-180350  flag=0"},
        {sim(), "    84     3512  sizes            brakedMass=130  routeLength=218000  coaches=13"},
        {sim(),
         "    85     3546  identity         title=\"Valcorvina\"  backgroundOne=1  backgroundTwo=0  "
         "backgroundThree=0  marker=610  code=32242"},
        {sim(),
         "    86     3590  repetition       trainCode=\"IC 318\"  firstPosition=2100  secondPosition=211050  "
         "codes=4  sand=200  startClock=15:47:30"},
        {dat(),
         "cell    from      to  kind   data1   data2   data3   data4  data5  approachCode  mountainType  "
         "speedLimit  gradient  adhesion  item"},
        {dat(),
         "  22    1100    1150     1      42      11      11       8      0             0             0"
         "          25        89        90  signal"},
        {geometry(), " metre               x               y  tag"},
        {geometry(), "  1353          -0.001        1353.000  5"},
        {geometry(), "224999               -               -  0"},
    };
    std::map<std::string, std::string> out;
    for (const std::string& f : {sim(), dat(), geometry()}) out[f] = "\n" + testing::dump(f).out;
    for (const Case& c : cases) EXPECT_NE(out[c.file].find("\n" + c.row + "\n"), std::string::npos) << c.row;
}

TEST_F(EmbeddedScenario, SelectionsPickTheirRows) {
    struct Case {
        std::string file;
        std::string from;
        std::string to;
        std::vector<std::string> kinds;
        std::size_t every;
        bool all;
        std::vector<std::int64_t> rows;  // record or cell indexes, or metres
    };
    std::vector<std::int64_t> filled;  // the records that are not empty
    for (int i = 1; i <= 25; ++i) filled.push_back(i);
    for (int i = 61; i <= 82; ++i) filled.push_back(i);
    for (int i = 84; i <= 86; ++i) filled.push_back(i);
    std::vector<std::int64_t> every_record(87);
    std::iota(every_record.begin(), every_record.end(), 0);
    const Case cases[] = {
        {geometry(), "500", "502", {}, 1, false, {500, 501, 502}},
        {geometry(), "100m", "130m", {}, 10, false, {100, 110, 120, 130}},
        {geometry(), "224999", "", {}, 1, false, {224999, 225000}},
        // Readings 14.000 to 14.002 come twice: before the first break and
        // between the two.
        {geometry(), "14km", "14.002km", {}, 1, false, {14000, 14001, 14002, 194350, 194351, 194352}},
        {dat(), "1100", "1150", {}, 1, false, {22, 23}},
        {dat(), "", "3000", {"signal"}, 1, false, {22, 52}},
        {dat(), "1.1km", "1.16km", {"speed-limit_board", "1"}, 1, false, {22, 23}},
        {sim(), "", "", {}, 1, false, filled},
        {sim(), "", "", {}, 1, true, every_record},
        {sim(), "", "", {"Kilometre-Break"}, 1, false, {81, 82}},
        {sim(), "", "", {"station"}, 10, false, {1, 11, 21}},
        {sim(), "128.3km", "128.3km", {}, 1, false, {18}},
        {sim(), "0km", "0.1km", {}, 1, false, {1, 23, 82}},
    };
    for (const Case& c : cases) {
        DumpOptions o = options(c.file, true);
        o.from = c.from;
        o.to = c.to;
        o.kinds = c.kinds;
        o.every = c.every;
        o.all = c.all;
        SCOPED_TRACE(c.file + " " + c.from + " " + c.to);
        const Outcome r = testing::dump(o);
        ASSERT_EQ(r.status, 0) << r.err;
        std::vector<std::int64_t> rows;
        for (const Json& j : json_lines(r.out)) rows.push_back(j.contains("metre") ? j["metre"] : j["index"]);
        EXPECT_EQ(rows, c.rows);
    }
}

TEST_F(EmbeddedScenario, LengthsThatDoNotFitAreRefusedAtTheirOffset) {
    struct Case {
        std::string name;
        std::string bytes;
        std::string error;
    };
    const std::string sim = read_file(EmbeddedScenario::sim());
    const std::string dat = read_file(EmbeddedScenario::dat());
    const std::string geometry = read_file(EmbeddedScenario::geometry());
    const Case cases[] = {
        {"cut.sim", sim.substr(0, sim.size() - 1), "the file ends inside record 86 (at byte 3606)"},
        {"header.sim", sim.substr(0, 40), "the file ends inside record 1 (at byte 34)"},
        {"long.sim", sim + "x", "bytes follow the 87th record (at byte 3630)"},
        {"empty.sim", "", "the file ends inside record 0 (at byte 0)"},
        {"cut.dat", dat.substr(0, dat.size() - 1), "the file ends inside a cell (at byte 67500)"},
        {"long.dat", dat + "x", "the file ends inside a cell (at byte 67515)"},
        {"cut_linea.dat", geometry.substr(0, geometry.size() - 3), "the file ends inside a type tag (at byte 4499960)"},
        {"value_linea.dat", geometry.substr(0, geometry.size() - 9),
         "the file ends inside a double value (at byte 4499952)"},
        {"long_linea.dat", geometry + "x", "the file ends inside a type tag (at byte 4499964)"},
        {"odd_linea.dat", geometry + std::string(2, '\0'), "the x and y halves differ in length (at byte 4499966)"},
        {"tag_linea.dat", geometry.substr(0, 4) + std::string("\x07\x00", 2) + geometry.substr(6),
         "unknown type tag 7 (at byte 4)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file(c.name);
        write_file(path, c.bytes);
        const Outcome r = testing::dump(path);
        EXPECT_EQ(r.status, exit_status::bad_data);
        EXPECT_EQ(r.err, path + ": cannot decode: " + c.error + "\n");
        EXPECT_EQ(r.out, "");
        const Outcome j = testing::dump(path, true);
        const auto error = Json::parse(j.out);
        EXPECT_EQ(error["error"], c.error);
        EXPECT_EQ(error["file"], path);
    }
}

TEST_F(EmbeddedScenario, AnyBytesAreDecodedOrRefusedNeverOverrun) {
    // Real files with bytes changed here and there, and short runs of noise:
    // every one decodes or is refused, and the sanitizers watch the reads.
    std::mt19937 random(12345);
    const std::string sim = read_file(EmbeddedScenario::sim());
    const std::string dat = read_file(EmbeddedScenario::dat());
    TempFolder folder;
    for (int round = 0; round < 300; ++round) {
        const bool records = round % 3 == 0;
        std::string bytes;
        if (round % 2 == 0) {
            bytes = records ? sim : dat.substr(0, std::size_t{15} * 40);
            for (int i = 0; i < 4; ++i) bytes[random() % bytes.size()] = static_cast<char>(random());
            bytes.resize(random() % (bytes.size() + 20), '\xFF');
        } else {
            bytes.resize(random() % 64);
            for (char& b : bytes) b = static_cast<char>(random() % 8);  // mostly small tags and lengths
        }
        const char* names[] = {"x.sim", "x.dat", "x_linea.dat"};
        const std::string path = folder.file(names[records ? 0 : round % 3]);
        write_file(path, bytes);
        const Outcome r = testing::dump(path, round % 4 == 1);
        ASSERT_TRUE(r.status == 0 ||
                    (r.status == exit_status::bad_data && r.err.find("cannot decode") != std::string::npos))
            << round << ": " << r.err;
    }
}

TEST(DumpInput, WhatIsNotARegularFileOfItsSizeIsRefusedAtOnce) {
    TempFolder folder;
    const std::string fifo = folder.file("fifo.sim");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string zero = folder.file("zero_linea.dat");
    std::filesystem::create_symlink("/dev/zero", zero);
    const std::string big = folder.file("big.dat");
    write_file(big, "");
    std::filesystem::resize_file(big, largest_file_size(BinaryFile::cells) + 1);  // sparse: no disk taken
    std::filesystem::create_directory(folder.file("folder.sim"));
    struct Case {
        std::string path;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {fifo, exit_status::no_input, fifo + ": is not a regular file\n"},
        {zero, exit_status::no_input, zero + ": is not a regular file\n"},
        {folder.file("folder.sim"), exit_status::no_input, folder.file("folder.sim") + ": is a folder\n"},
        {folder.file("missing.sim"), exit_status::no_input, folder.file("missing.sim") + ": does not exist\n"},
        {big, exit_status::bad_data,
         big + ": cannot decode: it holds 302116 bytes, and the largest route cells file is 302115 bytes\n"},
    };
    for (const Case& c : cases) {
        const Outcome r = testing::dump(c.path);
        EXPECT_EQ(r.status, c.status) << c.path;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
}

TEST(DumpCommandLine, SelectionsThatCannotBeMetAreUsageErrors) {
    TempFolder folder;
    struct Case {
        std::string file;
        std::string from;
        std::string to;
        std::vector<std::string> kinds;
        std::size_t every;
        std::string error;
    };
    const std::string geometry = folder.file("alone_linea.dat");
    const std::string sim = folder.file("x.sim");
    const Case cases[] = {
        {sim, "5 km", "", {}, 1, ""},  // accepted
        {sim,
         "1.2345km",
         "",
         {},
         1,
         "--from '1.2345km' is neither metres (500000 or 500000m) nor a kilometre reading (92.5km)"},
        {sim, "", "12.5", {}, 1, "--to '12.5' is neither metres (500000 or 500000m) nor a kilometre reading (92.5km)"},
        {sim, "200", "100", {}, 1, "--from 200 lies beyond --to 100"},
        {sim, "1km", "2000", {}, 1, "--from and --to must both be metres or both kilometre readings"},
        {sim,
         "",
         "",
         {"tunnel"},
         1,
         "--kind 'tunnel' is no kind of record; the kinds are station, sign, "
         "kilometre break, sizes, identity, repetition, unused, empty"},
        {sim, "", "", {}, 0, "--every must be 1 or more"},
        {geometry, "", "", {"signal"}, 1, "--kind selects records or cells; the plan geometry has none"},
        {geometry,
         "1km",
         "",
         {},
         1,
         "a kilometre reading needs the kilometre-point breaks: give the scenario records "
         "with --sim FILE.sim"},
        {"-", "", "", {}, 1, "standard input needs --as sim, --as dat or --as geometry"},
        {"x.txt",
         "",
         "",
         {},
         1,
         "cannot tell what 'x.txt' holds: its name must end in .sim, .dat or _linea.dat, or give --as "
         "sim|dat|geometry"},
    };
    write_file(geometry, std::string("\x00\x00\x00\x00", 4));
    write_file(sim, std::string(record_count * layout::record_size_without_text, '\0'));
    for (const Case& c : cases) {
        DumpOptions o = options(c.file);
        o.from = c.from;
        o.to = c.to;
        o.kinds = c.kinds;
        o.every = c.every;
        try {
            testing::dump(o);
            EXPECT_EQ(c.error, "") << "accepted";
        } catch (const UsageError& e) {
            EXPECT_EQ(e.what(), c.error);
        }
    }
}

// A stream whose every write fails as a full disk does.
class FullDevice : public std::streambuf {
protected:
    std::streamsize xsputn(const char*, std::streamsize) override {
        errno = ENOSPC;
        return 0;
    }
    int overflow(int) override {
        errno = ENOSPC;
        return traits_type::eof();
    }
};

TEST_F(EmbeddedScenario, OutputThatCannotBeWrittenStopsWithTheReason) {
    FullDevice device;
    std::ostream full(&device);
    std::ostringstream err;
    EXPECT_EQ(dump_command(options(sim()), full, err), exit_status::cannot_write);
    EXPECT_EQ(err.str(), "scenario-tool: cannot write the dump: No space left on device\n");

    // The built tool, whose standard output is a full device or a pipe whose
    // reader has gone: a failed write, never a death by signal.
    TempFolder work;
    const std::string status = work.file("status");
    const std::string errors = work.file("err");
    const std::string tool = quoted(TOOL_PATH);
    const std::string other = work.file("other.sim");
    std::string changed = read_file(sim());
    changed[40] = 'X';
    write_file(other, changed);
    struct Case {
        std::string command;
        std::string err;
    };
    const Case cases[] = {
        {tool + " dump " + quoted(geometry()) + " >/dev/full", "cannot write the dump: No space left on device"},
        {tool + " diff " + quoted(sim()) + " " + quoted(other) + " >/dev/full",
         "cannot write the differences: No space left on device"},
        {"(" + tool + " dump " + quoted(geometry()) + "; echo $? >" + quoted(status) + ") | true",
         "cannot write the dump: Broken pipe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        write_file(status, "");
        const int raw =
            std::system(("(" + c.command + ") 2>" + quoted(errors) + "; echo $? >>" + quoted(status)).c_str());
        ASSERT_NE(raw, -1);
        std::istringstream statuses(read_file(status));
        int first = -1;
        statuses >> first;
        EXPECT_EQ(first, exit_status::cannot_write);
        EXPECT_EQ(read_file(errors), "scenario-tool: " + c.err + "\n");
    }
}

TEST_F(EmbeddedScenario, StandardInputIsReadLikeTheFile) {
    TempFolder work;
    const std::string tool = quoted(TOOL_PATH);
    const std::string expected = testing::dump(dat()).out;
    const Outcome redirected = testing::run_tool("dump - --as dat < " + quoted(dat()), work.path().string());
    EXPECT_EQ(redirected.status, 0) << redirected.err;
    EXPECT_EQ(redirected.out, expected);
    const std::string out = work.file("out");
    const std::string err = work.file("err");
    const int raw = std::system(("cat " + quoted(geometry()) + " | " + tool +
                                 " dump - --as geometry --from 1350 --to 1351 >" + quoted(out) + " 2>" + quoted(err))
                                    .c_str());
    EXPECT_EQ(WEXITSTATUS(raw), 0) << read_file(err);
    EXPECT_EQ(read_file(out),
              " metre               x               y  tag\n"
              "  1350           0.000        1350.000  5\n"
              "  1351           0.000        1351.000  5\n");
    // Endless input is refused once it is longer than any file of its kind.
    const int endless = std::system(
        ("head -c 4000000 /dev/zero | " + tool + " dump - --as sim >" + quoted(out) + " 2>" + quoted(err)).c_str());
    EXPECT_EQ(WEXITSTATUS(endless), exit_status::bad_data);
    EXPECT_EQ(read_file(err),
              "standard input: cannot decode: it holds more than 2853687 bytes, and the largest "
              "scenario records file is 2853687 bytes\n");
}

}  // namespace
}  // namespace scenario::tool
