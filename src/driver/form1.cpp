#include "driver/form1.h"

#include <cstdlib>

#include "compactor/memorizza_percorso.h"
#include "io/file_system.h"

namespace scenario {

namespace {

const BuiltInScenario& built_in_scenario() {
    static const BuiltInScenario scenario;
    return scenario;
}

}  // namespace

Form1::Form1(Platform& platform) : Form1(platform, built_in_scenario()) {}

Form1::Form1(Platform& platform, const ScenarioSource& scenario) : platform_(platform), scenario_(scenario) {}

ScenarioFiles Form1::files() const {
    return ScenarioFiles{platform_.program_folder(), platform_.separator(), model_.title, model_.trainCode};
}

void Form1::Form_Load() {
    model_.title = scenario_.title();
    model_.trainCode = scenario_.train_code();
    platform_.show_window();
    try {
        write_texts();
        std::int32_t flag = 1;
        memorizza_percorso(flag);
    } catch (...) {
        remove_descriptions_left();
        throw;
    }
    remove_descriptions_left();
    platform_.end_process(exit_status::normal);
}

void Form1::write_texts() {
    dati_linea();
    dati_treno();
    dati_note();
    dati_rallentamenti();
    dati_scheda();
}

void Form1::write_text(ScenarioText which, const std::string& path) {
    const std::string content = scenario_.text(which);
    replace_and_write(path, [&](OutputFile& out) { out.write(content); });
    if (which == ScenarioText::line_description || which == ScenarioText::train_description) {
        descriptions_written_.push_back(path);
    }
}

void Form1::remove_descriptions_left() noexcept {
    for (const std::string& path : descriptions_written_) {
        try {
            delete_file_if_present(path);
        } catch (...) {
            // The failure that ended the run, if any, is the one to report.
        }
    }
    descriptions_written_.clear();
}

void Form1::errore(const std::string& number) {
    // The reading is over; the report ends the process.
    remove_descriptions_left();
    platform_.message_box(" Errore n. " + number);
    platform_.end_process(exit_status::error_report);
    std::abort();  // a platform whose end_process returns is broken
}

void Form1::dati_linea() { write_text(ScenarioText::line_description, files().line_description()); }
void Form1::dati_treno() { write_text(ScenarioText::train_description, files().train_description()); }
void Form1::dati_note() { write_text(ScenarioText::notes, files().notes()); }
void Form1::dati_rallentamenti() { write_text(ScenarioText::slowdown_order, files().slowdown_order()); }
void Form1::dati_scheda() { write_text(ScenarioText::timetable_sheet, files().timetable_sheet()); }

void Form1::memorizza_percorso(std::int32_t& flag) {
    scenario::memorizza_percorso(model_, files(), flag, [this](const std::string& number) { errore(number); });
}

}  // namespace scenario
