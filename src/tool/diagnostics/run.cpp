#include "tool/diagnostics/run.h"

#include <filesystem>
#include <fstream>

#include "compactor/memorizza_percorso.h"
#include "io/file_system.h"
#include "model/scenario_files.h"
#include "tool/base/compaction.h"
#include "tool/base/os.h"
#include "tool/base/paths.h"

namespace scenario::tool {

AuthorFiles::File AuthorFiles::load(std::string path, const std::optional<std::string>& text) {
    File f;
    f.path = std::move(path);
    f.text = text;
    if (!f.text) f.trouble = os::file_trouble(f.path);
    if (!f.text && f.trouble.empty()) {
        try {
            f.text = read_whole_file(f.path);
        } catch (const FileError& unreadable) {
            f.trouble = std::string("cannot be read: ") + unreadable.what();
        }
    }
    f.lines = std::make_unique<FieldStream>(f.text.value_or(std::string()));
    return f;
}

AuthorFiles::AuthorFiles(std::string line_path, std::string train_path)
    : line_(load(std::move(line_path))), train_(load(std::move(train_path))) {}

AuthorFiles::AuthorFiles(const Sources& sources)
    : line_(load(sources.line, sources.lineText)), train_(load(sources.train, sources.trainText)) {}

const std::string& AuthorFiles::path(Source source) const { return file(source).path; }
const std::optional<std::string>& AuthorFiles::text(Source source) const { return file(source).text; }
const std::string& AuthorFiles::trouble(Source source) const { return file(source).trouble; }

std::string AuthorFiles::line(Source source, int number) const {
    return std::string(file(source).lines->line_text(number));
}

SourcePoint AuthorFiles::point(Source source, const ReadField& field) const {
    return point(source, field.at, field.endColumn);
}

SourcePoint AuthorFiles::point(Source source, FieldLocation at, int end_column) const {
    if (at.line <= 0) return whole(source);
    return {path(source), at.line, at.column, end_column, line(source, at.line)};
}

std::unique_ptr<Run> read_only(const std::optional<std::string>& line, const std::optional<std::string>& train,
                               const std::string& title, const std::string& train_code, bool with_geometry) {
    auto run = std::make_unique<Run>();
    ScratchFolder scratch(std::filesystem::temp_directory_path());
    // The names in the scratch folder are the reader's own; the title and
    // the train code go into the records only.
    const ScenarioFiles files{scratch.path().string(), '/', "scenario", "train"};
    auto place = [](const std::optional<std::string>& text, const std::string& name) {
        if (!text) return;
        std::ofstream out(utf8_path(name), std::ios::binary);
        out.write(text->data(), static_cast<std::streamsize>(text->size()));
        if (!out) throw FileError("cannot write a scratch copy", name);
    };
    place(line, files.line_description());
    place(train, files.train_description());

    run->model.title = title;
    run->model.trainCode = train_code;
    ReadDiagnostics diagnostics;
    diagnostics.observer = &run->recorder;
    diagnostics.keepGeometry = false;  // nothing is written
    std::int32_t flag = with_geometry ? 1 : 0;
    try {
        read_complete_and_stamp(
            run->model, files, flag, [](const std::string&) {}, &diagnostics);
    } catch (const StampError& refused) {
        run->stamp = refused.number();
    } catch (const NothingToWrite&) {
        run->nothingToWrite = true;
    }
    return run;
}

}  // namespace scenario::tool
