#include "fuzz_support.h"

#include "compactor/little_endian.h"
#include "model/error_codes.h"

#include <sanitizer/allocator_interface.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace scenario::fuzz {

namespace fs = std::filesystem;

namespace {

fs::path scratch_path;

void remove_scratch_folder() {
    std::error_code ignored;
    if (!scratch_path.empty()) fs::remove_all(scratch_path, ignored);
}

fs::path make_scratch_folder() {
    const fs::path shm = "/dev/shm";
    std::error_code error;
    const fs::path base = fs::is_directory(shm, error) ? shm : fs::temp_directory_path();
    fs::path folder = base / ("compactor fuzz " + std::to_string(::getpid()));
    fs::remove_all(folder, error);
    fs::create_directories(folder);
    return folder;
}

// The heap's bytes in use, and their most while a HeapPeak lives.
std::atomic<std::size_t> heap_live{0};
std::atomic<std::size_t> heap_peak{0};
std::atomic<bool> heap_measured{false};

void on_malloc(const volatile void*, std::size_t size) {
    const std::size_t live = heap_live.fetch_add(size, std::memory_order_relaxed) + size;
    if (!heap_measured.load(std::memory_order_relaxed)) return;
    std::size_t peak = heap_peak.load(std::memory_order_relaxed);
    while (live > peak && !heap_peak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
}

void on_free(const volatile void* pointer) {
    const std::size_t size = __sanitizer_get_allocated_size(const_cast<const void*>(pointer));
    heap_live.fetch_sub(std::min(size, heap_live.load(std::memory_order_relaxed)), std::memory_order_relaxed);
}

// Installed before anything is measured, so that every block freed was
// counted when it was taken.
const bool heap_hooks = __sanitizer_install_malloc_and_free_hooks(on_malloc, on_free) != 0;

}  // namespace

HeapPeak::HeapPeak() : base_(heap_live.load()) {
    FUZZ_CHECK(heap_hooks, "the allocator's hooks could not be installed");
    heap_peak = base_;
    heap_measured = true;
}

HeapPeak::~HeapPeak() { heap_measured = false; }

std::size_t HeapPeak::bytes() const { return heap_peak.load() - std::min(base_, heap_peak.load()); }

const ScenarioFiles& scratch_files() {
    static const ScenarioFiles files = [] {
        scratch_path = make_scratch_folder();
        std::atexit(remove_scratch_folder);
        return ScenarioFiles{scratch_path.string(), '/', title, train_code};
    }();
    return files;
}

void empty_scratch_folder() {
    scratch_files();
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch_path)) fs::remove_all(entry.path());
}

void write_bytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good(), "cannot write %s", path.c_str());
}

bool exists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

std::uintmax_t size_of(const std::string& path) { return fs::file_size(path); }

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

RouteModel prepared_model(std::int32_t with_geometry) {
    RouteModel model;
    model.title = title;
    model.trainCode = train_code;
    model.withGeometry = with_geometry;
    model.errorCode = 0;
    model.clear_records();
    return model;
}

void report_outcome(const char* outcome, const RouteModel& model, const ReadDiagnostics& diagnostics) {
    static const bool verbose = std::getenv("COMPACTOR_FUZZ_VERBOSE") != nullptr;
    if (!verbose) return;
    std::fprintf(stderr, "%s: errorCode %d, errorPosition %d, cellCount %d, trackLength %d, field %d:%d '%s'%s%s\n",
                 outcome, model.errorCode, model.errorPosition, model.cellCount, model.trackLength,
                 diagnostics.location.line, diagnostics.location.column, diagnostics.sourceLine.c_str(),
                 diagnostics.fault.empty() ? "" : ", fault: ", diagnostics.fault.c_str());
}

bool is_reader_code(std::int32_t code) {
    // 101 cannot happen here: the line description is always written.
    const ErrorCodeInfo* info = error_code_info(code);
    return info != nullptr && code != value_of(ErrorCode::line_description_missing) &&
           (info->stage == Stage::line_half || info->stage == Stage::train_half || info->stage == Stage::either_half);
}

