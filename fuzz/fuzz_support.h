// Shared by the fuzz targets: a private scratch folder for the description
// and output files, and the checks that every reading must pass whatever the
// input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/route_model.h"
#include "model/scenario_files.h"
#include "reader/memorizza_dati.h"

namespace scenario::fuzz {

// A failed check is a finding: report it and abort so that libFuzzer keeps
// the input as a crash.
#define FUZZ_CHECK(condition, ...)                                                               \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "check failed at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
            std::fprintf(stderr, "" __VA_ARGS__);                                                \
            std::fprintf(stderr, "\n");                                                          \
            std::abort();                                                                        \
        }                                                                                        \
    } while (false)

// The scenario identity every input is read under, so that the stamp codes
// are known beforehand: 2358 (plain) and 32242 (weighted).
inline constexpr const char* title = "Valcorvina";
inline constexpr const char* train_code = "IC 318";
inline constexpr std::int16_t plain_code = 2358;
inline constexpr std::int32_t weighted_code = 32242;

// The folder is created once per process (under /dev/shm when it exists) and
// removed at exit; its name holds a space, like the program's folder may.
const ScenarioFiles& scratch_files();
// Removes every file left in the scratch folder by the previous input.
void empty_scratch_folder();
void write_bytes(const std::string& path, std::string_view bytes);
bool exists(const std::string& path);
std::uintmax_t size_of(const std::string& path);
std::string read_bytes(const std::string& path);

// A fresh model prepared as the compactor prepares it before reading.
RouteModel prepared_model(std::int32_t with_geometry);

// With COMPACTOR_FUZZ_VERBOSE set in the environment, prints the outcome of
// each input (for replaying a corpus or a crash by hand).
void report_outcome(const char* outcome, const RouteModel& model, const ReadDiagnostics& diagnostics);

// Every errorCode the reader can leave.
bool is_reader_code(std::int32_t code);
// The reader's codes and those of the completion pass (11 to 13).
bool is_compactor_code(std::int32_t code);
// Codes with which the line half gives up without reading the train half.
bool line_half_gave_up(std::int32_t code);

// Checks after memorizza_dati (also when called by memorizza_percorso): no
// line description survives, the train description survives exactly when the
// line half gave up, the tables have the sizes their bounds say, and a
// finished line half has built every track metre up to trackLength - 2.
void check_after_reading(const RouteModel& model, const ScenarioFiles& files, const ReadDiagnostics& diagnostics);

// The bytes of "_linea.dat" for the track as it is, encoded entry by entry
// from what the track reads back: each value's 2-byte tag and its 0, 2 or 8
// bytes.
std::string line_geometry_bytes(const Track& track);

// The most the heap held, while one lives, above what it held when it began
// (told by the sanitizer's allocator; one at a time).
class HeapPeak {
public:
    HeapPeak();
    ~HeapPeak();
    HeapPeak(const HeapPeak&) = delete;
    HeapPeak& operator=(const HeapPeak&) = delete;

    std::size_t bytes() const;

private:
    std::size_t base_;
};

}  // namespace scenario::fuzz
