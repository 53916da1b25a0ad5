#include "compactor/memorizza_percorso.h"

#include <stdexcept>

#include "compactor/binary_files.h"
#include "compactor/completion_pass.h"

namespace scenario {

void read_complete_and_stamp(RouteModel& model, const ScenarioFiles& files, std::int32_t& flag,
                             const StampErrorReport& errore, ReadDiagnostics* diagnostics) {
    model.withGeometry = flag;
    model.errorCode = 0;
    model.clear_records();
    memorizza_dati(model, files, diagnostics);

    if (model.cells.size() < 2) {
        throw NothingToWrite("the line description gave no route length, so there are no route cells to write");
    }
    complete_signalling(model, diagnostics != nullptr ? diagnostics->observer : nullptr);
    stamp_scenario(model, errore);
}

void memorizza_percorso(RouteModel& model, const ScenarioFiles& files, std::int32_t& flag,
                        const StampErrorReport& errore, ReadDiagnostics* diagnostics) {
    read_complete_and_stamp(model, files, flag, errore, diagnostics);
    if (model.withGeometry != 0) {
        if (!model.track.exists()) throw std::runtime_error("the plan geometry was not created");
        write_line_geometry(model.track, files.line_geometry());
    }
    write_scenario_records(model, files.scenario_records());
    write_route_cells(model, files.route_cells());
}

}  // namespace scenario
