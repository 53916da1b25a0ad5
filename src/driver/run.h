// The run as every desktop starts it: one run at a time in the program's
// folder, the window's load handler, and the report of any failure the run
// does not handle.
#pragma once

#include <chrono>

#include "driver/platform.h"
#include "driver/scenario_source.h"

namespace scenario {

// A run takes a fraction of a second; a run that keeps the folder longer
// than this has hung, and the waiting one gives up with a report.
inline constexpr std::chrono::milliseconds run_lock_patience{30000};

// Holds the program folder's lock from start to end (a second run started
// meanwhile waits for it), runs Form1 and ends the process: with the
// scenario the program carries, or with another one.
[[noreturn]] void run_program(Platform& platform);
[[noreturn]] void run_program(Platform& platform, const ScenarioSource& scenario);

}  // namespace scenario
