#include "model/track.h"

#include <algorithm>
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

}  // namespace

Track::Track(Track&& other) noexcept : block_(std::move(other.block_)), metres_(std::exchange(other.metres_, 0)) {}

Track& Track::operator=(Track&& other) noexcept {
    if (this != &other) {
        block_ = std::move(other.block_);
        metres_ = std::exchange(other.metres_, 0);
    }
    return *this;
}

void Track::create(std::int32_t last_metre) {
    static_assert(static_cast<int>(TrackTag::empty) == 0, "an all-zero slot must read as empty");
    const std::size_t metres = metres_from(last_metre);
    clear();
    block_ = ZeroedBlock(2 * metres * track_slot::size);
    metres_ = metres;
}

void Track::create_bounds_only(std::int32_t last_metre) {
    const std::size_t metres = metres_from(last_metre);
    clear();
    metres_ = metres;
}

Track::PointWriter Track::point_writer() {
    PointWriter w;
    w.track_ = this;
    w.metres_ = metres_;
    if (keeps_values()) {
        w.xs_ = block_.data();
        w.ys_ = w.xs_ + metres_ * track_slot::size;
    }
    return w;
}

void Track::clear() {
    block_ = ZeroedBlock();
    metres_ = 0;
}

void Track::outside(std::int64_t metre) const {
    if (!exists()) {
        throw ReadFault(Fault::no_route_length, "the plan geometry does not exist yet (no route length was read)");
    }
    throw ReadFault(Fault::metre_outside_geometry, "plan geometry metre " + std::to_string(metre) +
                                                       " is outside metres 0 to " + std::to_string(last_metre()));
}

std::byte* Track::slot(std::int64_t metre, int coordinate) const {
    if (metre < 0 || static_cast<std::uint64_t>(metre) >= metres_ || (coordinate != x && coordinate != y)) {
        outside(metre);
    }
    if (!keeps_values()) return nullptr;
    const std::size_t column_start = coordinate == y ? metres_ : 0;
    return block_.data() + (column_start + static_cast<std::size_t>(metre)) * track_slot::size;
}

TrackValue Track::at(std::int64_t metre, int coordinate) const {
    const std::byte* s = slot(metre, coordinate);
    return s == nullptr ? TrackValue{} : track_slot::value(s);
}

void Track::set_int16(std::int64_t metre, int coordinate, std::int16_t value) {
    std::byte* s = slot(metre, coordinate);
    if (s == nullptr) return;
    track_slot::store(s, static_cast<std::uint16_t>(TrackTag::int16));
    track_slot::store(s + track_slot::tag_size, value);
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
