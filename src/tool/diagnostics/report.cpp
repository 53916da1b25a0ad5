#include "tool/diagnostics/report.h"

#include <algorithm>

#include "tool/base/display_text.h"

namespace scenario::tool {

namespace {

const char* bold = "\033[1m";
const char* red = "\033[1;31m";
const char* magenta = "\033[1;35m";
const char* cyan = "\033[1;36m";
const char* green = "\033[1;32m";
const char* plain = "\033[0m";

std::string paint(const char* colour, const std::string& text, const ReportStyle& style) {
    return style.colour ? colour + text + plain : text;
}

std::string location(const SourcePoint& at) {
    std::string text = display_text(at.file);
    if (at.line <= 0) return text;
    // Columns count characters of the line as the file holds it, as editors do.
    text += ':' + std::to_string(at.line) + ':' + std::to_string(std::max(1, character_column(at.lineText, at.column)));
    return text;
}

// Characters of UTF-8 text.
std::size_t characters(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The source line and the caret under the field; a line wider than the
// widest shown is cut around the caret.
std::string source_lines(const SourcePoint& at, const ReportStyle& style) {
    const std::string line = utf8_text(at.lineText);
    const int caret = std::max(1, character_column(at.lineText, at.column));
    const int end = at.endColumn > at.column ? character_column(at.lineText, at.endColumn) : caret + 1;
    const Excerpt excerpt = source_excerpt(line, caret, style.widest_line);

    // The field as shown (escapes widen it), cut where the excerpt ends.
    auto next_character = [&line](std::size_t from_byte) {
        ++from_byte;
        while (from_byte < line.size() && (static_cast<unsigned char>(line[from_byte]) & 0xC0) == 0x80) ++from_byte;
        return from_byte;
    };
    std::size_t from = 0;
    for (int c = 1; c < caret && from < line.size(); ++c) from = next_character(from);
    std::size_t to = from;
    for (int c = caret; c < end && to < line.size(); ++c) to = next_character(to);
    const std::size_t shown = characters(excerpt.text);
    const std::size_t room =
        shown >= static_cast<std::size_t>(excerpt.column) ? shown - static_cast<std::size_t>(excerpt.column) + 1 : 1;
    // The caret runs under at most `room` characters of the field, and a
    // character takes at most four bytes: no more of a long field is needed.
    const std::string field = line.substr(from, std::min(to - from, 4 * room + 4));
    const std::size_t under = std::max<std::size_t>(1, std::min(characters(escape_controls(field)), room));

    const std::string number = std::to_string(at.line);
    std::string text = " " + number + " | " + excerpt.text + "\n";
    text.append(number.size() + 1, ' ').append(" | ");
    // Tabs stay tabs, so that the caret lines up with the field.
    int column = 1;
    for (std::size_t i = 0; i < excerpt.text.size() && column < excerpt.column; ++i) {
        const char c = excerpt.text[i];
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;
        text += c == '\t' ? '\t' : ' ';
        ++column;
    }
    for (; column < excerpt.column; ++column) text += ' ';
    std::string caret_mark = "^";
    caret_mark.append(under - 1, '~');
    text += paint(green, caret_mark, style) + "\n";
    return text;
}

std::string one(const std::optional<SourcePoint>& at, const char* colour, const char* label, const std::string& message,
                const std::string& suffix, const ReportStyle& style) {
    std::string text;
    if (at) text += paint(bold, location(*at) + ":", style) + " ";
    // Messages quote author text escaped already; one that names a path as
    // given (a file that cannot be read) is escaped here.
    text += paint(colour, std::string(label) + ":", style) + " " + terminal_text(message) + suffix + "\n";
    if (at && at->line > 0) text += source_lines(*at, style);
    return text;
}

}  // namespace

std::string render_diagnostic(const Diagnostic& d, const ReportStyle& style) {
    const bool error = d.severity == Severity::error;
    std::string text =
        one(d.at, error ? red : magenta, error ? "error" : "warning", d.message, " [" + d.name + "]", style);
    for (const Note& note : d.notes) text += one(note.at, cyan, "note", note.message, "", style);
    return text;
}

std::string summary_line(const Analysis& analysis) {
    auto count = [](std::size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    std::string text =
        count(analysis.errors, "error", "errors") + ", " + count(analysis.warnings, "warning", "warnings");
    if (analysis.stoppedEarly) {
        text += " (the search for errors stopped " + analysis.stopReason + "; more may follow)";
    }
    if (!analysis.notShown.empty()) text += " (" + analysis.notShown + ")";
    return text;
}

std::string render_analysis(const Analysis& analysis, const ReportStyle& style) {
    std::string text;
    for (const Diagnostic& d : analysis.diagnostics) text += render_diagnostic(d, style);
    if (!analysis.diagnostics.empty()) text += summary_line(analysis) + "\n";
    return text;
}

nlohmann::ordered_json diagnostics_json(const Analysis& analysis) {
    using Json = nlohmann::ordered_json;
    auto place = [](Json& j, const std::optional<SourcePoint>& at) {
        // The file's name as it is, not as a terminal shows it: two names
        // that only look alike there stay apart here.
        j["file"] = at ? Json(utf8_text(at->file)) : Json(nullptr);
        if (at && at->line > 0) {
            j["line"] = at->line;
            j["column"] = std::max(1, character_column(at->lineText, at->column));
        } else {
            j["line"] = nullptr;
            j["column"] = nullptr;
        }
    };
    Json list = Json::array();
    for (const Diagnostic& d : analysis.diagnostics) {
        Json j;
        j["severity"] = d.severity == Severity::error ? "error" : "warning";
        j["code"] = d.code ? Json(*d.code) : Json(nullptr);
        j["name"] = d.name;
        place(j, d.at);
        j["message"] = d.message;
        Json notes = Json::array();
        for (const Note& note : d.notes) {
            Json n;
            place(n, note.at);
            n["message"] = note.message;
            notes.push_back(std::move(n));
        }
        j["notes"] = std::move(notes);
        list.push_back(std::move(j));
    }
    return list;
}

}  // namespace scenario::tool
