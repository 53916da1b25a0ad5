#include "model/track.h"

#include <string>

#include "model/read_fault.h"

namespace scenario {

void Track::create(std::int32_t last_metre) {
    if (last_metre < 0)
        throw ReadFault(Fault::negative_route_length,
                        "the plan geometry cannot be created for route length below -7000");
    static_assert(static_cast<int>(TrackTag::empty) == 0, "an all-zero entry must read as empty");
    clear();
    block_ = ZeroedBlock((static_cast<std::size_t>(last_metre) + 1) * metre_bytes);
}

void Track::create_bounds_only(std::int32_t last_metre) {
    if (last_metre < 0) {
        throw ReadFault(Fault::negative_route_length,
                        "the plan geometry cannot be created for route length below -7000");
    }
    clear();
    bounds_only_metres_ = static_cast<std::size_t>(last_metre) + 1;
}

Track::PointWriter Track::point_writer() {
    PointWriter w;
    w.track_ = this;
    w.metres_ = metres();
    if (keeps_values()) {
        w.xs_ = value_data();
        w.ys_ = w.xs_ + w.metres_;
        w.x_tags_ = tag_data();
        w.y_tags_ = w.x_tags_ + w.metres_;
    }
    return w;
}

void Track::clear() {
    block_ = ZeroedBlock();
    bounds_only_metres_ = 0;
}

void Track::outside(std::int64_t metre) const {
    if (!exists()) {
        throw ReadFault(Fault::no_route_length, "the plan geometry does not exist yet (no route length was read)");
    }
    throw ReadFault(Fault::metre_outside_geometry, "plan geometry metre " + std::to_string(metre) +
                                                       " is outside metres 0 to " + std::to_string(last_metre()));
}

TrackValue Track::at(std::int64_t metre, int coordinate) const {
    std::size_t i = slot(metre, coordinate);
    if (!keeps_values()) return {};
    return {static_cast<TrackTag>(tag_data()[i]), value_data()[i]};
}

double Track::number(std::int64_t metre, int coordinate) const {
    const std::size_t i = slot(metre, coordinate);
    return keeps_values() ? value_data()[i] : 0.0;
}

void Track::set_int16(std::int64_t metre, int coordinate, std::int16_t value) {
    std::size_t i = slot(metre, coordinate);
    if (!keeps_values()) return;
    value_data()[i] = value;
    tag_data()[i] = static_cast<std::uint8_t>(TrackTag::int16);
}

}  // namespace scenario
