// The compactor: prepares the route model, reads both descriptions into it,
// completes the signalling, stamps the scenario and writes the three binary
// files.
#pragma once

#include <cstdint>
#include <stdexcept>

#include "compactor/scenario_codes.h"
#include "model/route_model.h"
#include "model/scenario_files.h"
#include "reader/memorizza_dati.h"

namespace scenario {

// The reading ended before a route length was read: there are no route cells
// (nor plan geometry) to complete or write, so no binary file is written.
class NothingToWrite : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `flag` non-zero: the plan geometry is built and written. The outcome of
// the reading stays in errorCode and errorPosition; the files are written
// whatever it is. A stamp error is reported through `errore`, and then no
// file is written. A model without route cells (no route length was read)
// cannot be written: that is NothingToWrite.
void memorizza_percorso(RouteModel& model, const ScenarioFiles& files, std::int32_t& flag,
                        const StampErrorReport& errore, ReadDiagnostics* diagnostics = nullptr);

// The same run up to the stamp, writing no file: prepares the model, reads
// both descriptions, completes the signalling and stamps the scenario.
void read_complete_and_stamp(RouteModel& model, const ScenarioFiles& files, std::int32_t& flag,
                             const StampErrorReport& errore, ReadDiagnostics* diagnostics = nullptr);

}  // namespace scenario
