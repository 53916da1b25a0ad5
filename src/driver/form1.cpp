#include "driver/form1.h"

#include <cstdlib>

#include "compactor/memorizza_percorso.h"
#include "description/embedded_scenario.h"
#include "documents/documents.h"
#include "driver/program_identity.h"

namespace scenario {

Form1::Form1(Platform& platform) : platform_(platform) {}

ScenarioFiles Form1::files() const {
    return ScenarioFiles{platform_.program_folder(), platform_.separator(), model_.title, model_.trainCode};
}

void Form1::Form_Load() {
    model_.title = scenario_title;
    model_.trainCode = scenario_train_code;
    platform_.show_window();
    dati_linea();
    dati_treno();
    dati_note();
    dati_rallentamenti();
    dati_scheda();
    std::int32_t flag = 1;
    memorizza_percorso(flag);
    platform_.end_process(exit_status::normal);
}

void Form1::errore(const std::string& number) {
    platform_.message_box(" Errore n. " + number);
    platform_.end_process(exit_status::error_report);
    std::abort();  // a platform whose end_process returns is broken
}

void Form1::dati_linea() { scenario::dati_linea(files()); }
void Form1::dati_treno() { scenario::dati_treno(files()); }
void Form1::dati_note() { scenario::dati_note(files()); }
void Form1::dati_rallentamenti() { scenario::dati_rallentamenti(files()); }
void Form1::dati_scheda() { scenario::dati_scheda(files()); }

void Form1::memorizza_percorso(std::int32_t& flag) {
    scenario::memorizza_percorso(model_, files(), flag, [this](const std::string& number) { errore(number); });
}

}  // namespace scenario
