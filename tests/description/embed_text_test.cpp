// The build's embedding of texts: what the program carries is the text file
// byte for byte, whatever characters it holds.
#include <gtest/gtest.h>

#include <string_view>

#include "support/temp_folder.h"

namespace scenario::embedded_text {
extern const std::string_view literal_text;  // tests/description/literal_text.txt
}

namespace scenario {
namespace {

TEST(EmbedText, TheTextArrivesByteForByte) {
    const std::string file = testing::read_file(SOURCE_DIR "/tests/description/literal_text.txt");
    EXPECT_EQ(embedded_text::literal_text, file);
    // The characters a build step could take for its own.
    for (const char* kept : {"@PROJECT_NAME@", "@X@", "${CMAKE_SOURCE_DIR}", "$ENV{HOME}", "\\n \\t \\\\ \\\" \\' \\\n",
                             "a;b;;c", ")\" )__text\"", "trailing spaces   \n"}) {
        EXPECT_NE(embedded_text::literal_text.find(kept), std::string_view::npos) << kept;
    }
}

}  // namespace
}  // namespace scenario
