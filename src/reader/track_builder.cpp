#include "reader/track_builder.h"

#include <algorithm>

namespace scenario {

void TrackBuilder::start() {
    track_.set_int16(0, Track::x, 0);
    track_.set_int16(0, Track::y, 0);
    track_.set_int16(1, Track::x, 0);
    track_.set_int16(1, Track::y, 1);
    c_ = 2;
    points_ = track_.point_writer();
    x2_ = track_.number(0, Track::x);
    y2_ = track_.number(0, Track::y);
    x1_ = track_.number(1, Track::x);
    y1_ = track_.number(1, Track::y);
}

// A long route builds a million metres here; each takes the two points
// before it, so the loop keeps them in locals and checks the table once.
template <bool curved>
void TrackBuilder::build(std::int64_t last, double k) {
    if (last < c_) return;
    const std::int64_t inside = std::min(last, points_.last_metre());
    // A copy the stores cannot reach, so that the columns are not loaded
    // again after each point.
    const Track::PointWriter points = points_;
    if (points.keeps_values()) {
        double x1 = x1_, y1 = y1_, x2 = x2_, y2 = y2_;
        for (std::int64_t m = c_; m <= inside; ++m) {
            const double dx = x1 - x2;
            const double dy = y1 - y2;
            double x = 0.0;
            double y = 0.0;
            if constexpr (curved) {
                x = x1 + (dx + k * dy);
                y = y1 + (dy - k * dx);
            } else {
                x = x1 + dx;
                y = y1 + dy;
            }
            points.put(static_cast<std::size_t>(m), x, y);
            x2 = x1;
            y2 = y1;
            x1 = x;
            y1 = y;
        }
        x1_ = x1;
        y1_ = y1;
        x2_ = x2;
        y2_ = y2;
    }
    c_ = std::max(c_, inside + 1);
    if (last > inside) points_.check(c_);
}

template void TrackBuilder::build<false>(std::int64_t, double);
template void TrackBuilder::build<true>(std::int64_t, double);

double curvature_of_class(int curve_class) {
    switch (curve_class) {
        case 1:
            return 0.0001;
        case 2:
            return 0.0002;
        case 3:
            return 0.0004;
        case 4:
            return 0.001;
        case 5:
            return 0.002;
        case 6:
            return 0.003;
        default:
            return 0.0;
    }
}

}  // namespace scenario
