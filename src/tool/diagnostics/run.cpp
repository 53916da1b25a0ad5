#include "tool/diagnostics/run.h"

#include <algorithm>

#include "compactor/memorizza_percorso.h"
#include "io/file_system.h"
#include "model/scenario_files.h"
#include "tool/base/compaction.h"
#include "tool/base/exit_status.h"
#include "tool/base/os.h"

namespace scenario::tool {

namespace {

[[noreturn]] void too_large(const char* what, const std::string& path) {
    throw CommandFailure(exit_status::bad_data, std::string(what) + " '" + path + "' holds more than " +
                                                    std::to_string(largest_description >> 20) +
                                                    " MiB, the most a description may hold");
}

// The file's bytes, refused before they are taken in when there are more
// than a description may hold (the file may grow while it is read).
std::string read_description(const char* what, const std::string& path) {
    InputFile file(path);
    if (file.size() > largest_description) too_large(what, path);
    std::string content(static_cast<std::size_t>(file.size()) + 1, '\0');
    std::size_t have = 0;
    while (const std::size_t n = file.read(content.data() + have, content.size() - have)) {
        have += n;
        if (have < content.size()) continue;
        if (content.size() > largest_description) too_large(what, path);
        content.resize(std::min(content.size() * 2, largest_description + 1));
    }
    content.resize(have);
    return content;
}

// A line begins after each line end (LF, CR LF or a bare CR) but one that
// closes the text, as the reader counts them; `closing` also takes that one.
bool ends_a_line(std::string_view text, std::size_t i, bool closing = false) {
    const char c = text[i];
    if (c != '\n' && c != '\r') return false;
    const bool line_end = c == '\n' || i + 1 >= text.size() || text[i + 1] != '\n';
    return line_end && (closing || i + 1 < text.size());
}

constexpr std::size_t lines_indexed_every = 4096;

}  // namespace

AuthorFiles::File AuthorFiles::load(std::string path, const char* what, const std::optional<std::string>& text) {
    File f;
    f.path = std::move(path);
    if (text) f.text = std::make_shared<const std::string>(*text);
    if (!f.text) f.trouble = os::file_trouble(f.path);
    if (!f.text && f.trouble.empty()) {
        try {
            f.text = std::make_shared<const std::string>(read_description(what, f.path));
        } catch (const FileError& unreadable) {
            f.trouble = std::string("cannot be read: ") + unreadable.what();
        }
    }
    index_lines(f);
    return f;
}

void AuthorFiles::index_lines(File& f) {
    if (!f.text) return;
    const std::string_view text = *f.text;
    int line = 1;
    for (std::size_t block = 0; block < text.size(); block += lines_indexed_every) {
        f.lineAt.push_back(line);
        // Every LF ends a line, and so does a CR that no LF follows; they
        // are counted at once rather than byte by byte.
        const std::string_view piece = text.substr(block, lines_indexed_every);
        line += static_cast<int>(std::count(piece.begin(), piece.end(), '\n'));
        for (std::size_t cr = piece.find('\r'); cr != std::string_view::npos; cr = piece.find('\r', cr + 1)) {
            const std::size_t i = block + cr;
            if (i + 1 >= text.size() || text[i + 1] != '\n') ++line;
        }
        // A line end that closes the text begins no line.
        if (block + piece.size() == text.size() && ends_a_line(text, text.size() - 1, true)) --line;
    }
}

AuthorFiles::AuthorFiles(std::string line_path, std::string train_path)
    : line_(load(std::move(line_path), "line description")), train_(load(std::move(train_path), "train description")) {}

AuthorFiles::AuthorFiles(const Sources& sources)
    : line_(load(sources.line, "line description", sources.lineText)),
      train_(load(sources.train, "train description", sources.trainText)) {}

const std::string& AuthorFiles::path(Source source) const { return file(source).path; }
std::optional<std::string_view> AuthorFiles::text(Source source) const {
    const File& f = file(source);
    if (!f.text) return std::nullopt;
    return std::string_view(*f.text);
}
const std::string& AuthorFiles::trouble(Source source) const { return file(source).trouble; }

std::string_view AuthorFiles::line(Source source, int number) const {
    const File& f = file(source);
    if (!f.text || number < 1) return {};
    const std::string_view text = *f.text;
    // From the last indexed byte that lies on an earlier line: the line
    // begins within the next 4096 bytes.
    const auto after = std::lower_bound(f.lineAt.begin(), f.lineAt.end(), number);
    std::size_t start = 0;
    int line = 1;
    if (after != f.lineAt.begin()) {
        const auto k = static_cast<std::size_t>(after - f.lineAt.begin()) - 1;
        start = k * lines_indexed_every;
        line = f.lineAt[k];
    }
    for (std::size_t i = start; line < number; ++i) {
        if (i >= text.size()) return {};
        if (ends_a_line(text, i)) {
            ++line;
            start = i + 1;
        }
    }
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    return text.substr(start, end - start);
}

const LineText& AuthorFiles::shown_line(Source source, int number) const {
    const File& f = file(source);
    const auto found = f.shown.find(number);
    if (found != f.shown.end()) return found->second;
    return f.shown.emplace(number, LineText(f.text, line(source, number))).first->second;
}

SourcePoint AuthorFiles::point(Source source, const RecordedField& field) const {
    return point(source, field.at, field.endColumn);
}

SourcePoint AuthorFiles::point(Source source, FieldLocation at, int end_column) const {
    if (at.line <= 0) return whole(source);
    return {path(source), at.line, at.column, end_column, shown_line(source, at.line)};
}

void AuthorFiles::complete(SourcePoint& at, Source source) const {
    at.file = path(source);
    if (at.line > 0) at.lineText = shown_line(source, at.line);
}

std::unique_ptr<Run> read_only(std::optional<std::string_view> line, std::optional<std::string_view> train,
                               const std::string& title, const std::string& train_code, bool with_geometry,
                               const std::set<std::string>& silenced, bool every_row) {
    auto run = std::make_unique<Run>(silenced);
    run->recorder.keepEveryRow = every_row;
    // The texts are read where they are: the names are the reader's own and
    // no file is looked for, written or deleted.
    const ScenarioFiles files{"", '/', "scenario", "train"};
    const DescriptionTexts texts{line, train};

    run->model.title = title;
    run->model.trainCode = train_code;
    ReadDiagnostics diagnostics;
    diagnostics.observer = &run->recorder;
    diagnostics.keepGeometry = false;  // nothing is written
    diagnostics.texts = &texts;
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
