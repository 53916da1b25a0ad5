#include "model/track.h"

#include <string>
#include <utility>

#include "model/route_model.h"

namespace scenario {

Track::Track(Track&& other) noexcept
    : block_(std::move(other.block_)),
      metres_(std::exchange(other.metres_, 0)),
      values_(std::exchange(other.values_, nullptr)),
      tags_(std::exchange(other.tags_, nullptr)) {}

Track& Track::operator=(Track&& other) noexcept {
    if (this != &other) {
        block_ = std::move(other.block_);
        metres_ = std::exchange(other.metres_, 0);
        values_ = std::exchange(other.values_, nullptr);
        tags_ = std::exchange(other.tags_, nullptr);
    }
    return *this;
}

void Track::create(std::int32_t last_metre) {
    if (last_metre < 0) throw ReadFault("the plan geometry cannot be created for route length below -7000");
    static_assert(static_cast<int>(TrackTag::empty) == 0, "an all-zero entry must read as empty");
    clear();
    const std::size_t metres = static_cast<std::size_t>(last_metre) + 1;
    block_ = ZeroedBlock(2 * metres * (sizeof(double) + sizeof(std::uint8_t)));
    metres_ = metres;
    values_ = reinterpret_cast<double*>(block_.data());
    tags_ = reinterpret_cast<std::uint8_t*>(block_.data() + 2 * metres * sizeof(double));
}

void Track::clear() {
    block_ = ZeroedBlock();
    metres_ = 0;
    values_ = nullptr;
    tags_ = nullptr;
}

void Track::outside(std::int64_t metre) const {
    throw ReadFault("plan geometry metre " + std::to_string(metre) + " is outside metres 0 to " +
                    std::to_string(last_metre()));
}

TrackValue Track::at(std::int64_t metre, int coordinate) const {
    std::size_t i = slot(metre, coordinate);
    return {static_cast<TrackTag>(tags_[i]), values_[i]};
}

double Track::number(std::int64_t metre, int coordinate) const { return values_[slot(metre, coordinate)]; }

void Track::set_int16(std::int64_t metre, int coordinate, std::int16_t value) {
    std::size_t i = slot(metre, coordinate);
    values_[i] = value;
    tags_[i] = static_cast<std::uint8_t>(TrackTag::int16);
}

}  // namespace scenario
