#include "tool/diagnostics/shown_warnings.h"

#include <iterator>

namespace scenario::tool {

ShownWarnings::Same ShownWarnings::same_of(const FoundWarning& warning) {
    const WarningOrder& o = warning.order;
    return {warning.diagnostic.name, o.file, o.line, o.column, warning.diagnostic.message};
}

void ShownWarnings::add(FoundWarning warning) {
    if (silenced_.count(warning.diagnostic.name) != 0) return;
    Same same = same_of(warning);
    if (const auto found = seen_.find(same); found != seen_.end()) {
        if (!(warning.order < found->second)) return;
        drop(kept_.find(found->second));
    }
    const WarningOrder order = warning.order;
    seen_.emplace(std::move(same), order);
    kept_.emplace(order, std::move(warning));
    if (order.line > 0 && ++onLine_[{order.file, order.line}] > mostOnALine) {
        // The last one kept on that line goes.
        WarningOrder next_line;
        next_line.file = order.file;
        next_line.line = order.line + 1;
        drop(std::prev(kept_.lower_bound(next_line)));
        cut_ = true;
    }
    if (kept_.size() > most) {
        drop(std::prev(kept_.end()));
        cut_ = true;
    }
}

bool ShownWarnings::room_for(const WarningOrder& order, std::string_view name) {
    if (!name.empty() && silenced_.count(std::string(name)) != 0) return false;
    bool room = kept_.size() < most || order < std::prev(kept_.end())->first;
    if (room && order.line > 0) {
        const auto line = onLine_.find({order.file, order.line});
        if (line != onLine_.end() && line->second >= mostOnALine) {
            WarningOrder next_line;
            next_line.file = order.file;
            next_line.line = order.line + 1;
            room = order < std::prev(kept_.lower_bound(next_line))->first;
        }
    }
    cut_ = cut_ || !room;
    return room;
}

void ShownWarnings::drop(Kept::iterator it) {
    if (it == kept_.end()) return;
    const WarningOrder& order = it->first;
    if (const auto found = seen_.find(same_of(it->second)); found != seen_.end() && found->second == order) {
        seen_.erase(found);
    }
    if (order.line > 0) {
        const auto line = onLine_.find({order.file, order.line});
        if (line != onLine_.end() && --line->second == 0) onLine_.erase(line);
    }
    kept_.erase(it);
}

std::vector<FoundWarning> ShownWarnings::take() {
    std::vector<FoundWarning> warnings;
    warnings.reserve(kept_.size());
    for (auto& [order, warning] : kept_) warnings.push_back(std::move(warning));
    kept_.clear();
    seen_.clear();
    onLine_.clear();
    return warnings;
}

std::vector<FoundWarning> ShownWarnings::list() const {
    std::vector<FoundWarning> warnings;
    warnings.reserve(kept_.size());
    for (const auto& [order, warning] : kept_) warnings.push_back(warning);
    return warnings;
}

}  // namespace scenario::tool
