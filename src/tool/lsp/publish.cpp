#include "tool/lsp/publish.h"

#include <map>

namespace scenario::tool::lsp {

namespace {

nlohmann::json position_json(Position p) { return {{"line", p.line}, {"character", p.character}}; }

// The files of the pair, and where a diagnostic of another file (or of a
// missing one, as a whole) is shown: on the file the author has open.
class Targets {
public:
    Targets(const Checked& checked, const Workspace& workspace) {
        for (const std::string& path : {checked.pair.linePath, checked.pair.trainPath}) {
            documents_[path] = workspace.view(path);
            if (workspace.open_at(path) != nullptr && fallback_.empty()) fallback_ = path;
        }
        if (fallback_.empty()) fallback_ = checked.pair.linePath;
        open_ = {workspace.open_at(checked.pair.linePath) != nullptr,
                 workspace.open_at(checked.pair.trainPath) != nullptr};
        line_ = checked.pair.linePath;
    }
    // The file a place is shown in: its own when it is one of the pair and
    // open or a row of it, else the fallback.
    std::string file_of(const SourcePoint& at) const {
        const auto found = documents_.find(at.file);
        if (found == documents_.end()) return fallback_;
        const bool open = at.file == line_ ? open_.first : open_.second;
        return open || at.line > 0 ? at.file : fallback_;
    }
    const Document& document(const std::string& path) const { return *documents_.at(path); }
    std::vector<std::string> paths() const {
        std::vector<std::string> all;
        for (const auto& [path, document] : documents_) all.push_back(path);
        return all;
    }

private:
    std::map<std::string, std::shared_ptr<const Document>> documents_;
    std::string fallback_;
    std::string line_;
    std::pair<bool, bool> open_;
};

nlohmann::json location_json(const Targets& targets, const SourcePoint& at) {
    const std::string file = targets.file_of(at);
    const Document& d = targets.document(file);
    const bool own = file == at.file;
    return {{"uri", d.uri()}, {"range", range_json(d, own ? at.line : 0, at.column, at.endColumn)}};
}

nlohmann::json diagnostic_json(const Diagnostic& d, const nlohmann::json& location, const std::string& reference) {
    nlohmann::json out{{"range", location["range"]},
                       {"severity", d.severity == Severity::error ? 1 : 2},
                       {"code", d.name},
                       {"codeDescription", {{"href", reference + "#" + d.name}}},
                       {"source", "scenario-tool"},
                       {"message", d.message}};
    return out;
}

}  // namespace

nlohmann::json range_json(const Document& document, int line, int column, int end_column) {
    if (line <= 0) return {{"start", position_json({0, 0})}, {"end", position_json({0, 0})}};
    // Only the line known: all of it.
    if (column <= 0) {
        column = 1;
        end_column = static_cast<int>(document.line(line - 1).size()) + 1;
    }
    const Position start = document.position_of(line, column);
    const Position end = document.position_of(line, end_column > column ? end_column : column);
    return {{"start", position_json(start)}, {"end", position_json(end)}};
}

std::vector<Published> published_diagnostics(const Checked& checked, const Workspace& workspace,
                                             const std::string& reference) {
    const Targets targets(checked, workspace);
    std::map<std::string, nlohmann::json> by_file;
    for (const std::string& path : targets.paths()) by_file[path] = nlohmann::json::array();
    if (!checked.failure.empty()) {
        for (auto& [path, list] : by_file) {
            list.push_back({{"range", range_json(targets.document(path), 0, 0, 0)},
                            {"severity", 1},
                            {"source", "scenario-tool"},
                            {"message", checked.failure}});
        }
    }
    for (const Diagnostic& d : checked.analysis.diagnostics) {
        const SourcePoint at = d.at.value_or(SourcePoint{checked.pair.linePath, 0, 0, 0, {}});
        const std::string file = targets.file_of(at);
        const nlohmann::json location = location_json(targets, at);
        nlohmann::json out = diagnostic_json(d, location, reference);
        nlohmann::json related = nlohmann::json::array();
        for (const Note& note : d.notes) {
            if (!note.at) {
                out["message"] = out["message"].get<std::string>() + "\nnote: " + note.message;
                continue;
            }
            const nlohmann::json place = location_json(targets, *note.at);
            related.push_back({{"location", place}, {"message", note.message}});
            const std::string note_file = targets.file_of(*note.at);
            if (note_file == file) continue;
            // The row in the other file shows the note too, leading back.
            by_file[note_file].push_back({{"range", place["range"]},
                                          {"severity", 4},
                                          {"code", d.name},
                                          {"source", "scenario-tool"},
                                          {"message", "note: " + note.message},
                                          {"relatedInformation", {{{"location", location}, {"message", d.message}}}}});
        }
        if (!related.empty()) out["relatedInformation"] = std::move(related);
        by_file[file].push_back(std::move(out));
    }
    std::vector<Published> published;
    published.reserve(by_file.size());
    for (auto& [path, list] : by_file) published.push_back({targets.document(path).uri(), std::move(list)});
    return published;
}

}  // namespace scenario::tool::lsp
