// Arbitrary bytes as the line description, read together with a fixed small
// train description: the reading never crashes, never trips a sanitizer and
// always ends with one of the reader's codes, leaving no line description.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "reader/memorizza_dati.h"

namespace {

using namespace scenario;

// Valid on any route of at least 0 m (7000 m of cells).
constexpr std::string_view train_description =
    "[generale]\r\n"
    "numero vetture,    13\r\n"
    "velocita,   0,    30\r\n"
    "aderenza,   0,    90\r\n"
    "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  15,47,30, Brenzola\r\n"
    "rallentamento,   3500,    60,  500, 0,  1,  60\r\n"
    "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"
    "[codici]\r\n"
    "[fine]\r\n"
    "\r\n";

// Longer than the descriptions of the longest route (about 200 KB).
constexpr std::size_t longest_input = 256 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > longest_input) return -1;  // not added to the corpus
    const ScenarioFiles& files = fuzz::scratch_files();
    fuzz::empty_scratch_folder();
    fuzz::write_bytes(files.line_description(), {reinterpret_cast<const char*>(data), size});
    fuzz::write_bytes(files.train_description(), train_description);

    RouteModel model = fuzz::prepared_model(1);
    ReadDiagnostics diagnostics;
    memorizza_dati(model, files, &diagnostics);
    fuzz::report_outcome("read", model, diagnostics);

    FUZZ_CHECK(fuzz::is_reader_code(model.errorCode), "errorCode %d", model.errorCode);
    fuzz::check_after_reading(model, files, diagnostics);
    return 0;
}