bool is_compactor_code(std::int32_t code) {
    const ErrorCodeInfo* info = error_code_info(code);
    return is_reader_code(code) || (info != nullptr && info->stage == Stage::completion_pass);
}

bool line_half_gave_up(std::int32_t code) {
    const ErrorCodeInfo* info = error_code_info(code);
    return info != nullptr && info->endsLineHalf;
}

namespace {

void check_finished_track(const Track& track, std::int64_t track_length) {
    FUZZ_CHECK(track.last_metre() == track_length, "track metres 0 to %lld for trackLength %lld",
               static_cast<long long>(track.last_metre()), static_cast<long long>(track_length));
    if (track_length < 1) return;
    FUZZ_CHECK(track.at(0, Track::x) == (TrackValue{TrackTag::int16, 0.0}));
    FUZZ_CHECK(track.at(0, Track::y) == (TrackValue{TrackTag::int16, 0.0}));
    FUZZ_CHECK(track.at(1, Track::x) == (TrackValue{TrackTag::int16, 0.0}));
    FUZZ_CHECK(track.at(1, Track::y) == (TrackValue{TrackTag::int16, 1.0}));
    for (int coordinate : {Track::x, Track::y}) {
        for (std::int64_t m = 2; m <= track_length - 2; ++m) {
            FUZZ_CHECK(track.at(m, coordinate).tag == TrackTag::real, "track metre %lld not built",
                       static_cast<long long>(m));
        }
    }
}

}  // namespace

void check_after_reading(const RouteModel& model, const ScenarioFiles& files, const ReadDiagnostics& diagnostics) {
    const std::int32_t code = model.errorCode;
    FUZZ_CHECK(is_compactor_code(code), "errorCode %d", code);
    FUZZ_CHECK(!exists(files.line_description()), "the line description survived (errorCode %d)", code);
    // A failure of the completion pass hides the reader's code.
    const bool reader_code_known = error_code_info(code)->stage != Stage::completion_pass;
    if (reader_code_known) {
        FUZZ_CHECK(exists(files.train_description()) == line_half_gave_up(code),
                   "train description %s after errorCode %d", exists(files.train_description()) ? "kept" : "deleted",
                   code);
    }
    FUZZ_CHECK(model.records[record_index::identity].text == title);
    FUZZ_CHECK(model.records[record_index::repetition].text == train_code);

    if (model.has_cells()) {
        FUZZ_CHECK(model.cells.size() == static_cast<std::size_t>(model.cellCount) + 1, "%zu cells for cellCount %d",
                   model.cells.size(), model.cellCount);
    }
    if (model.track.exists()) {
        FUZZ_CHECK(model.withGeometry != 0, "a track without withGeometry");
        FUZZ_CHECK(model.has_cells(), "a track without cells");
    }
    // The line half finished (and handed over to the train half) unless it
    // gave up, or failed with code 25 before the train description was opened.
    const bool line_half_finished = reader_code_known && !line_half_gave_up(code) &&
                                    (code != 25 || diagnostics.source == ReadDiagnostics::Source::train_description);
    if (line_half_finished && model.withGeometry != 0) check_finished_track(model.track, model.trackLength);
}

std::string line_geometry_bytes(const Track& track) {
    std::string bytes;
    for (int coordinate : {Track::x, Track::y}) {
        for (std::int64_t m = 0; m <= track.last_metre(); ++m) {
            const TrackValue v = track.at(m, coordinate);
            put_u16(bytes, static_cast<std::uint16_t>(v.tag));
            if (v.tag == TrackTag::int16) put_i16(bytes, static_cast<std::int16_t>(v.value));
            if (v.tag == TrackTag::real) put_f64(bytes, v.value);
        }
    }
    return bytes;
}

}  // namespace scenario::fuzz
