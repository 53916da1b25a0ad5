#include "reader/memorizza_dati.h"

#include <exception>
#include <optional>

#include "io/file_system.h"
#include "model/error_codes.h"
#include "reader/line_reader.h"
#include "reader/reading.h"
#include "reader/train_reader.h"

namespace scenario {

void memorizza_dati(RouteModel& model, const ScenarioFiles& files, ReadDiagnostics* diagnostics) {
    Reading reading(model, files, diagnostics);
    try {
        model.records[record_index::identity].text = model.title;
        model.records[record_index::repetition].text = model.trainCode;
        std::optional<std::int32_t> next_sign = read_line_description(reading);
        if (next_sign) read_train_description(reading, *next_sign);
    } catch (const std::exception& failure) {
        Fault kind = Fault::other;
        if (const auto* fault = dynamic_cast<const ReadFault*>(&failure)) {
            kind = fault->kind();
        } else if (dynamic_cast<const FileError*>(&failure) != nullptr) {
            kind = Fault::unreadable_file;
        }
        reading.note_fault(kind, failure.what());
        reading.close();
        if (diagnostics == nullptr || diagnostics->texts == nullptr) {
            delete_file_if_present(files.line_description());
            delete_file_if_present(files.train_description());
        }
        model.errorCode = value_of(ErrorCode::run_time_fault);
    }
}

}  // namespace scenario
