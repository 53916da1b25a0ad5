#include "tool/diagnostics/diagnosed.h"

#include <utility>

namespace scenario::tool {

Diagnosed compile_and_analyse(const Sources& sources, const AuthorFiles& files, const DiagnoseOptions& options) {
    Diagnosed d;
    const AnalysisOptions& analysis = options.analysis;
    if (options.out) {
        d.run = std::make_unique<Run>(analysis.silenced);
        d.run->recorder.keepEveryRow = options.keepEveryRow;
        CompactOptions compact_options;
        compact_options.withGeometry = analysis.withGeometry;
        compact_options.keep = options.keepFiles;
        compact_options.observer = &d.run->recorder;
        d.compaction = compact(sources, *options.out, compact_options);
        d.run->model = std::move(d.compaction.model);
        d.run->stamp = d.compaction.stamp;
        d.run->nothingToWrite = !d.compaction.notWritten.empty();
    } else {
        d.run = read_only(files.text(Source::line_description), files.text(Source::train_description), sources.title,
                          sources.trainCode, analysis.withGeometry, analysis.silenced);
    }
    d.analysis = analyse(*d.run, files, sources.title, sources.trainCode, analysis);
    return d;
}

}  // namespace scenario::tool
