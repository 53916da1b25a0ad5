#include "driver/form1_window.h"

#include <cstdint>

namespace scenario::form1_window {

namespace {

int scale_rounded(int value, int numerator, int denominator) {
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

int to_pixels(int twips, int dots_per_inch) { return scale_rounded(twips, dots_per_inch, twips_per_inch); }

Rect to_pixels(const Rect& twips, int dots_per_inch_x, int dots_per_inch_y) {
    return Rect{to_pixels(twips.left, dots_per_inch_x), to_pixels(twips.top, dots_per_inch_y),
                to_pixels(twips.width, dots_per_inch_x), to_pixels(twips.height, dots_per_inch_y)};
}

int font_height(int points, int dots_per_inch_y) { return -scale_rounded(points, dots_per_inch_y, points_per_inch); }

std::string folder_of_module(const std::string& module_path) {
    const std::string::size_type last = module_path.find_last_of('\\');
    if (last == std::string::npos) return ".";
    return module_path.substr(0, last);
}

}  // namespace scenario::form1_window
