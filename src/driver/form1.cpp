#include "driver/form1.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include "compactor/memorizza_percorso.h"
#include "description/embedded_scenario.h"
#include "documents/documents.h"
#include "driver/program_identity.h"
#include "io/file_system.h"

namespace scenario {

namespace {

// The description files the run has written and the reader has not yet
// taken over. When a later write fails they are removed again, as the reader
// removes them after reading, so a failed run leaves none behind; a file the
// run did not write is never touched.
class WrittenDescriptions {
public:
    WrittenDescriptions() = default;
    ~WrittenDescriptions() {
        for (const std::string& path : paths_) {
            try {
                delete_file_if_present(path);
            } catch (...) {
                // The failure that ended the run is the one to report.
            }
        }
    }
    WrittenDescriptions(const WrittenDescriptions&) = delete;
    WrittenDescriptions& operator=(const WrittenDescriptions&) = delete;

    void wrote(std::string path) { paths_.push_back(std::move(path)); }
    void hand_over_to_the_reader() { paths_.clear(); }

private:
    std::vector<std::string> paths_;
};

}  // namespace

Form1::Form1(Platform& platform) : platform_(platform) {}

ScenarioFiles Form1::files() const {
    return ScenarioFiles{platform_.program_folder(), platform_.separator(), model_.title, model_.trainCode};
}

void Form1::Form_Load() {
    model_.title = scenario_title;
    model_.trainCode = scenario_train_code;
    platform_.show_window();
    write_texts();
    std::int32_t flag = 1;
    memorizza_percorso(flag);
    platform_.end_process(exit_status::normal);
}

void Form1::write_texts() {
    WrittenDescriptions written;
    dati_linea();
    written.wrote(files().line_description());
    dati_treno();
    written.wrote(files().train_description());
    dati_note();
    dati_rallentamenti();
    dati_scheda();
    written.hand_over_to_the_reader();
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
