// The plan geometry of the line: one point per route metre, each coordinate
// a typed value (empty, 16-bit integer or double) as the line geometry file
// stores it.
#pragma once

#include <cstdint>
#include <span>

#include "model/zeroed_block.h"

namespace scenario {

// Type tags of a geometry value, as written in front of each value.
enum class TrackTag : std::uint16_t { empty = 0, int16 = 2, real = 5 };

struct TrackValue {
    TrackTag tag = TrackTag::empty;
    double value = 0.0;  // the integer itself for TrackTag::int16

    bool operator==(const TrackValue&) const = default;
};

// Coordinates are kept in two columns (x, y); each entry costs one double and
// a one-byte tag. Both columns live in one zeroed block: an all-zero entry is
// an empty one, so creating the table writes nothing.
class Track {
public:
    static constexpr int x = 0;
    static constexpr int y = 1;

    bool exists() const { return entries() > 0; }
    // Upper bound of the metre index (trackLength); -1 when absent.
    std::int64_t last_metre() const { return static_cast<std::int64_t>(entries() / 2) - 1; }

    // Creates metres 0 to last_metre with every entry empty.
    void create(std::int32_t last_metre);
    void clear();

    // Checked access; a metre outside the table is a ReadFault.
    TrackValue at(std::int64_t metre, int coordinate) const;
    double number(std::int64_t metre, int coordinate) const;
    void set_int16(std::int64_t metre, int coordinate, std::int16_t value);
    void set_real(std::int64_t metre, int coordinate, double value) {
        const std::size_t i = slot(metre, coordinate);
        values_data()[i] = value;
        tags_data()[i] = static_cast<std::uint8_t>(TrackTag::real);
    }

    // One coordinate of every metre, for writing the table out whole.
    std::span<const double> values(int coordinate) const { return column(values_data(), coordinate); }
    std::span<const std::uint8_t> tags(int coordinate) const { return column(tags_data(), coordinate); }

private:
    static constexpr std::size_t entry_bytes = sizeof(double) + sizeof(std::uint8_t);

    // The block holds every value, then every tag; its size gives the count.
    std::size_t entries() const { return block_.size() / entry_bytes; }
    double* values_data() const { return reinterpret_cast<double*>(block_.data()); }
    std::uint8_t* tags_data() const {
        return reinterpret_cast<std::uint8_t*>(block_.data() + entries() * sizeof(double));
    }

    template <typename T>
    std::span<const T> column(const T* all, int coordinate) const {
        const std::size_t half = entries() / 2;
        return std::span<const T>(all + (coordinate == y ? half : 0), half);
    }
    std::size_t slot(std::int64_t metre, int coordinate) const {
        const std::size_t half = entries() / 2;
        if (metre < 0 || static_cast<std::uint64_t>(metre) >= half || (coordinate != x && coordinate != y)) {
            outside(metre);
        }
        return static_cast<std::size_t>(coordinate) * half + static_cast<std::size_t>(metre);
    }
    [[noreturn]] void outside(std::int64_t metre) const;

    ZeroedBlock block_;
};

}  // namespace scenario
