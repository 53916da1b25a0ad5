#include "driver/form1_window.h"

#include <gtest/gtest.h>

namespace scenario::form1_window {
namespace {

TEST(Form1Window, MeasuresAtTheUsualScreenResolutions) {
    // 96 dots per inch is 15 twips a pixel: 179.2 rounds down, 176.8 and 52.8 up.
    EXPECT_EQ(to_pixels(client_twips, 96, 96), (Rect{0, 0, 280, 179}));
    EXPECT_EQ(to_pixels(label_twips, 96, 96), (Rect{64, 64, 177, 53}));
    EXPECT_EQ(to_pixels(client_twips, 120, 120), (Rect{0, 0, 350, 224}));
    EXPECT_EQ(to_pixels(label_twips, 120, 120), (Rect{80, 80, 221, 66}));
    EXPECT_EQ(to_pixels(client_twips, 144, 144), (Rect{0, 0, 420, 269}));
    EXPECT_EQ(to_pixels(label_twips, 144, 144), (Rect{96, 96, 265, 79}));
    // Each axis at its own resolution.
    EXPECT_EQ(to_pixels(label_twips, 96, 144), (Rect{64, 96, 177, 79}));
}

TEST(Form1Window, HalvesRoundAwayFromZero) {
    EXPECT_EQ(to_pixels(7, 96), 0);     // 0.47
    EXPECT_EQ(to_pixels(8, 96), 1);     // 0.53
    EXPECT_EQ(to_pixels(15, 48), 1);    // 0.5
    EXPECT_EQ(to_pixels(-15, 48), -1);  // -0.5
}

TEST(Form1Window, LabelFontHeightIsTheCharacterHeightInPixels) {
    EXPECT_EQ(font_height(label_font_points, 96), -32);
    EXPECT_EQ(font_height(label_font_points, 120), -40);
    EXPECT_EQ(font_height(label_font_points, 144), -48);
    EXPECT_EQ(font_height(9, 96), -12);
}

TEST(Form1Window, ProgramFolderIsTheExecutablePathUpToItsLastBackslash) {
    EXPECT_EQ(folder_of_module("C:\\Giochi\\Treni di prova\\Valcorvina_IC 318.exe"), "C:\\Giochi\\Treni di prova");
    EXPECT_EQ(folder_of_module("Z:\\tmp\\a b.c\\Valcorvina_IC 318.exe"), "Z:\\tmp\\a b.c");
    EXPECT_EQ(folder_of_module("C:\\Valcorvina_IC 318.exe"), "C:");
    EXPECT_EQ(folder_of_module("\\\\server\\share\\Valcorvina_IC 318.exe"), "\\\\server\\share");
    // Slashes are not separators in the paths the window system gives.
    EXPECT_EQ(folder_of_module("D:\\x/y\\p.exe"), "D:\\x/y");
    EXPECT_EQ(folder_of_module("p.exe"), ".");
}

}  // namespace
}  // namespace scenario::form1_window
