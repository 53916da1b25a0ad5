#include "tool/lsp/features.h"
#include "tool/lsp/publish.h"

namespace scenario::tool::lsp {

Source source_of(Role role) { return role == Role::train ? Source::train_description : Source::line_description; }

nlohmann::json field_location(const Place& place, Source source, const RecordedField& field) {
    const std::string path = place.checked.path(source);
    const std::shared_ptr<const Document> d = place.workspace.view(path);
    return {{"uri", d->uri()}, {"range", range_json(*d, field.at.line, field.at.column, field.endColumn)}};
}

}  // namespace scenario::tool::lsp
