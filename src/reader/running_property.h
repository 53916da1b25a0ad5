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
    // The byte a value is stored as; may throw a ReadFault when the value
    // does not fit.
    using Pack = std::uint8_t (*)(std::int32_t value);
    // The byte of a cell the property fills.
    using Field = std::uint8_t RouteCell::*;

    // `last_fillable`: a cell the row-by-row fill never writes beyond (the
    // speed profile stops at cellCount); nothing when only the table's
    // bounds limit it.
    RunningProperty(RouteModel& model, Pack pack, Field field, std::optional<std::int64_t> last_fillable = std::nullopt)
        : model_(model), pack_(pack), field_(field), last_fillable_(last_fillable) {}

    std::int32_t pending() const { return pending_; }
    void set_pending(std::int32_t value) { pending_ = value; }

    // Writes the pending value from the next unfilled cell up to cell n
    // (excluded), always at least one cell: a row whose cell is already
    // passed still writes one cell and moves on by one.
    void fill_up_to(std::int64_t n) {
        Stored stored(*this);
        do {
            if (last_fillable_ && next_ >= *last_fillable_) break;
            stored.put(model_.cell(next_));
            ++next_;
        } while (next_ < n);
    }

    // Completes the profile up to cell cellCount - 3 once every row is read;
    // at least one cell.
    void fill_rest() {
        Stored stored(*this);
        do {
            stored.put(model_.cell(next_));
            ++next_;
        } while (next_ < std::int64_t{model_.cellCount} - 2);
    }

private:
    // The pending value's byte, packed at the first cell it is written to
    // (so that a value that does not fit fails there, after the cell is
    // found) and only once for a whole stretch of cells.
    class Stored {
    public:
        explicit Stored(const RunningProperty& property) : property_(property) {}
        void put(RouteCell& cell) {
            if (!packed_) {
                byte_ = property_.pack_(property_.pending_);
                packed_ = true;
            }
            cell.*property_.field_ = byte_;
        }

    private:
        const RunningProperty& property_;
        bool packed_ = false;
        std::uint8_t byte_ = 0;
    };

    RouteModel& model_;
    Pack pack_;
    Field field_;
    std::optional<std::int64_t> last_fillable_;
    std::int64_t next_ = 0;
    std::int32_t pending_ = 0;
};

}  // namespace scenario
