// The texts the server works on: the editor's open documents, changed as it
// sends each change, and the files of a pair it has not opened, read from
// disk. Each is kept as UTF-8 with the start of every line, so that an
// editor's position (line, UTF-16 unit) and a diagnostic's (line, byte of
// the Latin-1 file) both find their place.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool::lsp {

// A place as the protocol counts it: 0-based line and UTF-16 unit.
struct Position {
    int line = 0;
    int character = 0;
    bool operator==(const Position&) const = default;
};
struct Range {
    Position start;
    Position end;
    bool operator==(const Range&) const = default;
};

class Document {
public:
    Document(std::string uri, std::string utf8_text, int version = 0);

    const std::string& uri() const { return uri_; }
    const std::string& text() const { return text_; }
    int version() const { return version_; }
    std::size_t line_count() const { return starts_.size(); }
    // A line without its line end; empty past the last.
    std::string_view line(int number) const;

    // Replaces the text within `range` (the whole text when there is none);
    // places past a line's end or past the last line are clamped to them, as
    // the protocol asks.
    void change(const std::optional<Range>& range, std::string_view utf8_text, int version);

    // Between a diagnostic's place (1-based line, 1-based byte column of the
    // Latin-1 line) and the protocol's.
    Position position_of(int line, int column) const;
    // The 1-based line and byte column of the Latin-1 file at `at`.
    std::pair<int, int> column_of(Position at) const;

private:
    std::size_t offset_of(Position at) const;
    void index_lines();

    std::string uri_;
    std::string text_;
    int version_ = 0;
    std::vector<std::size_t> starts_;
};

// A file URI's path ("file:///a%20b/c" is "/a b/c"); nothing for another
// scheme.
std::optional<std::string> path_of_uri(std::string_view uri);
// The file URI of an absolute path.
std::string uri_of_path(std::string_view path);

// The editor's open documents by path, and the files beside them read from
// disk when asked for.
class Workspace {
public:
    Document& open(const std::string& uri, std::string utf8_text, int version);
    void close(const std::string& uri);
    Document* find_uri(const std::string& uri);
    // The open document of a path, or nothing.
    const Document* open_at(const std::string& path) const;
    // Its text as the file holds it (Latin-1): the open document's, else the
    // file's on disk; nothing when neither is there.
    std::optional<std::string> latin1_text(const std::string& path) const;
    // The open document, or the file on disk as one (its text as of now).
    std::shared_ptr<const Document> view(const std::string& path) const;
    // The names of the open documents in a folder.
    std::vector<std::string> open_names(const std::string& folder) const;

private:
    std::map<std::string, std::shared_ptr<Document>> byPath_;
};

}  // namespace scenario::tool::lsp
