// Building the plan geometry metre by metre.
#pragma once

#include <cstdint>

#include "model/track.h"

namespace scenario {

// The direction of the line is the difference of the two metres before the
// one being built; it is turned by k per metre in a curve and never
// renormalised.
class TrackBuilder {
public:
    explicit TrackBuilder(Track& track) : track_(track) {}

    // Sets metres 0 and 1: the line starts at (0, 0) heading along +y.
    void start();

    std::int64_t next_metre() const { return c_; }
    void straight_step() { step(0.0, false); }
    void curved_step(double k) { step(k, true); }

private:
    // Inline: a long route takes a million of them. A table that keeps no
    // values still has each metre checked.
    void step(double k, bool curved) {
        if (!points_.keeps_values()) {
            points_.check(c_);
            ++c_;
            return;
        }
        const double dx = x1_ - x2_;
        const double dy = y1_ - y2_;
        double x = 0.0;
        double y = 0.0;
        if (curved) {
            x = x1_ + (dx + k * dy);
            y = y1_ + (dy - k * dx);
        } else {
            x = x1_ + dx;
            y = y1_ + dy;
        }
        points_.set(c_, x, y);
        x2_ = x1_;
        y2_ = y1_;
        x1_ = x;
        y1_ = y;
        ++c_;
    }

    Track& track_;
    Track::PointWriter points_;
    std::int64_t c_ = 2;
    // The points of metres c - 1 and c - 2, as stored in the track.
    double x1_ = 0.0, y1_ = 1.0;
    double x2_ = 0.0, y2_ = 0.0;
};

// Curvature of a curve class 1 to 6 (per metre; left-hand curves negative).
double curvature_of_class(int curve_class);

}  // namespace scenario
