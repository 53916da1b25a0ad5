// The parts of the tool's system seams that every system shares: paths kept
// as UTF-8 text on their way to and from the standard library, and UTF-8
// text handed to a console only in whole characters. (What differs on
// Windows is checked under Wine, tests/windows/run_under_wine.sh.)
#include <gtest/gtest.h>

#include <string>

#include "tool/base/paths.h"
#include "tool/commands/console.h"

namespace scenario::tool {
namespace {

TEST(ToolPaths, TextGoesToAPathAndComesBackByteForByte) {
    const std::string texts[] = {
        "",
        "out/Valcorvina_IC 318.sim",
        "日本語 ☃/line.txt",
        // Not UTF-8: a POSIX name is bytes, and stays them.
        "Valc\xf2rvina/x",
        "emoji \xf0\x9f\x9a\x86 train",
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(path_text(utf8_path(text)), text);
        EXPECT_EQ(utf8_path(text).native(), text);
    }
    EXPECT_EQ(path_text(utf8_path("日本語 ☃/line.txt").filename()), "line.txt");
    EXPECT_EQ(path_text(utf8_path("日本語 ☃/line.txt").parent_path()), "日本語 ☃");
}

TEST(ConsoleText, OnlyAnUnfinishedCharacterAtTheEndWaits) {
    const struct {
        const char* text;
        std::size_t waiting;
    } cases[] = {
        {"", 0},
        {"plain", 0},
        {"Borg\xc3\xb2", 0},          // ò, whole
        {"Borg\xc3", 1},              // its first byte only
        {"snow \xe2\x98", 2},         // two of the three bytes of ☃
        {"snow \xe2\x98\x83", 0},     // all three
        {"\xf0\x9f\x9a", 3},          // three of the four bytes of a train
        {"\xf0\x9f\x9a\x86", 0},      // all four
        {"a\xb2", 0},                 // a stray continuation byte: shown as it is
        {"\x80\x80\x80\x80", 0},      // nothing but continuation bytes
        {"\xc3\xb2\xe2", 1},          // a whole ò, then the start of the next
        {"\xe2\x98\x83\xc3\xb2", 0},  // ☃ò
    };
    for (const auto& c : cases) EXPECT_EQ(console::incomplete_utf8_tail(c.text), c.waiting) << c.text;
}

}  // namespace
}  // namespace scenario::tool
