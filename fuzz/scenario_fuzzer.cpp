// Arbitrary line and train descriptions (the input split at its first '~')
// through the whole compactor: prepare, read, completion pass, stamp, write.
// Besides never crashing or tripping a sanitizer, every input must end in one
// of three ways:
//   - the three binary files are written, with sizes that agree with the
//     model and with the stamp (5121 and the plain code in cell 1, 610 and
//     the weighted code in record 85);
//   - a stamp error 1250 or 1251, reported through errore, and no binary file;
//   - no route length was read, so there are no route cells to write, and no
//     binary file.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include <filesystem>
#include <map>

#include "compactor/file_layout.h"
#include "compactor/little_endian.h"
#include "compactor/memorizza_percorso.h"
#include "fuzz_support.h"

#ifdef COMPACTOR_FUZZ_DIAGNOSTICS
#include "tool/base/compaction.h"
#include "tool/diagnostics/analysis.h"
#include "tool/diagnostics/catalogue.h"
#include "tool/diagnostics/report.h"
#include "tool/diagnostics/run.h"
#endif
#include "io/file_system.h"

namespace {

using namespace scenario;

constexpr char separator = '~';
// Longer than the descriptions of the longest route (about 200 KB).
constexpr std::size_t longest_input = 256 * 1024;

bool any_binary_file(const ScenarioFiles& files) {
    return fuzz::exists(files.line_geometry()) || fuzz::exists(files.scenario_records()) ||
           fuzz::exists(files.route_cells());
}

void check_written_files(const RouteModel& model, const ScenarioFiles& files) {
    FUZZ_CHECK(fuzz::exists(files.line_geometry()) == (model.withGeometry != 0));
    if (model.withGeometry != 0) {
        FUZZ_CHECK(fuzz::read_bytes(files.line_geometry()) == fuzz::line_geometry_bytes(model.track),
                   "the line geometry file differs from the track's entries");
    }

    const std::string cells = fuzz::read_bytes(files.route_cells());
    FUZZ_CHECK(cells.size() == layout::cell_size * model.cells.size(), "%zu bytes for %zu cells", cells.size(),
               model.cells.size());
    // Cell 1: kind, then data1 (the marker) and data2 (the plain code).
    FUZZ_CHECK(get_i16(cells, layout::cell_size + 1) == cell_marker);
    FUZZ_CHECK(get_i16(cells, layout::cell_size + 3) == fuzz::plain_code);

    // Walk the records file element by element up to element 85.
    const std::string sim = fuzz::read_bytes(files.scenario_records());
    std::size_t expected = 0;
    for (const ScenarioRecord& record : model.records)
        expected += layout::record_size_without_text + record.text.size();
    FUZZ_CHECK(sim.size() == expected, "%zu bytes of records, %zu expected", sim.size(), expected);
    std::size_t at = 0;
    for (int k = 0; k < record_index::identity; ++k) {
        FUZZ_CHECK(at + layout::record_size_without_text <= sim.size(),
                   "record %d begins past the end of the records file", k);
        at += layout::record_size_without_text + get_u16(sim, at + layout::record_text_length_at);
    }
    // Record 85: the title after its length, then int1 (the marker); long4
    // (the weighted code) is the record's last field.
    FUZZ_CHECK(at + layout::record_size_without_text <= sim.size());
    const std::size_t text_at = at + layout::record_text_length_at + 2;
    const std::size_t text_length = get_u16(sim, at + layout::record_text_length_at);
    const std::size_t end = at + layout::record_size_without_text + text_length;
    FUZZ_CHECK(end <= sim.size());
    FUZZ_CHECK(sim.compare(text_at, text_length, fuzz::title) == 0);
    FUZZ_CHECK(get_i16(sim, text_at + text_length) == record_marker);
    FUZZ_CHECK(get_i32(sim, end - 4) == fuzz::weighted_code);
}

// The program's own compaction of the two descriptions, with its checks.
void compact_as_the_program(std::string_view line, std::string_view train) {
    const ScenarioFiles& files = fuzz::scratch_files();
    fuzz::empty_scratch_folder();
    fuzz::write_bytes(files.line_description(), line);
    fuzz::write_bytes(files.train_description(), train);

    RouteModel model = fuzz::prepared_model(0);  // memorizza_percorso sets withGeometry from the flag
    ReadDiagnostics diagnostics;
    std::int32_t flag = 1;
    std::string reported;
    try {
        memorizza_percorso(
            model, files, flag, [&](const std::string& number) { reported = number; }, &diagnostics);
    } catch (const StampError& stamp) {
        fuzz::report_outcome(("stamp error " + reported).c_str(), model, diagnostics);
        FUZZ_CHECK(stamp.number() == 1250 || stamp.number() == 1251, "stamp error %d", stamp.number());
        FUZZ_CHECK(reported == std::to_string(stamp.number()), "reported '%s'", reported.c_str());
        FUZZ_CHECK(!any_binary_file(files), "a binary file after stamp error %d", stamp.number());
        fuzz::check_after_reading(model, files, diagnostics);
        if (stamp.number() == 1250) {
            const bool slot_taken = model.records[record_index::identity].int1 != 0 || model.cells[1].data1 != 0;
            FUZZ_CHECK(slot_taken);
        } else {
            FUZZ_CHECK(model.records[record_index::identity].long4 != 0 || model.cells[1].data2 != 0);
        }
        return;
    } catch (const NothingToWrite& failure) {
        // The only other defined outcome: no route length, no cells.
        fuzz::report_outcome("no route cells", model, diagnostics);
        FUZZ_CHECK(model.cells.size() < 2, "unexpected failure: %s", failure.what());
        FUZZ_CHECK(!any_binary_file(files), "a binary file without route cells");
        fuzz::check_after_reading(model, files, diagnostics);
        return;
    }
    fuzz::report_outcome("written", model, diagnostics);
    FUZZ_CHECK(reported.empty(), "errore called with '%s' but the run went on", reported.c_str());
    FUZZ_CHECK(model.withGeometry == flag);
    fuzz::check_after_reading(model, files, diagnostics);
    check_written_files(model, files);
}

// The binary files the last compaction left, by name.
std::map<std::string, std::string> written_files(const ScenarioFiles& files) {
    std::map<std::string, std::string> bytes;
    for (const std::string& path : {files.line_geometry(), files.scenario_records(), files.route_cells()}) {
        if (fuzz::exists(path)) bytes[std::filesystem::path(path).filename().string()] = fuzz::read_bytes(path);
    }
    return bytes;
}

#ifdef COMPACTOR_FUZZ_DIAGNOSTICS
// What `check` does with the descriptions, in at most four times their size
// and 32 MiB more, whatever they hold.
void check_in_bounded_memory(const std::string& line_path, const std::string& train_path, std::size_t size) {
    const fuzz::HeapPeak peak;
    {
        const tool::AuthorFiles files(line_path, train_path);
        const std::unique_ptr<tool::Run> first = tool::read_only(
            files.text(Source::line_description), files.text(Source::train_description), fuzz::title, fuzz::train_code);
        tool::AnalysisOptions options;
        options.mostErrors = 3;
        const tool::Analysis analysis = tool::analyse(*first, files, fuzz::title, fuzz::train_code, options);
        (void)tool::render_analysis(analysis, tool::ReportStyle{});
    }
    const std::size_t bound = 4 * size + (std::size_t{32} << 20);
    FUZZ_CHECK(peak.bytes() <= bound, "check held %zu bytes of heap for %zu bytes of descriptions (at most %zu)",
               peak.bytes(), size, bound);
}

// The authoring tool's compile of the same descriptions, watched for its
// diagnostics: it must write the program's bytes, and its diagnostics must
// hold an error exactly when the program's reading, pass or stamp reports one.
void compile_with_diagnostics(std::string_view line, std::string_view train,
                              const std::map<std::string, std::string>& program) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(fuzz::scratch_files().folder) / "tool";
    fs::create_directories(root / "out");
    const std::string line_path = (root / "line.txt").string();
    const std::string train_path = (root / "train.txt").string();
    fuzz::write_bytes(line_path, line);
    fuzz::write_bytes(train_path, train);

