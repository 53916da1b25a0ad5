// One diagnostic of an author's descriptions: an error the program's reader,
// completion pass or stamp reports, or a warning about something the reader
// accepts but an author almost never means; each at the field of the row the
// author must change, with notes at the other rows involved.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scenario::tool {

enum class Severity { error, warning };

// The text of a line of an author's file. It may be long, and many
// diagnostics may point into one line, so it is a view of the file's text
// kept alive by whoever holds it, not a copy.
class LineText {
public:
    LineText() = default;
    LineText(std::string text) : owner_(std::make_shared<const std::string>(std::move(text))), line_(*owner_) {}
    LineText(const char* text) : LineText(std::string(text)) {}
    // A line of a text that `owner` holds.
    LineText(std::shared_ptr<const std::string> owner, std::string_view line) : owner_(std::move(owner)), line_(line) {}

    std::string_view view() const { return line_; }
    operator std::string_view() const { return line_; }

private:
    std::shared_ptr<const std::string> owner_;
    std::string_view line_;
};

// A place in an author's file: line and columns 1-based, in bytes of the
// line as the file holds it; line 0 names the file as a whole.
struct SourcePoint {
    std::string file;
    int line = 0;
    int column = 0;
    int endColumn = 0;  // just past the field; 0 when only a point is known
    LineText lineText;  // the line as the file holds it
};

struct Note {
    std::optional<SourcePoint> at;
    std::string message;
};

struct Diagnostic {
    Severity severity = Severity::error;
    std::optional<std::int32_t> code;  // the number the program keeps in errorCode; none for a warning
    std::string name;                  // stable, kebab-case: the catalogue's entry
    std::optional<SourcePoint> at;
    std::string message;
    std::vector<Note> notes;
    // The text that certainly mends the field at `at`, as the file would hold
    // it, where the fault has one sure mending (a misspelt keyword's nearest
    // keyword, a speed rounded as it is stored); editors offer it as a fix.
    std::optional<std::string> replacement;
};

}  // namespace scenario::tool
