#include "support/description_files.h"

namespace scenario::testing {

std::string crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string line_description(int route_length, const std::vector<std::string>& items,
                             const std::vector<std::string>& general) {
    std::vector<std::string> lines{"[generale]", "lunghezza percorso,    " + std::to_string(route_length)};
    lines.insert(lines.end(), general.begin(), general.end());
    lines.push_back("[curve]");
    lines.insert(lines.end(), items.begin(), items.end());
    lines.push_back("[fine]");
    return crlf(lines);
}

std::string train_description(const std::vector<std::string>& rows) {
    std::vector<std::string> lines{"[generale]"};
    lines.insert(lines.end(), rows.begin(), rows.end());
    lines.insert(lines.end(), {"[codici]", "[fine]", ""});
    return crlf(lines);
}

ScenarioFolder::ScenarioFolder() : files{folder.path().string(), '/', "Linea", "T 1"} {
    model.title = files.title;
    model.trainCode = files.trainCode;
}

void ScenarioFolder::read(int with_geometry) {
    model.withGeometry = with_geometry;
    model.errorCode = 0;
    model.clear_records();
    memorizza_dati(model, files, &diagnostics);
}

}  // namespace scenario::testing
