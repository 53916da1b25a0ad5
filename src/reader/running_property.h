// A running property of the line (gradient, line speed, adhesion): each row
// gives the value in force from its position on, so the value of the last
// row read stays pending until the next row of its kind says up to which
// cell it holds.
#pragma once

#include <cstdint>
#include <optional>

#include "model/route_model.h"

namespace scenario {

class RunningProperty {
public:
    // Writes the pending value into its byte of a cell; may throw a
    // ReadFault when the value does not fit.
    using Store = void (*)(RouteCell& cell, std::int32_t pending);

    // `last_fillable`: a cell the row-by-row fill never writes beyond (the
    // speed profile stops at cellCount); nothing when only the table's
    // bounds limit it.
    RunningProperty(RouteModel& model, Store store, std::optional<std::int64_t> last_fillable = std::nullopt)
        : model_(model), store_(store), last_fillable_(last_fillable) {}

    std::int32_t pending() const { return pending_; }
    void set_pending(std::int32_t value) { pending_ = value; }

    // Writes the pending value from the next unfilled cell up to cell n
    // (excluded), always at least one cell: a row whose cell is already
    // passed still writes one cell and moves on by one.
    void fill_up_to(std::int64_t n) {
        do {
            if (last_fillable_ && next_ >= *last_fillable_) break;
            store_(model_.cell(next_), pending_);
            ++next_;
        } while (next_ < n);
    }

    // Completes the profile up to cell cellCount - 3 once every row is read;
    // at least one cell.
    void fill_rest() {
        do {
            store_(model_.cell(next_), pending_);
            ++next_;
        } while (next_ < std::int64_t{model_.cellCount} - 2);
    }

private:
    RouteModel& model_;
    Store store_;
    std::optional<std::int64_t> last_fillable_;
    std::int64_t next_ = 0;
    std::int32_t pending_ = 0;
};

}  // namespace scenario
