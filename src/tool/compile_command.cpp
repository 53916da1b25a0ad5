// scenario-tool compile: the program's compaction of an author's
// descriptions, and what went wrong in plain words.
#include <nlohmann/json.hpp>

#include "tool/commands.h"
#include "tool/diagnosis.h"
#include "tool/display_text.h"

namespace scenario::tool {

namespace {

std::string listing(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

template <typename T>
nlohmann::ordered_json or_null(const std::optional<T>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

int compile_command(const CompileOptions& options, std::ostream& out, std::ostream& err) {
    require_writable_folder(options.out, "output folder");
    const Compaction c = compact(options.sources, options.out, !options.noGeometry, true);
    const RouteModel& m = c.model;

    Diagnosis diagnosis;
    std::string message;
    int status = exit_status::done;
    if (c.stamp != 0) {
        status = exit_status::stamp_error;
        message = " Errore n. " + std::to_string(c.stamp) + ": " + explain_stamp(c) + "; nothing was written";
    } else if (m.errorCode != 0) {
        status = exit_status::scenario_error;
        diagnosis = diagnose(c, options.sources);
        message = diagnosis.message;
    } else if (c.written.empty()) {
        status = exit_status::scenario_error;
        message = c.notWritten;
    } else {
        message = "wrote " + listing(c.written) + " into " + options.out;
    }

    if (options.json) {
        nlohmann::ordered_json report;
        report["errorCode"] = m.errorCode;
        report["errorPosition"] = m.errorPosition;
        report["stamp"] = c.stamp != 0 ? nlohmann::ordered_json(c.stamp) : nlohmann::ordered_json(nullptr);
        report["file"] = or_null(diagnosis.file);
        report["line"] = or_null(diagnosis.line);
        report["column"] = or_null(diagnosis.column);
        report["message"] = message;
        report["written"] = c.written;
        out << report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
        return status;
    }

    if (c.stamp != 0) {
        err << " Errore n. " << c.stamp << "\n"
            << program_name << ": " << explain_stamp(c) << "; nothing was written\n";
    } else if (m.errorCode != 0) {
        err << render(diagnosis, program_name);
        if (!c.written.empty()) {
            err << "note: the binary files were written all the same, as the program does: " << listing(c.written)
                << "\n";
        } else {
            err << "note: no file was written: " << c.notWritten << "\n";
        }
    } else if (c.written.empty()) {
        err << program_name << ": " << message << "\n";
    } else {
        out << message << "\n";
    }
    return status;
}

}  // namespace scenario::tool
