// The largest scenario the reader accepts, generated as description texts:
// a route of 1000000 m with curves, gradients, mountain spans, speed boards
// and signs along it, and a train run with a signal every kilometre, stations
// along the whole line and some slowdowns. Shared by the benchmarks and the
// peak-memory probe.
#pragma once

#include <filesystem>
#include <string>

#include "model/route_model.h"
#include "model/scenario_files.h"

namespace scenario::bench {

inline constexpr int longest_route = 1000000;

// Line description of route length 1000000.
std::string longest_line_description();
// Train description for that line: 1000 signals, 75 stations (as many as the
// records table holds next to the line's 3 signs), 18 slowdowns.
std::string busiest_train_description();
// The same scenarios in finer steps: a curve every `curve` metres (each
// shorter than the step), a gradient every `gradient` metres, and a line
// speed every `speed_step` metres. The defaults give the two above.
struct LineSteps {
    long curve = 2000;
    long gradient = 1000;
};
std::string line_description_in_steps(const LineSteps& steps);
std::string train_description_in_steps(long speed_step);
// The least a train description needs: both profiles from position 0.
std::string minimal_train_description();

// A fresh folder for the files of one benchmark, removed on destruction:
// under $COMPACTOR_BENCH_DIR when set, else under the system's temporary
// folder.
class BenchFolder {
public:
    BenchFolder();
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const ScenarioFiles& files() const { return files_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
    ScenarioFiles files_;
};

// A model prepared as the program prepares it (title "Valcorvina", train code
// "IC 318").
RouteModel fresh_model();

void write_file(const std::string& path, const std::string& bytes);
// One open, one write call and one close: the least any writer of these
// bytes must spend.
void plain_write(const std::string& path, const std::string& bytes);

}  // namespace scenario::bench
