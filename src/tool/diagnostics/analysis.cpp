#include "tool/diagnostics/analysis.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

#include "reader/keywords.h"
#include "tool/diagnostics/errors.h"
#include "tool/diagnostics/warnings.h"

namespace scenario::tool {

namespace {

// Errors after which reading again would only report what taking the row
// out caused: the file is unread, or the route length is gone.
bool ends_recovery(const Diagnostic& d) {
    static const std::set<std::string> final_names{
        "line-description-missing",  "general-header-missing", "route-too-long",
        "missing-route-length",      "negative-route-length",  "empty-description",
        "train-description-missing", "unreadable-description", "run-time-fault"};
    return final_names.count(d.name) != 0 || !d.at || d.at->line <= 0;
}

Source source_of(const Diagnostic& d, const AuthorFiles& files) {
    const bool train = d.at && d.at->file == files.path(Source::train_description) &&
                       files.path(Source::train_description) != files.path(Source::line_description);
    return train ? Source::train_description : Source::line_description;
}

using Key = std::tuple<std::string, std::string, int, int, std::string>;
Key key_of(const Diagnostic& d) {
    return {d.name, d.at ? d.at->file : std::string(), d.at ? d.at->line : 0, d.at ? d.at->column : 0, d.message};
}

class Collector {
public:
    void add(Diagnostic d) {
        if (seen_.insert(key_of(d)).second) list_.push_back(std::move(d));
    }
    void add(std::vector<Diagnostic> ds) {
        for (Diagnostic& d : ds) add(std::move(d));
    }
    std::vector<Diagnostic> take() { return std::move(list_); }

private:
    std::set<Key> seen_;
    std::vector<Diagnostic> list_;
};

// Whether a row taken out was a line speed or adhesion row: the profile
// warnings of a later reading would then be of the removal's making.
bool profile_row_blanked(const AuthorFiles& files, const std::set<std::pair<Source, int>>& blanked) {
    for (const auto& [source, line] : blanked) {
        const std::string text = files.line(source, line);
        if (keyword::speed.matches(text) || keyword::adhesion.matches(text)) return true;
    }
    return false;
}

}  // namespace

std::string with_blank_line(std::string text, int line) {
    int number = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool line_end = c == '\n' || c == '\r';
        if (line_end) {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++number;
            continue;
        }
        if (number == line) text[i] = ' ';
        if (number > line) break;
    }
    return text;
}

Analysis analyse(const Run& first, const AuthorFiles& files, const std::string& title, const std::string& train_code,
                 const AnalysisOptions& options) {
    Collector errors;
    Collector warnings;
    Analysis result;

    warnings.add(row_warnings(first, files));
    warnings.add(order_warnings(first, files));
    // The profile warnings of the first reading that went through the train
    // description, unless a profile row had to be taken out on the way.
    bool profiles_told = read_whole_train(first);
    if (profiles_told) warnings.add(profile_warnings(first, files));
    // What the program itself reports on the descriptions as given: the
    // reading's error, the marks the pass could not place, the stamp.
    errors.add(pass_errors(first, files));
    if (std::optional<Diagnostic> stamp = stamp_error(first, files)) errors.add(std::move(*stamp));

    std::optional<std::string> line_text = files.text(Source::line_description);
    std::optional<std::string> train_text = files.text(Source::train_description);
    std::set<std::pair<Source, int>> blanked;
    std::unique_ptr<Run> again;
    const Run* run = &first;
    std::size_t found = 0;
    for (;;) {
        std::optional<Diagnostic> error = reading_error(*run, files);
        if (run != &first &&
            !(error && (ends_recovery(*error) || blanked.count({source_of(*error, files), error->at->line}) != 0))) {
            // Rows this reading got to that the earlier ones did not.
            warnings.add(row_warnings(*run, files));
            warnings.add(order_warnings(*run, files));
            if (!profiles_told && read_whole_train(*run) && !profile_row_blanked(files, blanked)) {
                warnings.add(profile_warnings(*run, files));
                profiles_told = true;
            }
        }
        if (!error) {
            // The reading went through: the pass and the stamp of this
            // reading are the program's on these rows.
            if (run != &first) {
                errors.add(pass_errors(*run, files));
                if (std::optional<Diagnostic> stamp = stamp_error(*run, files)) errors.add(std::move(*stamp));
            }
            break;
        }
        if (run != &first) {
            // An error that only taking a row out caused is none of the author's.
            const bool caused_by_removal =
                ends_recovery(*error) || blanked.count({source_of(*error, files), error->at->line}) != 0;
            if (caused_by_removal) break;
        }
        const bool last = ends_recovery(*error);
        const Source source = source_of(*error, files);
        const int line = error->at ? error->at->line : 0;
        errors.add(std::move(*error));
        ++found;
        if (last) break;
        if (found >= options.mostErrors) {
            result.stoppedEarly = true;
            result.stopReason = "after " + std::to_string(found) + " errors";
            break;
        }
        // Read again without the row at fault.
        if (!blanked.insert({source, line}).second) break;
        std::optional<std::string>& text = source == Source::train_description ? train_text : line_text;
        if (!text) break;
        *text = with_blank_line(std::move(*text), line);
        try {
            again = read_only(line_text, train_text, title, train_code, options.withGeometry);
        } catch (const std::exception& cannot) {
            // No scratch space to read again in: what was found stands.
            result.stoppedEarly = true;
            result.stopReason = cannot.what();
            break;
        }
        run = again.get();
    }

    // Warnings not silenced join the errors (as errors, with --werror); all
    // are shown in file order, the line description's first.
    std::vector<Diagnostic> all = errors.take();
    std::vector<Diagnostic> ws = warnings.take();
    for (Diagnostic& w : ws) {
        if (options.silenced.count(w.name) != 0) continue;
        if (options.warningsAreErrors) w.severity = Severity::error;
        all.push_back(std::move(w));
    }
    auto order = [&files](const Diagnostic& d) {
        const int file = source_of(d, files) == Source::train_description ? 1 : 0;
        return std::tuple{file, d.at ? d.at->line : 0, d.at ? d.at->column : 0};
    };
    std::stable_sort(all.begin(), all.end(),
                     [&](const Diagnostic& a, const Diagnostic& b) { return order(a) < order(b); });
    for (const Diagnostic& d : all) {
        if (d.severity == Severity::error) {
            ++result.errors;
        } else {
            ++result.warnings;
        }
    }
    result.diagnostics = std::move(all);
    return result;
}

}  // namespace scenario::tool
