// The plan geometry of the line: one point per route metre, each coordinate
// a typed value (empty, 16-bit integer or double) as the line geometry file
// stores it.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

#include "model/zeroed_block.h"

namespace scenario {

// Type tags of a geometry value, as written in front of each value.
enum class TrackTag : std::uint16_t { empty = 0, int16 = 2, real = 5 };

struct TrackValue {
    TrackTag tag = TrackTag::empty;
    double value = 0.0;  // the integer itself for TrackTag::int16

    bool operator==(const TrackValue&) const = default;
};

// One entry of the table, held as the line geometry file encodes it: the tag
// (16 bits, little-endian), then the value in as many bytes as the tag says
// (none, 2 or 8), in a slot of 10 bytes. An all-zero slot is empty.
namespace track_slot {

inline constexpr std::size_t size = 10;
inline constexpr std::size_t tag_size = 2;

// Little-endian whatever the host, without a byte loop on the hosts we have.
template <typename T>
void store(std::byte* at, T value) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(at, &value, sizeof value);
    } else {
        const auto bits = std::bit_cast<std::array<std::byte, sizeof value>>(value);
        for (std::size_t i = 0; i < sizeof value; ++i) at[i] = bits[sizeof value - 1 - i];
    }
}

template <typename T>
T load(const std::byte* at) {
    T value;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&value, at, sizeof value);
    } else {
        std::array<std::byte, sizeof value> bits;
        for (std::size_t i = 0; i < sizeof value; ++i) bits[i] = at[sizeof value - 1 - i];
        value = std::bit_cast<T>(bits);
    }
    return value;
}

inline TrackTag tag(const std::byte* slot) { return static_cast<TrackTag>(load<std::uint16_t>(slot)); }

inline void store_real(std::byte* slot, double value) {
    store(slot, static_cast<std::uint16_t>(TrackTag::real));
    store(slot + tag_size, value);
}

inline TrackValue value(const std::byte* slot) {
    const TrackTag t = tag(slot);
    if (t == TrackTag::real) return {t, load<double>(slot + tag_size)};
    if (t == TrackTag::int16) return {t, static_cast<double>(load<std::int16_t>(slot + tag_size))};
    return {};
}

}  // namespace track_slot

// Coordinates are kept in two columns (x, y) of slots, in the file's order:
// every x, then every y. A slot holding a double is byte for byte what the
// file holds for it, so the file is written straight from the columns (see
// file_piece) and the table is the only copy of the geometry a compaction
// makes. Both columns live in one zeroed block: creating the table writes
// nothing, and an entry, once set, is never made empty again, so an empty
// slot stays all zero.
class Track {
public:
    static constexpr int x = 0;
    static constexpr int y = 1;

    Track() = default;
    Track(Track&& other) noexcept;
    Track& operator=(Track&& other) noexcept;

    bool exists() const { return metres_ > 0; }
    // Upper bound of the metre index (trackLength); -1 when absent.
    std::int64_t last_metre() const { return static_cast<std::int64_t>(metres_) - 1; }

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
    double number(std::int64_t metre, int coordinate) const { return at(metre, coordinate).value; }
    void set_int16(std::int64_t metre, int coordinate, std::int16_t value);
    void set_real(std::int64_t metre, int coordinate, double value) {
        std::byte* s = slot(metre, coordinate);
        if (s != nullptr) track_slot::store_real(s, value);
    }

    // Sets both coordinates of metre after metre, as doubles: the table's
    // columns as they are when it is made (a table created again needs a new
    // one). The caller checks each metre against last_metre() first, or lets
    // check() throw for it.
    class PointWriter {
    public:
        PointWriter() = default;
        bool keeps_values() const { return xs_ != nullptr; }
        std::int64_t last_metre() const { return static_cast<std::int64_t>(metres_) - 1; }
        void check(std::int64_t metre) const {
            if (metre < 0 || static_cast<std::uint64_t>(metre) >= metres_) track_->outside(metre);
        }
        // `metre` lies in the table and the table keeps values.
        void put(std::size_t metre, double x_value, double y_value) const {
            track_slot::store_real(xs_ + metre * track_slot::size, x_value);
            track_slot::store_real(ys_ + metre * track_slot::size, y_value);
        }

    private:
        friend class Track;
        const Track* track_ = nullptr;
        std::size_t metres_ = 0;
        std::byte* xs_ = nullptr;  // null when the table keeps no values
        std::byte* ys_ = nullptr;
    };
    PointWriter point_writer();

    // One coordinate of every metre, read entry by entry (a table that keeps
    // no values reads empty).
    template <typename T, T (*read)(const std::byte*)>
    class Column {
    public:
        class iterator {
        public:
            using iterator_category = std::forward_iterator_tag;
            using value_type = T;
            using difference_type = std::ptrdiff_t;
            using pointer = void;
            using reference = T;
            iterator() = default;
            T operator*() const { return entry(slots_, m_); }
            iterator& operator++() {
                ++m_;
                return *this;
            }
            iterator operator++(int) {
                iterator before = *this;
                ++m_;
                return before;
            }
            bool operator==(const iterator&) const = default;

        private:
            friend class Column;
            iterator(const std::byte* slots, std::size_t m) : slots_(slots), m_(m) {}
            const std::byte* slots_ = nullptr;
            std::size_t m_ = 0;
        };

        Column(const std::byte* slots, std::size_t metres) : slots_(slots), metres_(metres) {}
        std::size_t size() const { return metres_; }
        T operator[](std::size_t m) const { return entry(slots_, m); }
        T back() const { return entry(slots_, metres_ - 1); }
        iterator begin() const { return {slots_, 0}; }
        iterator end() const { return {slots_, metres_}; }

    private:
        static T entry(const std::byte* slots, std::size_t m) {
            return slots == nullptr ? T{} : read(slots + m * track_slot::size);
        }
        const std::byte* slots_;
        std::size_t metres_;
    };
    static double read_value(const std::byte* slot) { return track_slot::value(slot).value; }
    static std::uint8_t read_tag(const std::byte* slot) { return static_cast<std::uint8_t>(track_slot::tag(slot)); }
    using Values = Column<double, &Track::read_value>;
    using Tags = Column<std::uint8_t, &Track::read_tag>;
    Values values(int coordinate) const { return {column(coordinate), metres_}; }
    Tags tags(int coordinate) const { return {column(coordinate), metres_}; }

    // The line geometry file's bytes for the entries of `coordinate` from
    // metre `from` on, as far as they lie together in the table and up to
    // `most_metres` of them: a run of doubles, or of empty entries (their
    // bare tags), or one 16-bit integer. `bytes` points into the table; `end`
    // is the metre after the piece. Needs a table that keeps values, `from`
    // below last_metre() + 1 and `most_metres` above 0.
    struct Piece {
        std::string_view bytes;
        std::size_t end = 0;
    };
    Piece file_piece(int coordinate, std::size_t from, std::size_t most_metres) const;

private:
    const std::byte* column(int coordinate) const {
        if (!keeps_values()) return nullptr;
        return block_.data() + (coordinate == y ? metres_ * track_slot::size : 0);
    }
    // The slot of an entry, checked; null when the table keeps no values.
    std::byte* slot(std::int64_t metre, int coordinate) const;
    [[noreturn]] void outside(std::int64_t metre) const;

    ZeroedBlock block_;
    std::size_t metres_ = 0;
};

}  // namespace scenario
