// The window Form1 as the desktop draws it: its client area, its one label
// and the label's font, kept in twips as the form was drawn and turned into
// pixels for the screen at hand. Nothing here calls the window system, so the
// arithmetic can be checked on any machine.
#pragma once

#include <string>

#include "driver/program_identity.h"

namespace scenario::form1_window {

inline constexpr int twips_per_inch = 1440;
inline constexpr int points_per_inch = 72;

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The client area sits where the window system puts new windows.
inline constexpr Rect client_twips{0, 0, 4200, 2688};
inline constexpr Rect label_twips{960, 960, 2652, 792};

inline constexpr const char* title_bar = program_name;
inline constexpr const char* label_caption = "Attendere";
inline constexpr const char* label_font_face = "MS Sans Serif";
inline constexpr int label_font_points = 24;
inline constexpr int label_font_weight = 700;  // bold
inline constexpr int label_font_charset = 0;

// Twips to pixels at the screen's dots per inch, to the nearest pixel with
// halves away from zero (179.2 -> 179, 176.8 -> 177 at 96 dots per inch).
int to_pixels(int twips, int dots_per_inch);
Rect to_pixels(const Rect& twips, int dots_per_inch_x, int dots_per_inch_y);

// The font height the window system is asked for: the character height in
// pixels, negative, for a size in points.
int font_height(int points, int dots_per_inch_y);

// The folder of a program path as the window system gives it ("C:\a b\x.exe"
// gives "C:\a b"), without a trailing separator.
std::string folder_of_module(const std::string& module_path);

}  // namespace scenario::form1_window
