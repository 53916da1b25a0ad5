#include "reader/track_builder.h"

namespace scenario {

void TrackBuilder::start() {
    track_.set_int16(0, Track::x, 0);
    track_.set_int16(0, Track::y, 0);
    track_.set_int16(1, Track::x, 0);
    track_.set_int16(1, Track::y, 1);
    c_ = 2;
}

void TrackBuilder::step(double k, bool curved) {
    const double x1 = track_.number(c_ - 1, Track::x);
    const double y1 = track_.number(c_ - 1, Track::y);
    const double x2 = track_.number(c_ - 2, Track::x);
    const double y2 = track_.number(c_ - 2, Track::y);
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    if (curved) {
        track_.set_real(c_, Track::x, x1 + (dx + k * dy));
        track_.set_real(c_, Track::y, y1 + (dy - k * dx));
    } else {
        track_.set_real(c_, Track::x, x1 + dx);
        track_.set_real(c_, Track::y, y1 + dy);
    }
    ++c_;
}

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
