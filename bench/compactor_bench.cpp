// Time of the compactor's heaviest work against the least any program must
// spend producing the same bytes:
//   - reading the longest line description and writing "_linea.dat", against
//     one plain write call of the same number of bytes;
//   - memorizza_percorso on the largest scenario, against plain writes of the
//     three output files' bytes.
// Each pair runs in the same process, on the same folder; the ratios of the
// medians are printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "compactor/binary_files.h"
#include "compactor/memorizza_percorso.h"
#include "io/file_system.h"
#include "max_scenario.h"
#include "reader/memorizza_dati.h"

namespace scenario::bench {
namespace {

// Description texts and output sizes, made once.
struct Scenario {
    std::string line = longest_line_description();
    std::string busy_train = busiest_train_description();
    std::string minimal_train = minimal_train_description();
};

const Scenario& scenario() {
    static const Scenario s;
    return s;
}

void check_outcome(benchmark::State& state, const RouteModel& model) {
    if (model.errorCode != 0) {
        state.SkipWithError(("the scenario gave errorCode " + std::to_string(model.errorCode) + " at " +
                             std::to_string(model.errorPosition))
                                .c_str());
    }
}

void LineReadAndWrite(benchmark::State& state) {
    BenchFolder folder;
    const ScenarioFiles& files = folder.files();
    std::size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        write_file(files.line_description(), scenario().line);
        write_file(files.train_description(), scenario().minimal_train);
        state.ResumeTiming();

        RouteModel model = fresh_model();
        model.withGeometry = 1;
        memorizza_dati(model, files);
        write_line_geometry(model.track, files.line_geometry());

        state.PauseTiming();
        check_outcome(state, model);
        bytes = std::filesystem::file_size(files.line_geometry());
        state.ResumeTiming();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

// The two halves of LineReadAndWrite on their own, to show where its time
// goes: the reading (with the geometry built) and the writing of the file.
void LineReadOnly(benchmark::State& state) {
    BenchFolder folder;
    const ScenarioFiles& files = folder.files();
    for (auto _ : state) {
        state.PauseTiming();
        write_file(files.line_description(), scenario().line);
        write_file(files.train_description(), scenario().minimal_train);
        state.ResumeTiming();

        RouteModel model = fresh_model();
        model.withGeometry = 1;
        memorizza_dati(model, files);

        state.PauseTiming();
        check_outcome(state, model);
        state.ResumeTiming();
    }
}

void LineGeometryWriteOnly(benchmark::State& state) {
    BenchFolder folder;
    const ScenarioFiles& files = folder.files();
    write_file(files.line_description(), scenario().line);
    write_file(files.train_description(), scenario().minimal_train);
    RouteModel model = fresh_model();
    model.withGeometry = 1;
    memorizza_dati(model, files);
    check_outcome(state, model);
    for (auto _ : state) write_line_geometry(model.track, files.line_geometry());
}

// Size of "_linea.dat" for a route of 1000000 m: 24 + 20 (trackLength - 3).
constexpr std::size_t longest_line_geometry = 24 + 20 * (longest_route + 7000 - 3);

void LineGeometryPlainWrite(benchmark::State& state) {
    BenchFolder folder;
    const std::string bytes(longest_line_geometry, '\x05');
    const std::string path = folder.file("plain.dat");
    for (auto _ : state) plain_write(path, bytes);
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

// The three files memorizza_percorso writes for the largest scenario, as
// bytes, from one run outside the timing.
struct OutputBytes {
    std::string line_geometry, records, cells;
};

const OutputBytes& output_bytes() {
    static const OutputBytes out = [] {
        BenchFolder folder;
        const ScenarioFiles& files = folder.files();
        write_file(files.line_description(), scenario().line);
        write_file(files.train_description(), scenario().busy_train);
        RouteModel model = fresh_model();
        std::int32_t flag = 1;
        memorizza_percorso(model, files, flag, [](const std::string&) {});
        return OutputBytes{read_whole_file(files.line_geometry()), read_whole_file(files.scenario_records()),
                           read_whole_file(files.route_cells())};
    }();
    return out;
}

void Compaction(benchmark::State& state) {
    BenchFolder folder;
    const ScenarioFiles& files = folder.files();
    for (auto _ : state) {
        state.PauseTiming();
        write_file(files.line_description(), scenario().line);
        write_file(files.train_description(), scenario().busy_train);
        state.ResumeTiming();

        RouteModel model = fresh_model();
        std::int32_t flag = 1;
        memorizza_percorso(model, files, flag, [](const std::string&) {});

        state.PauseTiming();
        check_outcome(state, model);
        state.ResumeTiming();
    }
    const OutputBytes& out = output_bytes();
    state.counters["bytes"] = static_cast<double>(out.line_geometry.size() + out.records.size() + out.cells.size());
}

void CompactionPlainWrites(benchmark::State& state) {
    BenchFolder folder;
    const OutputBytes& out = output_bytes();
    const ScenarioFiles& files = folder.files();
    for (auto _ : state) {
        plain_write(files.line_geometry(), out.line_geometry);
        plain_write(files.scenario_records(), out.records);
        plain_write(files.route_cells(), out.cells);
    }
    state.counters["bytes"] = static_cast<double>(out.line_geometry.size() + out.records.size() + out.cells.size());
}

void configure(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0)->Repetitions(10)->ReportAggregatesOnly(true);
}

BENCHMARK(LineReadAndWrite)->Apply(configure);
BENCHMARK(LineGeometryPlainWrite)->Apply(configure);
BENCHMARK(LineReadOnly)->Apply(configure);
BENCHMARK(LineGeometryWriteOnly)->Apply(configure);
BENCHMARK(Compaction)->Apply(configure);
BENCHMARK(CompactionPlainWrites)->Apply(configure);

// Console output as usual, and the median real times kept for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.aggregate_name == "median" && !run.error_occurred) {
                medians[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            }
        }
    }
    struct Times {
        double real, cpu;
    };
    std::map<std::string, Times> medians;
};

// The target is on real time; the process CPU time (user and system) is
// printed too, as it is less disturbed by other work on the machine.
void print_ratio(const RatioReporter& reporter, const char* work, const char* baseline, double target) {
    const auto w = reporter.medians.find(work);
    const auto b = reporter.medians.find(baseline);
    if (w == reporter.medians.end() || b == reporter.medians.end()) return;
    const double ratio = w->second.real / b->second.real;
    std::printf("%-16s %8.2f ms (cpu %8.2f)  %-22s %8.2f ms (cpu %8.2f)  ratio %.2f, cpu %.2f (target %.1f: %s)\n",
                work, w->second.real, w->second.cpu, baseline, b->second.real, b->second.cpu, ratio,
                w->second.cpu / b->second.cpu, target, ratio <= target ? "met" : "MISSED");
}

}  // namespace
}  // namespace scenario::bench

int main(int argc, char** argv) {
    // Repetitions of the benchmarks interleave, so that a pair being compared
    // shares whatever else the machine does meanwhile.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave.data());
    argc = static_cast<int>(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    scenario::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\nMedians of the repetitions:\n");
    scenario::bench::print_ratio(reporter, "LineReadAndWrite", "LineGeometryPlainWrite", 2.0);
    scenario::bench::print_ratio(reporter, "Compaction", "CompactionPlainWrites", 2.0);
    return 0;
}
