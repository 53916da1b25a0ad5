// One reading of an author's two descriptions with the program's own reader,
// completion pass and stamp, watched by a recorder; and the author's files as
// the diagnostics show them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "description/field_stream.h"
#include "model/route_model.h"
#include "tool/diagnostics/diagnostic.h"
#include "tool/diagnostics/recorder.h"

namespace scenario::tool {

struct Sources;

// The two descriptions as the author gave them.
class AuthorFiles {
public:
    AuthorFiles(std::string line_path, std::string train_path);
    // The descriptions of a compile, one of them perhaps read from standard
    // input.
    explicit AuthorFiles(const Sources& sources);

    const std::string& path(Source source) const;
    // The file's bytes; nothing when it is not a regular file that can be read.
    const std::optional<std::string>& text(Source source) const;
    // Why a file cannot be read: "does not exist", "is a folder", ...
    const std::string& trouble(Source source) const;
    // One line of a file, without its line end.
    std::string line(Source source, int number) const;

    SourcePoint point(Source source, const ReadField& field) const;
    SourcePoint point(Source source, FieldLocation at, int end_column = 0) const;
    SourcePoint whole(Source source) const { return {path(source), 0, 0, 0, {}}; }

private:
    struct File {
        std::string path;
        std::optional<std::string> text;
        std::string trouble;
        std::unique_ptr<FieldStream> lines;
    };
    const File& file(Source source) const { return source == Source::train_description ? train_ : line_; }
    static File load(std::string path, const std::optional<std::string>& text = std::nullopt);

    File line_;
    File train_;
};

struct Run {
    RouteModel model;
    Recorder recorder;
    int stamp = 0;                // 1250 or 1251 when the stamp was refused
    bool nothingToWrite = false;  // no route length was read
};

// Reads the two texts (nothing: the file is absent) as the program reads its
// descriptions, then completes the signalling and stamps the scenario; writes
// no binary file.
std::unique_ptr<Run> read_only(const std::optional<std::string>& line, const std::optional<std::string>& train,
                               const std::string& title, const std::string& train_code, bool with_geometry = true);

}  // namespace scenario::tool
