// scenario-tool new: a scenario to start from, written into a folder under
// the names the program gives its files: a small commented one of the
// author's title and train code, or the one the program carries.
#include <array>
#include <optional>
#include <utility>

#include "description/fixed_text.h"
#include "driver/scenario_source.h"
#include "io/file_system.h"
#include "tool/base/display_text.h"
#include "tool/base/output_files.h"
#include "tool/base/paths.h"
#include "tool/base/scratch_folder.h"
#include "tool/base/wording.h"
#include "tool/commands/commands.h"
#include "tool/commands/scenario_template.h"

namespace scenario::tool {

namespace {

// The template's texts, written as the program writes its own: single-byte
// lines, each followed by CR LF.
class TemplateScenario : public ScenarioSource {
public:
    TemplateScenario(std::string title, std::string train_code)
        : title_(std::move(title)), train_code_(std::move(train_code)) {}

    const std::string& title() const override { return title_; }
    const std::string& train_code() const override { return train_code_; }
    std::string text(ScenarioText which) const override {
        const std::pair<std::string_view, const char*> texts[] = {
            {embedded_text::template_line, "template line description"},
            {embedded_text::template_train, "template train description"},
            {embedded_text::template_notes, "template notes"},
            {embedded_text::template_slowdown_order, "template slowdown order"},
            {embedded_text::template_timetable_sheet, "template timetable sheet"}};
        const auto& [text, name] = texts[static_cast<std::size_t>(which)];
        return fixed_text_content(make_line_table(single_byte_lines(text, name)));
    }

private:
    std::string title_;
    std::string train_code_;
};

constexpr std::array<ScenarioText, scenario_text_count> every_text = {
    ScenarioText::line_description, ScenarioText::train_description, ScenarioText::notes, ScenarioText::slowdown_order,
    ScenarioText::timetable_sheet};

std::string path_of(const ScenarioFiles& files, ScenarioText which) {
    switch (which) {
        case ScenarioText::line_description:
            return files.line_description();
        case ScenarioText::train_description:
            return files.train_description();
        case ScenarioText::notes:
            return files.notes();
        case ScenarioText::slowdown_order:
            return files.slowdown_order();
        case ScenarioText::timetable_sheet:
            return files.timetable_sheet();
    }
    return {};
}

[[noreturn]] void already_there(const std::string& path) {
    throw CommandFailure(exit_status::cannot_create, "'" + path + "' already exists; new never replaces a file");
}

// The files this run created, removed again (each only while it is still the
// one created) when a later one cannot be, so that a failed `new` leaves the
// folder as it found it.
class CreatedFiles {
public:
    CreatedFiles() = default;
    CreatedFiles(const CreatedFiles&) = delete;
    CreatedFiles& operator=(const CreatedFiles&) = delete;
    ~CreatedFiles() {
        if (kept_) return;
        for (const auto& [path, identity] : created_) {
            if (identity && os::identity(path) == identity) {
                try {
                    delete_file(path);
                } catch (const FileError&) {
                    // The failure that stopped the command is the one to tell.
                }
            }
        }
    }

    void create(const std::string& path, const std::string& bytes) {
        if (!write_new_output(path, bytes)) already_there(path);
        created_.emplace_back(path, os::identity(path));
    }
    void keep() { kept_ = true; }

private:
    std::vector<std::pair<std::string, std::optional<os::Identity>>> created_;
    bool kept_ = false;
};

}  // namespace

int new_command(const NewOptions& options, std::ostream& out, std::ostream& /*err*/) {
    if (options.folder.empty()) throw UsageError("missing FOLDER");
    if (options.example && (!options.title.empty() || !options.trainCode.empty())) {
        throw UsageError(
            "--example writes the program's own scenario, Valcorvina / IC 318: --title and --train-code "
            "do not go with it");
    }
    std::vector<std::string> missing;
    if (!options.example && options.title.empty()) missing.emplace_back("--title");
    if (!options.example && options.trainCode.empty()) missing.emplace_back("--train-code");
    if (!missing.empty()) throw UsageError("missing " + listing(missing) + " (or --example)");

    const BuiltInScenario example;
    const TemplateScenario fresh(options.title, options.trainCode);
    const ScenarioSource& scenario = options.example ? static_cast<const ScenarioSource&>(example) : fresh;
    std::string folder = options.folder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    check_names({"", "", scenario.title(), scenario.train_code()}, utf8_path(folder));
    const ScenarioFiles files{folder, '/', scenario.title(), scenario.train_code()};

    // Every name first, so that nothing is written when any is taken.
    for (const ScenarioText which : every_text) {
        if (entry_at(path_of(files, which)) != Entry::none) already_there(path_of(files, which));
    }
    const OutputFolder held(utf8_path(folder), output_lock_patience);
    require_writable_folder(utf8_path(folder), "folder");
    CreatedFiles created;
    std::vector<std::string> names;
    for (const ScenarioText which : every_text) {
        const std::string path = path_of(files, which);
        created.create(path, scenario.text(which));
        names.push_back(path.substr(folder.size() + 1));
    }
    created.keep();
    out << terminal_text("wrote " + listing(names) + " into " + options.folder) << "\n";
    return exit_status::done;
}

}  // namespace scenario::tool
