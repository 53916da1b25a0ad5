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
#include <vector>

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

// A run of metres, each built from the two before it: straight on, or
// turning by k (curved). A curve of k = 0 is not a straight run: its steps
// add k times the direction, which may change the sign of a zero.
struct TrackRun {
    std::int64_t last = 0;  // the run's last metre
    bool curved = false;
    double k = 0.0;

    bool operator==(const TrackRun&) const = default;
};

// The track is kept as the reader builds it: the points of metres 0 and 1
// and the runs after them, a few hundred numbers where the entries of a long
// route take 20 MB. The compactor writes the file from the runs, computing
// the points a few thousand at a time (Points). Reading entries (at, values,
// tags, file_piece) computes every one of them into a table once, and keeps
// it, for readers of many points such as the drawings. Entries may also be
// set one at a time (a geometry read back from its file, for one): the track
// is then that table, and is not built any further.
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
    // checked as with a full table, but values set or built are dropped and
    // every entry reads empty. For a reading that only looks for its errors.
    void create_bounds_only(std::int32_t last_metre);
    bool keeps_values() const { return keeps_values_; }
    void clear();

    // Building. start() sets metres 0 and 1 to the 16-bit integers of
    // start_point(), metre 0 first, as far as the table reaches (a ReadFault
    // names the first metre outside it). build() adds the metres from
    // next_metre() to `last` (none when `last` lies behind); a metre beyond
    // the table is a ReadFault once the metres before it are built.
    void start();
    void build(std::int64_t last, bool curved, double k);
    std::int64_t next_metre() const { return next_; }
    // How many of metres 0 and 1 start() has set.
    int start_metres() const { return started_; }
    // The line starts at (0, 0) heading along +y: metre 1 is (0, 1).
    static constexpr std::int16_t start_point(std::int64_t metre, int coordinate) {
        return metre == 1 && coordinate == y ? 1 : 0;
    }
    // The runs built since start(); none in a table that keeps no values.
    const std::vector<TrackRun>& runs() const { return runs_; }
    // The entries were set one at a time (set_int16, set_real): there are
    // no runs, only the table.
    bool set_one_by_one() const { return set_one_by_one_; }

    // Checked access; a metre outside the table is a ReadFault. Reading a
    // built metre computes the table (see above).
    TrackValue at(std::int64_t metre, int coordinate) const;
    double number(std::int64_t metre, int coordinate) const { return at(metre, coordinate).value; }
    void set_int16(std::int64_t metre, int coordinate, std::int16_t value);
    void set_real(std::int64_t metre, int coordinate, double value);

    // The points of the built metres, 2 to next_metre() - 1, in order, as
    // the line geometry file's slots of doubles: computed from the runs with
    // the arithmetic of the building (each step from the two points before
    // it, the direction never renormalised), so the bits are the builder's.
    class Points {
    public:
        explicit Points(const Track& track) : runs_(&track.runs_) {}
        std::int64_t next_metre() const { return m_; }
        // Fills the slots of the next metres, at most `most`: x into `xs`,
        // y into `ys`, track_slot::size bytes each. Returns how many; 0 once
        // every built metre has been given.
        std::size_t fill(std::byte* xs, std::byte* ys, std::size_t most);

    private:
        template <bool curved>
        void step_to(std::int64_t last, double k, std::byte* xs, std::byte* ys);

        const std::vector<TrackRun>* runs_;
        std::size_t run_ = 0;
        std::int64_t m_ = 2;
        // The points of metres m - 1 and m - 2.
        double x1_ = 0.0, y1_ = 1.0;
        double x2_ = 0.0, y2_ = 0.0;
    };

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
    // Both columns, x then y, computed first when needed; null when the
    // table keeps no values.
    const std::byte* table() const;
    const std::byte* column(int coordinate) const {
        const std::byte* t = table();
        return t == nullptr || coordinate != y ? t : t + metres_ * track_slot::size;
    }
    // Checks the metre and the coordinate.
    void check(std::int64_t metre, int coordinate) const;
    [[noreturn]] void outside(std::int64_t metre) const;
    // The slot of an entry to set: the table is all there is from then on.
    std::byte* slot_to_set(std::int64_t metre, int coordinate);

    std::size_t metres_ = 0;
    bool keeps_values_ = false;
    int started_ = 0;
    std::int64_t next_ = 2;
    std::vector<TrackRun> runs_;
    bool set_one_by_one_ = false;
    // Every entry: computed from the runs at the first read, or the entries
    // set one at a time. Zeroed, so an entry never set reads empty.
    mutable ZeroedBlock table_;
};

}  // namespace scenario