    tool::Run first;
    tool::Compaction c = tool::compact({line_path, train_path, fuzz::title, fuzz::train_code}, root / "out", true, true,
                                       &first.recorder);
    std::map<std::string, std::string> compiled;
    for (const std::string& name : c.written) compiled[name] = fuzz::read_bytes((root / "out" / name).string());
    FUZZ_CHECK(compiled == program, "the tool wrote other files or bytes than the program");

    const std::int32_t code = c.model.errorCode;
    first.model = std::move(c.model);
    first.stamp = c.stamp;
    first.nothingToWrite = !c.notWritten.empty();
    const tool::AuthorFiles files(line_path, train_path);
    tool::AnalysisOptions options;
    options.mostErrors = 3;
    const tool::Analysis analysis = tool::analyse(first, files, fuzz::title, fuzz::train_code, options);
    FUZZ_CHECK((code != 0 || first.stamp != 0) == (analysis.errors > 0), "errorCode %d, stamp %d, %zu errors", code,
               first.stamp, analysis.errors);
    for (const tool::Diagnostic& d : analysis.diagnostics) {
        FUZZ_CHECK(tool::find_diagnostic(d.name) != nullptr, "unknown diagnostic %s", d.name.c_str());
    }
    (void)tool::render_analysis(analysis, tool::ReportStyle{});
    (void)tool::diagnostics_json(analysis).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    check_in_bounded_memory(line_path, train_path, line.size() + train.size());
    fs::remove_all(root);
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > longest_input) return -1;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find(separator);
    const std::string_view line = input.substr(0, split);
    const std::string_view train = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    compact_as_the_program(line, train);
#ifdef COMPACTOR_FUZZ_DIAGNOSTICS
    compile_with_diagnostics(line, train, written_files(fuzz::scratch_files()));
#endif
    return 0;
}
