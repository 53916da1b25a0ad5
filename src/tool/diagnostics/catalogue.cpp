#include "tool/diagnostics/catalogue.h"

#include <charconv>

namespace scenario::tool {

namespace {

// The rows agree with each other: each name once, and a warning has no
// code and never ends the search for errors.
consteval bool rows_agree() {
    for (const DiagnosticKind& kind : diagnostic_table) {
        int same = 0;
        for (const DiagnosticKind& other : diagnostic_table) same += other.name == kind.name ? 1 : 0;
        const bool warning = kind.severity == Severity::warning;
        if (same != 1 || (warning && (kind.code || kind.search == Search::ends))) return false;
        if (!warning && !kind.code) return false;
    }
    return true;
}
static_assert(rows_agree(), "a row of the table of diagnostics contradicts another or itself");

}  // namespace

std::span<const DiagnosticKind> diagnostic_catalogue() { return diagnostic_table; }

Diagnostic diagnostic_of(const DiagnosticKind& kind, std::optional<SourcePoint> at, std::string message) {
    Diagnostic d;
    d.severity = kind.severity;
    if (kind.code) d.code = value_of(*kind.code);
    d.name = std::string(kind.name);
    d.at = std::move(at);
    d.message = std::move(message);
    return d;
}

const DiagnosticKind* find_diagnostic(std::string_view name) {
    for (const DiagnosticKind& kind : diagnostic_table) {
        if (kind.name == name) return &kind;
    }
    return nullptr;
}

const DiagnosticKind* find_diagnostic(std::int32_t code) {
    for (const DiagnosticKind& kind : diagnostic_table) {
        if (kind.code && value_of(*kind.code) == code) return &kind;
    }
    return nullptr;
}

const DiagnosticKind* find_diagnostic_by_name_or_code(std::string_view name_or_code) {
    std::int32_t code = 0;
    const char* end = name_or_code.data() + name_or_code.size();
    const auto [ptr, ec] = std::from_chars(name_or_code.data(), end, code);
    if (ec == std::errc() && ptr == end && !name_or_code.empty()) return find_diagnostic(code);
    return find_diagnostic(name_or_code);
}

std::string_view stage_of(const DiagnosticKind& kind) {
    if (!kind.code) return "reading either description";
    switch (error_code_info(*kind.code).stage) {
        case Stage::line_half:
            return "reading the line description";
        case Stage::train_half:
            return "reading the train description";
        case Stage::either_half:
            return "reading either description";
        case Stage::completion_pass:
            return "completion pass";
        case Stage::stamp:
            return "scenario stamp";
    }
    return "";
}

namespace {

// Rows of a description as a block: each line indented, CR LF shown as a
// line break.
std::string rows_block(std::string_view rows, std::string_view indent) {
    std::string text;
    std::string_view rest = rows;
    for (;;) {
        const std::size_t end = rest.find("\r\n");
        text += indent;
        text += rest.substr(0, end);
        text += '\n';
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 2);
    }
    return text;
}

// "this row:" or "these rows:", as many as the example has.
std::string_view example_words(std::string_view rows) {
    return rows.find("\r\n") == std::string_view::npos ? "For example, this row:" : "For example, these rows:";
}

}  // namespace

std::string explanation_text(const DiagnosticKind& kind) {
    std::string text;
    text += kind.severity == Severity::error ? "error" : "warning";
    if (kind.code) text.append(" ").append(std::to_string(value_of(*kind.code)));
    text += " [" + std::string(kind.name) + "]: " + std::string(kind.summary) + "\n";
    text += "reported by: " + std::string(stage_of(kind)) + "\n\n";
    text += std::string(kind.explanation) + "\n";
    // Appended piece by piece: "\n" + std::string(...) trips a false
    // -Wrestrict of GCC 12 at -O3.
    if (!kind.wrong.empty())
        text.append("\n").append(example_words(kind.wrong)).append("\n").append(rows_block(kind.wrong, "    "));
    if (!kind.right.empty()) {
        text += (kind.wrong.empty() ? "\nWritten right:\n" : "\nwritten right:\n") + rows_block(kind.right, "    ");
    }
    return text;
}

std::string reference_page() {
    std::string page =
        "# Diagnostics of scenario-tool\n\n"
        "Generated from the tool's table of diagnostics (`scenario-tool explain NAME` prints one entry). Errors carry "
        "the number the program keeps in its error code; warnings have none and never change what is written.\n\n"
        "| name | severity | code | reported by | summary |\n|---|---|---|---|---|\n";
    for (const DiagnosticKind& kind : diagnostic_table) {
        page += "| [`" + std::string(kind.name) + "`](#" + std::string(kind.name) + ") | ";
        page += kind.severity == Severity::error ? "error" : "warning";
        page += " | " + (kind.code ? std::to_string(value_of(*kind.code)) : std::string()) + " | ";
        page += std::string(stage_of(kind)) + " | " + std::string(kind.summary) + " |\n";
    }
    for (const DiagnosticKind& kind : diagnostic_table) {
        page += "\n## " + std::string(kind.name) + "\n\n";
        page += "**" + std::string(kind.severity == Severity::error ? "error" : "warning");
        if (kind.code) page.append(" ").append(std::to_string(value_of(*kind.code)));
        page += "**, reported by " + std::string(stage_of(kind)) + ": " + std::string(kind.summary) + ".\n\n";
        page += std::string(kind.explanation) + "\n";
        if (!kind.wrong.empty()) {
            page.append("\n").append(example_words(kind.wrong)).append("\n\n").append(rows_block(kind.wrong, "    "));
        }
        if (!kind.right.empty()) {
            page +=
                (kind.wrong.empty() ? "\nWritten right:\n\n" : "\nwritten right:\n\n") + rows_block(kind.right, "    ");
        }
    }
    return page;
}

}  // namespace scenario::tool
