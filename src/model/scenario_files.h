// The naming scheme of every file the run writes or reads: the program
// folder, the separator, the title and, for train-related files, "_" and the
// train code, followed by a fixed suffix.
#pragma once

#include <string>

namespace scenario {

struct ScenarioFiles {
    std::string folder;  // without a trailing separator
    char separator = '/';
    std::string title;
    std::string trainCode;

    std::string line_description() const { return line_base() + "_linea.txt"; }
    std::string train_description() const { return train_base() + "-.txt"; }
    std::string notes() const { return train_base() + "_note.txt"; }
    std::string slowdown_order() const { return train_base() + "_rallentamenti.txt"; }
    std::string timetable_sheet() const { return train_base() + "_scheda_treno.txt"; }
    std::string line_geometry() const { return line_base() + "_linea.dat"; }
    std::string scenario_records() const { return train_base() + ".sim"; }
    std::string route_cells() const { return train_base() + ".dat"; }

private:
    std::string line_base() const { return folder + separator + title; }
    std::string train_base() const { return line_base() + "_" + trainCode; }
};

}  // namespace scenario
