// The program's single window: it owns the route model and its load handler
// is the whole run.
#pragma once

#include <cstdint>
#include <string>

#include "driver/platform.h"
#include "model/route_model.h"
#include "model/scenario_files.h"

namespace scenario {

class Form1 {
public:
    explicit Form1(Platform& platform);

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
    void dati_linea();
    void dati_treno();
    void dati_note();
    void dati_rallentamenti();
    void dati_scheda();
    void memorizza_percorso(std::int32_t& flag);

    Platform& platform_;
    RouteModel model_;
};

}  // namespace scenario
