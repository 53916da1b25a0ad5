// Building the plan geometry metre by metre.
#pragma once

#include <cstdint>

#include "model/track.h"

namespace scenario {

// The direction of the line is the difference of the two metres before the
// one being built; it is turned by k per metre in a curve and never
// renormalised. The track keeps the runs; their points are computed when the
// track is written or read (see Track).
class TrackBuilder {
public:
    explicit TrackBuilder(Track& track) : track_(track) {}

    // Sets metres 0 and 1: the line starts at (0, 0) heading along +y.
    void start() { track_.start(); }

    std::int64_t next_metre() const { return track_.next_metre(); }
    // Build metres next_metre() to `last` (none when `last` lies behind),
    // straight on or turning by k each metre. A metre beyond the table is a
    // ReadFault once the metres before it are built.
    void straight_to(std::int64_t last) { track_.build(last, false, 0.0); }
    void curve_to(std::int64_t last, double k) { track_.build(last, true, k); }
    // One metre, for callers that build step by step.
    void straight_step() { straight_to(next_metre()); }
    void curved_step(double k) { curve_to(next_metre(), k); }

private:
    Track& track_;
};

// Curvature of a curve class 1 to 6 (per metre; left-hand curves negative).
double curvature_of_class(int curve_class);

}  // namespace scenario
