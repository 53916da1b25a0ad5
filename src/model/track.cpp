#include "model/track.h"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <string>
#include <utility>

#include "model/read_fault.h"

namespace scenario {

namespace {

std::size_t metres_from(std::int32_t last_metre) {
    if (last_metre < 0) {
        throw ReadFault(Fault::negative_route_length,
                        "the plan geometry cannot be created for route length below -7000");
    }
    return static_cast<std::size_t>(last_metre) + 1;
}

// The metre after the run of entries with `tag` that starts at `from`,
// looking no further than `last`. Eight slots a step while they all match:
// the runs of a built track are a million metres long.
std::size_t run_end(const std::byte* slots, std::size_t from, std::size_t last, TrackTag tag) {
    constexpr std::size_t step = 8;
    const auto wanted = static_cast<unsigned>(tag);
    std::size_t end = from + 1;
    while (end + step <= last) {
        const std::byte* s = slots + end * track_slot::size;
        unsigned differing = 0;
        for (std::size_t i = 0; i < step; ++i)
            differing |= track_slot::load<std::uint16_t>(s + i * track_slot::size) ^ wanted;
        if (differing != 0) break;
        end += step;
    }
    while (end < last && track_slot::tag(slots + end * track_slot::size) == tag) ++end;
    return end;
}

// Runs that step alike, to the last bit of k, make one run: every step
// depends only on the two points before it and on how it turns.
bool steps_alike(const TrackRun& run, bool curved, double k) {
    return run.curved == curved && (!curved || std::bit_cast<std::uint64_t>(run.k) == std::bit_cast<std::uint64_t>(k));
}

void store_int16(std::byte* slot, std::int16_t value) {
    track_slot::store(slot, static_cast<std::uint16_t>(TrackTag::int16));
    track_slot::store(slot + track_slot::tag_size, value);
}

}  // namespace

Track::Track(Track&& other) noexcept { *this = std::move(other); }

Track& Track::operator=(Track&& other) noexcept {
    if (this != &other) {
        metres_ = std::exchange(other.metres_, 0);
        keeps_values_ = std::exchange(other.keeps_values_, false);
        started_ = std::exchange(other.started_, 0);
        next_ = std::exchange(other.next_, 2);
        runs_ = std::exchange(other.runs_, {});
        set_one_by_one_ = std::exchange(other.set_one_by_one_, false);
        table_ = std::move(other.table_);
    }
    return *this;
}

void Track::create(std::int32_t last_metre) {
    static_assert(static_cast<int>(TrackTag::empty) == 0, "an all-zero slot must read as empty");
    const std::size_t metres = metres_from(last_metre);
    clear();
    metres_ = metres;
    keeps_values_ = true;
}

void Track::create_bounds_only(std::int32_t last_metre) {
    const std::size_t metres = metres_from(last_metre);
    clear();
    metres_ = metres;
}

void Track::clear() {
    metres_ = 0;
    keeps_values_ = false;
    started_ = 0;
    next_ = 2;
    runs_.clear();
    set_one_by_one_ = false;
    table_ = ZeroedBlock();
}

void Track::start() {
    if (set_one_by_one_) throw std::logic_error("a plan geometry whose entries were set one at a time is not built");
    runs_.clear();
    table_ = ZeroedBlock();
    started_ = 0;
    next_ = 2;
    for (int metre = 0; metre < 2; ++metre) {
        check(metre, x);
        started_ = metre + 1;
    }
}

void Track::build(std::int64_t last, bool curved, double k) {
    if (last < next_) return;
    if (set_one_by_one_ || started_ < 2) {
        throw std::logic_error("the plan geometry is built on from its first two points, after start()");
    }
    const std::int64_t inside = std::min(last, last_metre());
    if (inside >= next_ && keeps_values_) {
        if (!runs_.empty() && steps_alike(runs_.back(), curved, k)) {
            runs_.back().last = inside;
        } else {
            runs_.push_back({inside, curved, k});
        }
        table_ = ZeroedBlock();  // computed again at the next read
    }
    next_ = std::max(next_, inside + 1);
    if (last > inside) outside(next_);
}

void Track::check(std::int64_t metre, int coordinate) const {
    if (metre < 0 || static_cast<std::uint64_t>(metre) >= metres_ || (coordinate != x && coordinate != y)) {
        outside(metre);
    }
}

void Track::outside(std::int64_t metre) const {
    if (!exists()) {
        throw ReadFault(Fault::no_route_length, "the plan geometry does not exist yet (no route length was read)");
    }
    throw ReadFault(Fault::metre_outside_geometry, "plan geometry metre " + std::to_string(metre) +
                                                       " is outside metres 0 to " + std::to_string(last_metre()));
}

const std::byte* Track::table() const {
    if (!keeps_values_) return nullptr;
    if (table_.size() == 0) {
        table_ = ZeroedBlock(2 * metres_ * track_slot::size);
        std::byte* const xs = table_.data();
        std::byte* const ys = xs + metres_ * track_slot::size;
        for (int metre = 0; metre < started_; ++metre) {
            const auto at = static_cast<std::size_t>(metre) * track_slot::size;
            store_int16(xs + at, start_point(metre, x));
            store_int16(ys + at, start_point(metre, y));
        }
        if (!runs_.empty()) {
            constexpr std::size_t first_built = 2 * track_slot::size;
            Points(*this).fill(xs + first_built, ys + first_built, metres_ - 2);
        }
    }
    return table_.data();
}

std::byte* Track::slot_to_set(std::int64_t metre, int coordinate) {
    check(metre, coordinate);
    if (!keeps_values_) return nullptr;
    table();
    set_one_by_one_ = true;
    runs_.clear();
    const std::size_t column_start = coordinate == y ? metres_ : 0;
    return table_.data() + (column_start + static_cast<std::size_t>(metre)) * track_slot::size;
}

TrackValue Track::at(std::int64_t metre, int coordinate) const {
    check(metre, coordinate);
    const std::byte* slots = column(coordinate);
    return slots == nullptr ? TrackValue{}
                            : track_slot::value(slots + static_cast<std::size_t>(metre) * track_slot::size);
}

void Track::set_int16(std::int64_t metre, int coordinate, std::int16_t value) {
    if (std::byte* s = slot_to_set(metre, coordinate)) store_int16(s, value);
}

void Track::set_real(std::int64_t metre, int coordinate, double value) {
    if (std::byte* s = slot_to_set(metre, coordinate)) track_slot::store_real(s, value);
}

std::size_t Track::Points::fill(std::byte* xs, std::byte* ys, std::size_t most) {
    std::size_t filled = 0;
    while (filled < most && run_ < runs_->size()) {
        const TrackRun& run = (*runs_)[run_];
        const std::int64_t last = std::min(run.last, m_ + static_cast<std::int64_t>(most - filled) - 1);
        const std::size_t at = filled * track_slot::size;
        filled += static_cast<std::size_t>(last - m_ + 1);
        if (run.curved) {
            step_to<true>(last, run.k, xs + at, ys + at);
        } else {
            step_to<false>(last, 0.0, xs + at, ys + at);
        }
        if (m_ > run.last) ++run_;
    }
    return filled;
}

// A long route steps a million metres here, each from the two points before
// it, so the loop keeps them in locals.
template <bool curved>
void Track::Points::step_to(std::int64_t last, double k, std::byte* xs, std::byte* ys) {
    double x1 = x1_, y1 = y1_, x2 = x2_, y2 = y2_;
    std::size_t at = 0;
    for (std::int64_t m = m_; m <= last; ++m, at += track_slot::size) {
        const double dx = x1 - x2;
        const double dy = y1 - y2;
        double x = 0.0;
        double y = 0.0;
        if constexpr (curved) {
            x = x1 + (dx + k * dy);
            y = y1 + (dy - k * dx);
        } else {
            x = x1 + dx;
            y = y1 + dy;
        }
        track_slot::store_real(xs + at, x);
        track_slot::store_real(ys + at, y);
        x2 = x1;
        y2 = y1;
        x1 = x;
        y1 = y;
    }
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    m_ = last + 1;
}

Track::Piece Track::file_piece(int coordinate, std::size_t from, std::size_t most_metres) const {
    if (!keeps_values() || from >= metres_ || most_metres == 0) {
        throw std::logic_error("no plan geometry entry at metre " + std::to_string(from) + " to write");
    }
    const std::byte* const slots = column(coordinate);
    const auto chars = [slots](std::size_t first_slot, std::size_t bytes) {
        return std::string_view(reinterpret_cast<const char*>(slots + first_slot * track_slot::size), bytes);
    };
    const TrackTag tag = track_slot::tag(slots + from * track_slot::size);
    if (tag == TrackTag::int16) return {chars(from, track_slot::tag_size + sizeof(std::int16_t)), from + 1};
    const std::size_t end = run_end(slots, from, from + std::min(most_metres, metres_ - from), tag);
    if (tag == TrackTag::real) return {chars(from, (end - from) * track_slot::size), end};
    // Empty slots are all zero, so the bare tags of the run are the first
    // bytes of its slots.
    return {chars(from, (end - from) * track_slot::tag_size), end};
}

}  // namespace scenario
