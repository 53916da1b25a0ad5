// Every diagnostic the tool can give, named once: each error code of the
// program (the table of codes in model/error_codes.h) with one entry for
// each situation that yields it, and every warning. The explanations,
// `scenario-tool explain` and the reference page of all diagnostics come
// from this one table.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/error_codes.h"
#include "tool/diagnostics/catalogue_table.h"
#include "tool/diagnostics/diagnostic.h"

namespace scenario::tool {

std::span<const DiagnosticKind> diagnostic_catalogue();

// The entry of a name, looked up as the tool is compiled: a name that is
// no entry of the table does not compile. Detection names its diagnostic so.
consteval const DiagnosticKind& kind_named(std::string_view name) {
    for (const DiagnosticKind& kind : diagnostic_table) {
        if (kind.name == name) return kind;
    }
    throw "no diagnostic of this name";  // never a constant: the call does not compile
}

// The first entry of an error code, the code's own situation; the
// catch-all of faults for a code no entry names.
constexpr const DiagnosticKind& kind_of(ErrorCode code) {
    for (const DiagnosticKind& kind : diagnostic_table) {
        if (kind.code == code) return kind;
    }
    return kind_named("run-time-fault");
}

// A diagnostic of the kind: its severity, code and name as the table gives them.
Diagnostic diagnostic_of(const DiagnosticKind& kind, std::optional<SourcePoint> at, std::string message);

// The entry of a name; nothing for an unknown name.
const DiagnosticKind* find_diagnostic(std::string_view name);
// The first entry of an error code (the code's own name); nothing for a
// number no step of the run reports.
const DiagnosticKind* find_diagnostic(std::int32_t code);
// The entry of a name, or of a code written as a number.
const DiagnosticKind* find_diagnostic_by_name_or_code(std::string_view name_or_code);

// The step that reports it: "reading the line description", "completion
// pass", ...; a warning's is the reading.
std::string_view stage_of(const DiagnosticKind& kind);

// The whole explanation, as `explain` prints it.
std::string explanation_text(const DiagnosticKind& kind);
// The reference page of every diagnostic, in Markdown.
std::string reference_page();

}  // namespace scenario::tool
