// One run at a time in the program's folder: a run holds the folder's lock
// from start to end, and a second one started meanwhile waits for it.
#pragma once

#include <chrono>

namespace scenario {

// A run takes a fraction of a second; a run that keeps the folder longer
// than this has hung, and the waiting one gives up with a report.
inline constexpr std::chrono::milliseconds run_lock_patience{30000};

}  // namespace scenario
