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
#include "tool/diagnostics/diagnostic.h"

namespace scenario::tool {

struct DiagnosticKind {
    std::string_view name;
    Severity severity = Severity::error;
    std::optional<ErrorCode> code;  // none for a warning
    std::string_view summary;       // one line
    std::string_view explanation;   // what it means, the typical causes, how to fix it
    std::string_view wrong;         // a minimal wrong row ...
    std::string_view right;         // ... and its corrected form
};

std::span<const DiagnosticKind> diagnostic_catalogue();

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
