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
    // Build metres next_metre() to `last` (none when `last` lies behind),
    // straight on or turning by k each metre. A metre beyond the table is a
    // ReadFault once the metres before it are built.
    void straight_to(std::int64_t last) { build<false>(last, 0.0); }
    void curve_to(std::int64_t last, double k) { build<true>(last, k); }
    // One metre, for callers that build step by step.
    void straight_step() { straight_to(c_); }
    void curved_step(double k) { curve_to(c_, k); }

private:
    template <bool curved>
    void build(std::int64_t last, double k);

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
