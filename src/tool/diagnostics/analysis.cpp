#include "tool/diagnostics/analysis.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

#include "reader/keywords.h"
#include "tool/diagnostics/catalogue.h"
#include "tool/diagnostics/errors.h"
#include "tool/diagnostics/shown_warnings.h"
#include "tool/diagnostics/warnings.h"

namespace scenario::tool {

namespace {

// Errors after which reading again would only report what taking the row
// out caused (the table says which: the file is unread, or the route length
// is gone), and errors of no row to take out.
bool ends_recovery(const Diagnostic& d) {
    const DiagnosticKind* kind = find_diagnostic(d.name);
    return (kind != nullptr && kind->search == Search::ends) || !d.at || d.at->line <= 0;
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
        const std::string_view text = files.line(source, line);
        if (keyword::speed.matches(text) || keyword::adhesion.matches(text)) return true;
    }
    return false;
}

// The warnings of the readings, kept for showing; their points name their
// files only once the ones shown are known.
class Warnings {
public:
    Warnings(const AuthorFiles& files, const std::set<std::string>& silenced) : files_(files), shown_(silenced) {}

    void add(std::vector<FoundWarning> found, int run) {
        const bool apart = files_.path(Source::train_description) != files_.path(Source::line_description);
        for (FoundWarning& w : found) {
            w.order.run = run;
            w.order.file = w.source == Source::train_description && apart ? 1 : 0;
            shown_.add(std::move(w));
        }
    }
    void add_rows(const Run& run, int index) {
        add(run.warnings.found(), index);
        cut_ = cut_ || run.warnings.cut();
    }
    bool cut() const { return cut_ || shown_.cut(); }
    std::vector<Diagnostic> take(bool as_errors) {
        std::vector<Diagnostic> out;
        for (FoundWarning& w : shown_.take()) {
            Diagnostic& d = w.diagnostic;
            if (d.at) files_.complete(*d.at, w.source);
            for (Note& note : d.notes) {
                if (note.at) files_.complete(*note.at, w.source);
            }
            if (as_errors) d.severity = Severity::error;
            out.push_back(std::move(d));
        }
        return out;
    }

private:
    const AuthorFiles& files_;
    ShownWarnings shown_;
    bool cut_ = false;
};

// The descriptions read again, each with the rows taken out so far made
// blank; a text is copied only once a row of it is taken out.
class Blanked {
public:
    explicit Blanked(const AuthorFiles& files) : files_(files) {}

    // False when the file was never read.
    bool blank(Source source, const std::set<int>& lines) {
        std::optional<std::string>& copy = source == Source::train_description ? train_ : line_;
        if (!copy) {
            const std::optional<std::string_view> text = files_.text(source);
            if (!text) return false;
            copy.emplace(*text);
        }
        *copy = with_blank_lines(std::move(*copy), lines);
        return true;
    }
    // Takes out the row at `line` and the rows of `folded`, each once;
    // false when that row was taken out already, or the file never read.
    bool take_out(Source source, int line, const std::vector<int>& folded, std::set<std::pair<Source, int>>& taken) {
        if (!taken.insert({source, line}).second) return false;
        std::set<int> lines{line};
        for (int other : folded) {
            if (taken.insert({source, other}).second) lines.insert(other);
        }
        return blank(source, lines);
    }
    std::optional<std::string_view> text(Source source) const {
        const std::optional<std::string>& copy = source == Source::train_description ? train_ : line_;
        if (copy) return std::string_view(*copy);
        return files_.text(source);
    }

private:
    const AuthorFiles& files_;
    std::optional<std::string> line_;
    std::optional<std::string> train_;
};

// What the program itself reports on a reading that went through: the
// marks the pass could not place, the stamp.
void add_program_errors(Collector& errors, const Run& run, const AuthorFiles& files) {
    errors.add(pass_errors(run, files));
    if (std::optional<Diagnostic> stamp = stamp_error(run, files)) errors.add(std::move(*stamp));
}

// All are shown in file order, the line description's first, and counted.
void show_in_order(Analysis& result, std::vector<Diagnostic> all, const AuthorFiles& files, bool cut) {
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
    if (cut) {
        result.notShown = "more warnings were found than are shown: at most " + std::to_string(ShownWarnings::most) +
                          ", and " + std::to_string(ShownWarnings::mostOnALine) + " on one line";
    }
    result.diagnostics = std::move(all);
}

}  // namespace

std::string with_blank_line(std::string text, int line) { return with_blank_lines(std::move(text), {line}); }

std::string with_blank_lines(std::string text, const std::set<int>& lines) {
    if (lines.empty()) return text;
    const int last = *lines.rbegin();
    int number = 1;
    bool blank = lines.count(1) != 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool line_end = c == '\n' || c == '\r';
        if (line_end) {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++number;
            if (number > last) break;
            blank = lines.count(number) != 0;
            continue;
        }
        if (blank) text[i] = ' ';
    }
    return text;
}

Analysis analyse(const Run& first, const AuthorFiles& files, const std::string& title, const std::string& train_code,
                 const AnalysisOptions& options) {
    Collector errors;
    Warnings warnings(files, options.silenced);
    Analysis result;

    warnings.add_rows(first, 0);
    // The profile warnings of the first reading that went through the train
    // description, unless a profile row had to be taken out on the way.
    bool profiles_told = read_whole_train(first.recorder);
    if (profiles_told) warnings.add(profile_warnings(first.recorder, first.warnings), 0);
    // What the program itself reports on the descriptions as given: the
    // reading's error, the marks the pass could not place, the stamp.
    add_program_errors(errors, first, files);

    Blanked texts(files);
    std::set<std::pair<Source, int>> blanked;
    std::unique_ptr<Run> again;
    const Run* run = &first;
    int readings = 1;
    std::size_t found = 0;
    for (;;) {
        std::vector<int> folded;
        std::optional<Diagnostic> error = reading_error(*run, files, &folded);
        // An error that only taking a row out caused is none of the author's.
        const bool caused_by_removal =
            run != &first && error &&
            (ends_recovery(*error) || blanked.count({source_of(*error, files), error->at->line}) != 0);
        if (run != &first && !caused_by_removal) {
            // Rows this reading got to that the earlier ones did not.
            warnings.add_rows(*run, readings - 1);
            if (!profiles_told && read_whole_train(run->recorder) && !profile_row_blanked(files, blanked)) {
                warnings.add(profile_warnings(run->recorder, run->warnings), readings - 1);
                profiles_told = true;
            }
        }
        if (!error) {
            // The reading went through: the pass and the stamp of this
            // reading are the program's on these rows.
            if (run != &first) add_program_errors(errors, *run, files);
            break;
        }
        if (caused_by_removal) break;
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
        // Read again without the row at fault, and the rows its error
        // stands for.
        if (!texts.take_out(source, line, folded, blanked)) break;
        try {
            // One reading at a time besides the first.
            run = &first;
            again.reset();
            again = read_only(texts.text(Source::line_description), texts.text(Source::train_description), title,
                              train_code, options.withGeometry, options.silenced);
        } catch (const std::exception& cannot) {
            // No memory to read again in: what was found stands.
            result.stoppedEarly = true;
            result.stopReason = cannot.what();
            break;
        }
        run = again.get();
        ++readings;
    }

    // Warnings not silenced join the errors (as errors, with --werror).
    std::vector<Diagnostic> all = errors.take();
    for (Diagnostic& w : warnings.take(options.warningsAreErrors)) all.push_back(std::move(w));
    show_in_order(result, std::move(all), files, warnings.cut());
    return result;
}

}  // namespace scenario::tool
