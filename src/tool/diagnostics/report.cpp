#include "tool/diagnostics/report.h"

#include <algorithm>
#include <cstdio>

#include "tool/display_text.h"

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

bool is_control(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7F; }

std::string location(const SourcePoint& at, const ShownLine* shown) {
    std::string text = display_text(at.file);
    if (at.line <= 0) return text;
    text += ':' + std::to_string(at.line);
    int column = at.column;
    if (shown != nullptr && column >= 1 && static_cast<std::size_t>(column - 1) < shown->columns.size()) {
        column = shown->columns[static_cast<std::size_t>(column - 1)];
    }
    text += ':' + std::to_string(std::max(1, column));
    return text;
}

// The source line and the caret under the field; a line longer than the
// widest shown is cut around the caret.
std::string source_lines(const SourcePoint& at, const ShownLine& shown, const ReportStyle& style) {
    auto column_of = [&](int byte_column) {
        const std::size_t b = static_cast<std::size_t>(std::max(1, byte_column) - 1);
        return b < shown.columns.size()
                   ? shown.columns[b]
                   : shown.columns.back() + static_cast<int>(b) - static_cast<int>(shown.columns.size() - 1);
    };
    const int caret = column_of(at.column);
    const int caret_end = at.endColumn > at.column ? column_of(at.endColumn) : caret + 1;

    // Characters of the shown line, as byte ranges of its UTF-8.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < shown.text.size(); ++i) {
        if ((static_cast<unsigned char>(shown.text[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    const int length = static_cast<int>(starts.size());
    int first = 1;
    int last = length;
    if (length > style.widest_line) {
        first = std::max(1, std::min(caret - style.widest_line / 2, length - style.widest_line + 1));
        last = first + style.widest_line - 1;
    }
    auto slice = [&](int from, int to) {  // characters from..to, 1-based, inclusive
        if (from > to || from > length) return std::string();
        const std::size_t a = starts[static_cast<std::size_t>(from - 1)];
        const std::size_t b = to >= length ? shown.text.size() : starts[static_cast<std::size_t>(to)];
        return shown.text.substr(a, b - a);
    };
    const std::string lead = first > 1 ? "..." : "";
    const std::string tail = last < length ? "..." : "";
    const std::string number = std::to_string(at.line);
    std::string text = " " + number + " | " + lead + slice(first, last) + tail + "\n";
    text += " " + std::string(number.size(), ' ') + " | " + std::string(lead.size(), ' ');
    const std::string visible = slice(first, std::min(last, caret - 1));
    for (std::size_t i = 0; i < visible.size(); ++i) {
        const char c = visible[i];
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;
        text += c == '\t' ? '\t' : ' ';
    }
    const int under = std::max(1, std::min(caret_end, last + 1) - std::max(caret, first));
    text += paint(green, "^" + std::string(static_cast<std::size_t>(under - 1), '~'), style) + "\n";
    return text;
}

std::string one(const std::optional<SourcePoint>& at, const char* colour, const char* label, const std::string& message,
                const std::string& suffix, const ReportStyle& style) {
    std::optional<ShownLine> shown;
    if (at && at->line > 0) shown = shown_line(at->lineText);
    std::string text;
    if (at) text += paint(bold, location(*at, shown ? &*shown : nullptr) + ":", style) + " ";
    text += paint(colour, std::string(label) + ":", style) + " " + message + suffix + "\n";
    if (shown) text += source_lines(*at, *shown, style);
    return text;
}

}  // namespace

ShownLine shown_line(std::string_view line) {
    ShownLine shown;
    const bool utf8 = is_valid_utf8(line);
    int column = 1;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        shown.columns.push_back(column);
        if (is_control(c)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown.text += escaped;
            column += 4;
        } else if (c < 0x80) {
            shown.text += static_cast<char>(c);
            ++column;
        } else if (utf8) {
            shown.text += static_cast<char>(c);
            if ((c & 0xC0) != 0x80) ++column;
            if ((c & 0xC0) == 0x80) shown.columns.back() = column - 1;
        } else {
            shown.text += display_text(line.substr(i, 1));
            ++column;
        }
    }
    shown.columns.push_back(column);
    return shown;
}

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
    if (analysis.stoppedEarly) text += " (the search for errors stopped there; more may follow)";
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
        j["file"] = at ? Json(display_text(at->file)) : Json(nullptr);
        if (at && at->line > 0) {
            const ShownLine shown = shown_line(at->lineText);
            const std::size_t b = static_cast<std::size_t>(std::max(1, at->column) - 1);
            j["line"] = at->line;
            j["column"] = b < shown.columns.size() ? shown.columns[b] : at->column;
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
