// Descriptions written to exhaust the tool: ten megabytes of commas, line
// ends, one endless name, rows that all warn or fail. check and compile hold
// at most four times the input (and a fixed 32 MiB) whatever the shape, and
// a description larger than the most one may hold is refused before it is
// read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "support/process.h"
#include "tool/authoring.h"

namespace scenario::tool {
namespace {

using scenario::testing::run_shell;
using scenario::testing::shell_quoted;
using scenario::testing::train_description;
using testing::quoted;
using testing::run_tool;
using testing::TempFolder;
using testing::write_file;

constexpr std::size_t ten_megabytes = 10'000'000;

std::string line_header() { return "[generale]\r\nlunghezza percorso,  100000\r\n[curve]\r\n"; }
const std::string small_train = train_description({"velocita,   0,    100", "aderenza,   0,    90"});

// `start`, then `row` again and again up to ten megabytes.
std::string filled(std::string start, const std::function<std::string(std::size_t)>& row) {
    for (std::size_t i = 0; start.size() < ten_megabytes; ++i) start += row(i);
    return start;
}

struct Shape {
    const char* what;
    std::string line;
    std::string train;
    bool trainFromStandardInput = false;
};

std::vector<Shape> shapes() {
    const std::string line = line_header() + "pendenza,  0,   0\r\n";
    const std::string sign = "cartello_indicatore,  50000,   (A)\r\n";
    return {
        {"a line of commas after a curve keyword", line_header() + "curvas1" + std::string(ten_megabytes, ','),
         small_train},
        {"carriage returns", line_header() + std::string(ten_megabytes, '\r'), small_train},
        {"a station name of ten megabytes", line,
         train_description(
             {"velocita,   0,    100", "aderenza,   0,    90",
              "stazione,  0, 8, 500,  1, 0, 0,  4,1,0,  2,1,1,    1,  15,47,30, " + std::string(ten_megabytes, 'A')})},
        {"gradient rows",
         filled(line_header(), [](std::size_t i) { return "pendenza,  " + std::to_string(i) + ",   1\r\n"; }),
         small_train},
        {"a train on standard input", line,
         filled("[generale]\r\naderenza,   0,    90\r\n", [](std::size_t) { return "velocita,   1000,    100\r\n"; }),
         true},
        {"a warning on every row", filled(line_header(), [](std::size_t) { return "pendeza,  1000,   1\r\n"; }),
         small_train},
        {"a warning after every row of one line", line,
         filled("[generale]\r\nvelocita,   0,    100\r\naderenza,   0,    90\r\n",
                [](std::size_t) { return "sabbia,  200,  300, "; })},
        // Every error makes the tool read both descriptions again.
        {"twenty errors after ten megabytes",
         filled(line_header(), [](std::size_t) { return "pendeza,  1000,   1\r\n"; }) + sign + sign + sign + sign +
             sign + sign + sign + sign + sign + sign + sign + sign + sign + sign + sign + sign + sign + sign + sign +
             sign + sign,
         small_train},
    };
}

// A run of the built tool with its standard input from a file, and the most
// memory it held.
struct Measured {
    int status = -1;
    long peakKib = 0;
    std::string err;
};

Measured measured(const std::vector<std::string>& arguments, const std::string& input) {
    std::string command = shell_quoted(PEAK_MEMORY_PATH) + " " + shell_quoted(TOOL_PATH);
    for (const std::string& a : arguments) command += " " + shell_quoted(a);
    const scenario::testing::Run run = run_shell(command + " <" + shell_quoted(input));
    Measured m;
    m.err = run.err;
    if (std::sscanf(run.out.c_str(), "%d %ld", &m.status, &m.peakKib) != 2) m.status = -1;
    return m;
}

bool sanitized() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

TEST(HostileInput, CheckAndCompileHoldAtMostFourTimesTheInput) {
    if (sanitized()) GTEST_SKIP() << "memory is measured on the tool built without sanitizers";
    for (const Shape& shape : shapes()) {
        SCOPED_TRACE(shape.what);
        TempFolder folder;
        const std::string line = folder.file("line.txt");
        const std::string train = folder.file("train.txt");
        write_file(line, shape.line);
        write_file(train, shape.train);
        const std::size_t input = shape.line.size() + shape.train.size();
        const long bound_kib = static_cast<long>((4 * input + (std::size_t{32} << 20)) / 1024);
        const std::string given_train = shape.trainFromStandardInput ? "-" : train;
        const std::string standard_input = shape.trainFromStandardInput ? train : "/dev/null";
        const std::vector<std::vector<std::string>> commands{
            {"check", "--line", line, "--train", given_train},
            {"compile", "--line", line, "--train", given_train, "--title", "T", "--train-code", "C", "--out",
             folder.file("out")},
        };
        for (const std::vector<std::string>& command : commands) {
            SCOPED_TRACE(command[0]);
            const Measured run = measured(command, standard_input);
            EXPECT_GE(run.status, 0) << run.err.substr(0, 2000);
            EXPECT_LE(run.status, exit_status::stamp_error) << run.err.substr(0, 2000);
            EXPECT_LE(run.peakKib, bound_kib);
        }
    }
}

TEST(HostileInput, AnEndlessStandardInputIsRefusedInBoundedMemory) {
    if (sanitized()) GTEST_SKIP() << "memory is measured on the tool built without sanitizers";
    TempFolder folder;
    const std::string train = folder.file("train.txt");
    write_file(train, small_train);
    const Measured run = measured({"check", "--line", "-", "--train", train}, "/dev/zero");
    EXPECT_EQ(run.status, exit_status::bad_data);
    EXPECT_EQ(run.err, "scenario-tool: standard input holds more than 64 MiB, the most a description may hold\n");
    EXPECT_LE(run.peakKib, static_cast<long>((largest_description + (std::size_t{32} << 20)) / 1024));
}

TEST(HostileInput, ADescriptionLargerThanTheMostOneMayHoldIsRefused) {
    TempFolder folder;
    const std::string train = folder.file("train.txt");
    write_file(train, small_train);
    const std::string refusal = " holds more than 64 MiB, the most a description may hold\n";
    // Files of NUL bytes that take no room on disk: one as large as a
    // description may be, one a byte larger.
    for (const std::size_t size : {largest_description, largest_description + 1}) {
        SCOPED_TRACE(size);
        const std::string line = folder.file("line " + std::to_string(size) + ".txt");
        write_file(line, "");
        ASSERT_EQ(::truncate(line.c_str(), static_cast<off_t>(size)), 0);
        const bool too_large = size > largest_description;
        for (const char* command : {"check", "compile"}) {
            SCOPED_TRACE(command);
            const std::string arguments = std::string(command) + " --line " + quoted(line) + " --train " +
                                          quoted(train) +
                                          (command[1] == 'o' ? " --title T --train-code C --out out" : "");
            const testing::Outcome file = run_tool(arguments, folder.path().string());
            EXPECT_EQ(file.status, too_large ? exit_status::bad_data : exit_status::scenario_error);
            if (too_large) {
                EXPECT_EQ(file.err, "scenario-tool: line description '" + line + "'" + refusal);
            }
            const testing::Outcome piped =
                run_tool(std::string(command) + " --line - --train " + quoted(train) + " <" + quoted(line) +
                             (command[1] == 'o' ? " --title T --train-code C --out out" : ""),
                         folder.path().string());
            EXPECT_EQ(piped.status, too_large ? exit_status::bad_data : exit_status::scenario_error);
            if (too_large) {
                EXPECT_EQ(piped.err, "scenario-tool: standard input" + refusal);
            }
        }
    }
}

}  // namespace
}  // namespace scenario::tool
