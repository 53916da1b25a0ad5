// One reading of an author's two descriptions with the program's own reader,
// completion pass and stamp, watched by a recorder; and the author's files as
// the diagnostics show them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/route_model.h"
#include "tool/diagnostics/diagnostic.h"
#include "tool/diagnostics/recorder.h"
#include "tool/diagnostics/warnings.h"

namespace scenario::tool {

struct Sources;

// The two descriptions as the author gave them.
class AuthorFiles {
public:
    // A description larger than largest_description is refused (a
    // CommandFailure, bad_data) before it is read.
    AuthorFiles(std::string line_path, std::string train_path);
    // The descriptions of a compile, one of them perhaps read from standard
    // input.
    explicit AuthorFiles(const Sources& sources);

    const std::string& path(Source source) const;
    // The file's bytes; nothing when it is not a regular file that can be read.
    std::optional<std::string_view> text(Source source) const;
    // Why a file cannot be read: "does not exist", "is a folder", ...
    const std::string& trouble(Source source) const;
    // One line of a file, without its line end (empty past the last line).
    std::string_view line(Source source, int number) const;

    SourcePoint point(Source source, const RecordedField& field) const;
    SourcePoint point(Source source, FieldLocation at, int end_column = 0) const;
    SourcePoint whole(Source source) const { return {path(source), 0, 0, 0, {}}; }
    // Names the file of a point made without it, and gives it its line.
    void complete(SourcePoint& at, Source source) const;

private:
    struct File {
        std::string path;
        std::shared_ptr<const std::string> text;  // none when it cannot be read
        std::string trouble;
        // The number of the line at every 4096th byte, to find a line
        // without keeping where each begins.
        std::vector<int> lineAt;
        // The lines shown so far, shared by every point into them.
        mutable std::map<int, LineText> shown;
    };
    const File& file(Source source) const { return source == Source::train_description ? train_ : line_; }
    // A file larger than largest_description is a CommandFailure
    // (bad_data), `what` naming it.
    static File load(std::string path, const char* what, const std::optional<std::string>& text = std::nullopt);
    static void index_lines(File& f);
    const LineText& shown_line(Source source, int number) const;

    File line_;
    File train_;
};

struct Run {
    // Warnings of the names given are not kept.
    explicit Run(std::set<std::string> silenced = {}) : warnings(std::move(silenced)) {}
    // The recorder tells the warnings of this run, where they stand.
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    RouteModel model;
    RowWarnings warnings;
    Recorder recorder{&warnings};
    int stamp = 0;                // 1250 or 1251 when the stamp was refused
    bool nothingToWrite = false;  // no route length was read
};

// Reads the two texts (nothing: the file is absent) as the program reads its
// descriptions, then completes the signalling and stamps the scenario; reads
// and writes no file. `every_row` keeps every row in the recorder (for an
// editor, which shows any row), not only those the errors name.
std::unique_ptr<Run> read_only(std::optional<std::string_view> line, std::optional<std::string_view> train,
                               const std::string& title, const std::string& train_code, bool with_geometry = true,
                               const std::set<std::string>& silenced = {}, bool every_row = false);

}  // namespace scenario::tool
