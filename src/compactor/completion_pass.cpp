#include "compactor/completion_pass.h"

#include "model/error_codes.h"
#include "model/placement.h"

namespace scenario {

namespace {

class CompletionPass {
public:
    CompletionPass(RouteModel& model, ReadObserver* observer)
        : m_(model), observer_(observer), last_(static_cast<std::int64_t>(model.cells.size()) - 1) {}

    void run();

private:
    RouteCell& at(std::int64_t i) { return m_.cells[static_cast<std::size_t>(i)]; }
    bool inside(std::int64_t i) const { return i >= 0 && i <= last_; }
    bool free_at(std::int64_t i) { return inside(i) && is_free(at(i)); }
    std::uint8_t kind_at(std::int64_t i) { return inside(i) ? at(i).kind : cell_kind::empty; }
    // Every mark is placed because of the item in cell `cause`: the signal or
    // the slowdown start being completed.
    void place_mark(std::int64_t i, std::int64_t cause) {
        at(i).kind = cell_kind::restriction;
        at(i).data1 = mark_speed;
        if (observer_ != nullptr) observer_->pass_mark(i, cause);
    }
    void lower_mark(std::int64_t i) { at(i).data1 = minimo<std::int16_t>(mark_speed, at(i).data1); }
    void failure(ErrorCode code, std::int64_t cell, std::int64_t cause) {
        m_.errorCode = value_of(code);
        m_.errorPosition = static_cast<std::int32_t>(cell_start(cell));
        if (observer_ != nullptr) observer_->pass_failed(code, cell, cause);
    }

    void signals_before_warning(std::int64_t i);
    void marks_before_start(std::int64_t i);
    std::int64_t interval_marks(std::int64_t i, bool place);
    void mark_before_next_signal(std::int64_t start, std::int64_t end);

    RouteModel& m_;
    ReadObserver* observer_;
    const std::int64_t last_;  // U, the upper index of the cells
};

void CompletionPass::run() {
    for (std::int64_t i = 1; i <= last_ - 2; ++i) {
        const std::uint8_t kind = at(i).kind;
        if (kind == cell_kind::slowdown_warning) {
            signals_before_warning(i);
        } else if (kind == cell_kind::slowdown_start) {
            marks_before_start(i);
            const bool slow = at(i).data1 < slow_slowdown;
            const std::int64_t end = interval_marks(i, slow);
            if (end > 0) mark_before_next_signal(i, end);
        }
    }
}

// A: every signal within 20 cells before a warning board gets a mark of at
// most 180 one or two cells before it.
void CompletionPass::signals_before_warning(std::int64_t i) {
    for (int j = 1; j <= warning_look_back; ++j) {
        const std::int64_t d = i - j;
        if (d < lowest_signal_cell) break;
        if (at(d).kind != cell_kind::signal) continue;
        if (free_at(d - 1)) {
            place_mark(d - 1, d);
        } else if (free_at(d - 2)) {
            place_mark(d - 2, d);
        } else if (at(d - 1).kind == cell_kind::restriction) {
            lower_mark(d - 1);
        } else if (at(d - 2).kind == cell_kind::restriction) {
            lower_mark(d - 2);
        } else {
            failure(ErrorCode::no_mark_before_signal, d, i);
        }
    }
}

// B: three marks before a slowdown start, each on the first free cell of its
// group.
void CompletionPass::marks_before_start(std::int64_t i) {
    for (const auto& group : start_mark_groups) {
        if (i <= group[2]) continue;
        bool placed = false;
        for (int back : group) {
            if (free_at(i - back)) {
                place_mark(i - back, i);
                placed = true;
                break;
            }
        }
        if (!placed) failure(ErrorCode::no_mark_before_slowdown, i, i);
    }
}

// C: walks from the start to the slowdown's end cell, placing a mark every 8
// cells when `place` is set. Returns the end cell, or 0 when the walk reaches
// the last cell without finding one.
std::int64_t CompletionPass::interval_marks(std::int64_t i, bool place) {
    int c = 0;
    for (std::int64_t j = i + 1; j <= last_; ++j) {
        ++c;
        if (place && c == interval_cells) {
            if (free_at(j)) {
                place_mark(j, i);
                c = 0;
            } else if (free_at(j - 1)) {
                place_mark(j - 1, i);
                c = 1;
            } else if (free_at(j + 1)) {
                place_mark(j + 1, i);
                c = -1;
            } else {
                failure(ErrorCode::no_mark_through_slowdown, j, i);
            }
        }
        if (at(j).kind == cell_kind::slowdown_end) return j;
    }
    return 0;
}

// D: a mark just before the first signal within 12 cells after the end.
void CompletionPass::mark_before_next_signal(std::int64_t start, std::int64_t end) {
    std::int64_t k = 0;
    for (std::int64_t m = end; m <= end + signal_search_cells && m <= last_; ++m) {
        if (at(m).kind == cell_kind::signal) {
            k = m - 1;
            break;
        }
    }
    if (k <= 0) return;
    if (free_at(k)) {
        place_mark(k, start);
    } else if (free_at(k - 1)) {
        place_mark(k - 1, start);
    } else {
        failure(ErrorCode::no_mark_through_slowdown, end, start);
    }
}

}  // namespace

void complete_signalling(RouteModel& model, ReadObserver* observer) {
    if (model.cells.empty()) return;
    CompletionPass(model, observer).run();
}

}  // namespace scenario
