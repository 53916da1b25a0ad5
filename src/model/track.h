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

    bool exists() const { return metres() > 0; }
    // Upper bound of the metre index (trackLength); -1 when absent.
    std::int64_t last_metre() const { return static_cast<std::int64_t>(metres()) - 1; }

    // Creates metres 0 to last_metre with every entry empty.
    void create(std::int32_t last_metre);
    // Creates metres 0 to last_metre that keep no values: every access is
    // checked as with a full table, but values set are dropped and every
    // entry reads empty. For a reading that only looks for its errors.
    void create_bounds_only(std::int32_t last_metre);
    bool keeps_values() const { return block_.size() != 0; }
    void clear();

    // Checked access; a metre outside the table is a ReadFault.
    TrackValue at(std::int64_t metre, int coordinate) const;
    double number(std::int64_t metre, int coordinate) const;
    void set_int16(std::int64_t metre, int coordinate, std::int16_t value);
    // Sets both coordinates of metre after metre, as doubles, with one check
    // of the metre each: the table's columns as they are when it is made (a
    // table created again needs a new one).
    class PointWriter {
    public:
        PointWriter() = default;
        bool keeps_values() const { return xs_ != nullptr; }
        void check(std::int64_t metre) const {
            if (metre < 0 || static_cast<std::uint64_t>(metre) >= metres_) track_->outside(metre);
        }
        void set(std::int64_t metre, double x_value, double y_value) const {
            if (metre < 0 || static_cast<std::uint64_t>(metre) >= metres_) track_->outside(metre);
            if (xs_ == nullptr) return;
            const auto m = static_cast<std::size_t>(metre);
            xs_[m] = x_value;
            ys_[m] = y_value;
            x_tags_[m] = static_cast<std::uint8_t>(TrackTag::real);
            y_tags_[m] = static_cast<std::uint8_t>(TrackTag::real);
        }

    private:
        friend class Track;
        const Track* track_ = nullptr;
        std::size_t metres_ = 0;
        double* xs_ = nullptr;  // null when the table keeps no values
        double* ys_ = nullptr;
        std::uint8_t* x_tags_ = nullptr;
        std::uint8_t* y_tags_ = nullptr;
    };
    PointWriter point_writer();

    void set_real(std::int64_t metre, int coordinate, double value) {
        const std::size_t i = slot(metre, coordinate);
        if (!keeps_values()) return;
        value_data()[i] = value;
        tag_data()[i] = static_cast<std::uint8_t>(TrackTag::real);
    }

    // One coordinate of every metre, for writing the table out whole.
    std::span<const double> values(int coordinate) const { return column(value_data(), coordinate); }
    std::span<const std::uint8_t> tags(int coordinate) const { return column(tag_data(), coordinate); }

private:
    static constexpr std::size_t metre_bytes = 2 * (sizeof(double) + sizeof(std::uint8_t));

    // The block holds every x value, every y value, then the tags in the
    // same order; its size gives the number of metres.
    std::size_t metres() const { return keeps_values() ? block_.size() / metre_bytes : bounds_only_metres_; }
    double* value_data() const { return reinterpret_cast<double*>(block_.data()); }
    std::uint8_t* tag_data() const {
        return reinterpret_cast<std::uint8_t*>(block_.data() + 2 * metres() * sizeof(double));
    }

    template <typename T>
    std::span<const T> column(const T* all, int coordinate) const {
        const std::size_t metres = this->metres();
        return std::span<const T>(all + (coordinate == y ? metres : 0), metres);
    }
    std::size_t slot(std::int64_t metre, int coordinate) const {
        const std::size_t metres = this->metres();
        if (metre < 0 || static_cast<std::uint64_t>(metre) >= metres || (coordinate != x && coordinate != y)) {
            outside(metre);
        }
        return static_cast<std::size_t>(coordinate) * metres + static_cast<std::size_t>(metre);
    }
    [[noreturn]] void outside(std::int64_t metre) const;

    ZeroedBlock block_;
    std::size_t bounds_only_metres_ = 0;  // the metres of a table that keeps no values
};

}  // namespace scenario
