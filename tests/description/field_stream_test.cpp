#include "description/field_stream.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "model/route_model.h"

namespace scenario {
namespace {

TEST(FieldStream, SpacedClockYieldsThreeNumbersAndEndsItsLine) {
    FieldStream s("orologio,    15              47            30 \r\nsabbia,    200\r\n");
    EXPECT_EQ(s.read_text(), "orologio");
    EXPECT_EQ(s.read_integer(), 15);
    EXPECT_EQ(s.read_integer(), 47);
    EXPECT_EQ(s.read_integer(), 30);
    EXPECT_EQ(s.read_text(), "sabbia");
    EXPECT_EQ(s.last_location(), (FieldLocation{2, 1}));
    EXPECT_EQ(s.read_long(), 200);
    EXPECT_TRUE(s.at_end());
}

TEST(FieldStream, DecimalCommaLeavesAStrayField) {
    FieldStream s("pendenza,  1250,   -4,5\r\n[montagne]\r\n");
    EXPECT_EQ(s.read_text(), "pendenza");
    EXPECT_EQ(s.read_long(), 1250);
    EXPECT_EQ(s.read_long(), -4);
    EXPECT_EQ(s.read_text(), "5");
    EXPECT_EQ(s.read_text(), "[montagne]");
    EXPECT_TRUE(s.at_end());
}

TEST(FieldStream, EmptyNumberFieldsReadZero) {
    FieldStream s("indicatori_vmax,  1100,  105,  ,  ,  0\r\n7,\r\n");
    EXPECT_EQ(s.read_text(), "indicatori_vmax");
    EXPECT_EQ(s.read_long(), 1100);
    EXPECT_EQ(s.read_long(), 105);
    EXPECT_EQ(s.read_long(), 0);
    EXPECT_EQ(s.read_long(), 0);
    EXPECT_EQ(s.read_long(), 0);
    EXPECT_EQ(s.read_long(), 7);
    EXPECT_EQ(s.read_long(), 0);  // nothing between the comma and the line end
    EXPECT_TRUE(s.at_end());
}

TEST(FieldStream, BlanksBeforeTheSeparatorBelongToTheNumber) {
    FieldStream s("1250 , -4  \r\nnext");
    EXPECT_EQ(s.read_long(), 1250);
    EXPECT_EQ(s.read_long(), -4);
    EXPECT_EQ(s.read_text(), "next");
    EXPECT_TRUE(s.at_end());
}

TEST(FieldStream, TextFieldsKeepInnerBlanksAndQuotesHoldCommas) {
    FieldStream s("cartello_indicatore,  10950,   (Cippo )(  Km  )(11+000)  \r\n\"Bivio, Nord\" ,x\r\n");
    EXPECT_EQ(s.read_text(), "cartello_indicatore");
    EXPECT_EQ(s.read_long(), 10950);
    EXPECT_EQ(s.read_text(), "(Cippo )(  Km  )(11+000)");
    EXPECT_EQ(s.read_text(), "Bivio, Nord");
    EXPECT_EQ(s.read_text(), "x");
    EXPECT_TRUE(s.at_end());
}

TEST(FieldStream, LineEndsMayBeCrLfOrBareLf) {
    FieldStream s("a\nb\r\nc\rd");
    EXPECT_EQ(s.read_text(), "a");
    EXPECT_EQ(s.read_text(), "b");
    EXPECT_EQ(s.read_text(), "c");
    EXPECT_EQ(s.read_text(), "d");
    EXPECT_EQ(s.last_location(), (FieldLocation{4, 1}));
    EXPECT_TRUE(s.at_end());
}

TEST(FieldStream, TheLastFieldLeavesTheStreamAtItsEnd) {
    FieldStream s("[codici]\r\n[fine]\r\n\r\n");
    EXPECT_EQ(s.read_text(), "[codici]");
    EXPECT_EQ(s.read_text(), "[fine]");
    EXPECT_FALSE(s.at_end());  // the empty last line is still to be read
    EXPECT_EQ(s.read_text(), "");
    EXPECT_TRUE(s.at_end());
}

TEST(FieldStream, ReadingPastTheEndIsAFault) {
    FieldStream empty("");
    EXPECT_TRUE(empty.at_end());
    EXPECT_THROW(empty.read_text(), ReadFault);
    FieldStream one("x");
    one.read_text();
    EXPECT_THROW(one.read_long(), ReadFault);
}

TEST(FieldStream, NumbersMustBeWholeAndFitTheirWidthAtBothEnds) {
    struct Case {
        const char* text;
        int width;  // 8 (unsigned), 16 or 32 (signed)
        bool fits;
    };
    const std::string thirty_digits(30, '9');
    const std::string minus_thirty_digits = "-" + thirty_digits;
    const Case cases[] = {
        // Each width: the smallest and the largest value, one below, one above.
        {"0", 8, true},
        {"255", 8, true},
        {"-1", 8, false},
        {"256", 8, false},
        {"-32768", 16, true},
        {"32767", 16, true},
        {"-32769", 16, false},
        {"32768", 16, false},
        {"-2147483648", 32, true},
        {"2147483647", 32, true},
        {"-2147483649", 32, false},
        {"2147483648", 32, false},
        // Far beyond any field, either sign.
        {thirty_digits.c_str(), 8, false},
        {thirty_digits.c_str(), 32, false},
        {minus_thirty_digits.c_str(), 16, false},
        {minus_thirty_digits.c_str(), 32, false},
        {"-00000000000000000000000000000032768", 16, true},
        // Not a whole number.
        {"12a", 32, false},
        {"1.5", 32, false},
        {"-", 32, false},
        {"+5", 32, false},
        {"\"7\"", 32, false},
    };
    for (const Case& c : cases) {
        FieldStream s(c.text);
        auto read = [&] {
            if (c.width == 8) return static_cast<long long>(s.read_byte());
            if (c.width == 16) return static_cast<long long>(s.read_integer());
            return static_cast<long long>(s.read_long());
        };
        if (c.fits) {
            EXPECT_EQ(read(), std::stoll(c.text)) << c.text;
        } else {
            EXPECT_THROW(read(), ReadFault) << c.width << "-bit " << c.text;
        }
    }
}

TEST(FieldStream, UnclosedQuoteIsAFault) {
    FieldStream s("\"never closed, at all\r\n");
    EXPECT_THROW(s.read_text(), ReadFault);
}

TEST(FieldStream, LocationsAndLinesForDiagnostics) {
    FieldStream s("[generale]\r\nlunghezza percorso,    218000\r\n");
    s.read_text();
    s.read_text();
    EXPECT_EQ(s.read_long(), 218000);
    EXPECT_EQ(s.last_location(), (FieldLocation{2, 24}));
    EXPECT_EQ(s.line_of(s.last_span()), "lunghezza percorso,    218000");
    EXPECT_THROW(s.read_text(), ReadFault);
    EXPECT_EQ(s.last_location(), (FieldLocation{2, 32}));  // where the reading stopped
    // The end of the file lies on its last line.
    EXPECT_EQ(s.line_of(s.last_span()), "lunghezza percorso,    218000");
}

TEST(FieldStream, LinesAreCountedAcrossEveryKindOfLineEnd) {
    // Where each field begins, and whether only blanks stand before it on
    // its line.
    struct Field {
        FieldLocation at;
        bool startsLine;
    };
    const std::string text = "a, b\n  c\r\r\n\"q\r\nr\", d\re,\r\n\t f 1";
    const Field expected[] = {{{1, 1}, true},  {{1, 4}, false}, {{2, 3}, true},  {{3, 1}, true}, {{4, 1}, true},
                              {{5, 5}, false}, {{6, 1}, true},  {{6, 3}, false}, {{7, 3}, true}};
    for (const bool viewed : {false, true}) {
        std::optional<FieldStream> s;
        if (viewed) {
            s.emplace(FieldStream::viewing, text);
        } else {
            s.emplace(text);
        }
        for (const Field& f : expected) {
            s->read_text();
            EXPECT_EQ(s->last_location(), f.at) << s->last_text();
            EXPECT_EQ(s->last_starts_line(), f.startsLine) << s->last_text();
        }
        EXPECT_EQ(s->line_of(s->last_span()), "\t f 1");
        EXPECT_TRUE(s->at_end());
    }
}

TEST(Keywords, ContainsIgnoringCaseOrExactly) {
    EXPECT_TRUE(contains_ignoring_case("STAZIONE", "stazione"));
    EXPECT_FALSE(contains_ignoring_case("[stazioni]", "stazione"));
    EXPECT_TRUE(contains_ignoring_case("Curvas2", "curva"));
    EXPECT_TRUE(contains_exact("progressiva chilometrica uno", "uno"));
    EXPECT_FALSE(contains_exact("Progressiva chilometrica uno", "progressiva"));
    EXPECT_TRUE(contains_ignoring_case("Lunghezza Percorso", "percorso"));
}

// Where the text may stand in the field, and the near misses around it.
TEST(Keywords, ContainsIgnoringCaseAnywhereInTheField) {
    struct Case {
        std::string_view field;
        std::string_view needle;
        bool contains;
    } const cases[] = {
        {"", "", true},
        {"abc", "", true},
        {"", "a", false},
        {"sabbia", "sabbia", true},
        {"xSABBIA", "sabbia", true},                      // at the very end
        {"SaBbIa, 3", "sabbia", true},                    // at the start
        {"sabbi", "sabbia", false},                       // the field is shorter
        {"sasabbia", "sabbia", true},                     // after a false start
        {"sabbiX sabbiY", "sabbia", false},               // only false starts
        {"pendenza\xC3\xA0", "pendenza", true},           // bytes above ASCII after it
        {"\xC3\x80pendenza", "\xC3\xA0pendenza", false},  // only ASCII letters fold
        {"[GENERALE]", "[generale]", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(contains_ignoring_case(c.field, c.needle), c.contains) << c.field << " / " << c.needle;
    }
}

}  // namespace
}  // namespace scenario
