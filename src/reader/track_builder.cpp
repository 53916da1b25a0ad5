#include "reader/track_builder.h"

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
