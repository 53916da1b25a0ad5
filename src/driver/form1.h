// The program's single window: it owns the route model and its load handler
// is the whole run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/platform.h"
#include "driver/scenario_source.h"
#include "model/route_model.h"
#include "model/scenario_files.h"

namespace scenario {

class Form1 {
public:
    // The run of the scenario the program carries.
    explicit Form1(Platform& platform);
    // The run of another scenario (a packaged one), which outlives the form.
    Form1(Platform& platform, const ScenarioSource& scenario);

    // The run: identity, window, the five text writers, the compactor, end.
    void Form_Load();

    // Shows " Errore n. " and the number, then ends the process.
    [[noreturn]] void errore(const std::string& number);

    const RouteModel& model() const { return model_; }

private:
    // Names are formed afresh from the program folder each time.
    ScenarioFiles files() const;

    // The two descriptions and the three documents, in this order.
    void write_texts();
    void write_text(ScenarioText which, const std::string& path);
    void dati_linea();
    void dati_treno();
    void dati_note();
    void dati_rallentamenti();
    void dati_scheda();
    void memorizza_percorso(std::int32_t& flag);
    // Removes the descriptions the run wrote that are still there: those a
    // failed write left, and the train description a reading that stopped
    // in the line description never reached. A file the run did not write
    // is never touched.
    void remove_descriptions_left() noexcept;

    Platform& platform_;
    const ScenarioSource& scenario_;
    RouteModel model_;
    std::vector<std::string> descriptions_written_;
};

}  // namespace scenario
