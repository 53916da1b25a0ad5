#include "tool/lsp/checking.h"

#include "tool/base/exit_status.h"
#include "tool/base/failures.h"
#include "tool/base/sources.h"

namespace scenario::tool::lsp {

std::unique_ptr<Checked> check_pair(const Workspace& workspace, const Pair& pair) {
    auto checked = std::make_unique<Checked>();
    checked->pair = pair;
    Sources sources{pair.linePath, pair.trainPath, pair.title, pair.trainCode};
    // The editor's unsaved text wins over the file on disk.
    if (workspace.open_at(pair.linePath) != nullptr) sources.lineText = workspace.latin1_text(pair.linePath);
    if (workspace.open_at(pair.trainPath) != nullptr) sources.trainText = workspace.latin1_text(pair.trainPath);
    try {
        // An editor's text is held to the limit of a file's.
        for (const auto& [text, path] :
             {std::pair(&sources.lineText, &pair.linePath), std::pair(&sources.trainText, &pair.trainPath)}) {
            if (*text && (*text)->size() > largest_description) {
                throw CommandFailure(exit_status::bad_data, "'" + *path + "' holds more than " +
                                                                std::to_string(largest_description >> 20) +
                                                                " MiB, the most a description may hold");
            }
        }
        checked->files = std::make_unique<AuthorFiles>(sources);
        const AuthorFiles& files = *checked->files;
        checked->run = read_only(files.text(Source::line_description), files.text(Source::train_description),
                                 pair.title, pair.trainCode, true, {}, true);
        checked->analysis = analyse(*checked->run, files, pair.title, pair.trainCode, {});
    } catch (const CommandFailure& failure) {
        checked->failure = failure.what();
        checked->run = std::make_unique<Run>();
    }
    return checked;
}

}  // namespace scenario::tool::lsp
