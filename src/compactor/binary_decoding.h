// Reading the three binary files back: the inverse of the writers, for
// checking and showing written scenarios. Decoding never reads outside the
// bytes given; a file whose length does not fit its layout is a DecodeError
// naming the byte offset where decoding failed.
//
// The decoders walk a file through a small buffer, so that a file of any
// size is shown element by element in bounded memory. Each checks the
// file's whole structure when it is made (lengths and tags only, no value),
// so a damaged file is refused before any element is handed out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/route_model.h"

namespace scenario {

class DecodeError : public std::runtime_error {
public:
    DecodeError(std::size_t offset, const std::string& what);
    std::size_t offset() const { return offset_; }

private:
    std::size_t offset_;
};

// The three binary files.
enum class BinaryFile { records, cells, geometry };

// What the file holds, for messages: "scenario records", "route cells",
// "plan geometry".
const char* binary_file_name(BinaryFile kind);

// The largest file of each kind that a scenario can give: 87 records with
// the longest texts, the cells and the plan geometry of the longest route.
std::uint64_t largest_file_size(BinaryFile kind);

// The bytes of a file, read at any offset.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Copies the n bytes from `offset` into `into`; the caller never asks
    // beyond size().
    virtual void read_at(std::uint64_t offset, char* into, std::size_t n) const = 0;
};

// Bytes already in memory.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    void read_at(std::uint64_t offset, char* into, std::size_t n) const override;

private:
    std::string_view bytes_;
};

// Fields read one after the other from a source through a bounded buffer,
// refusing to go past the end.
class ByteCursor {
public:
    explicit ByteCursor(const ByteSource& source);

    std::uint64_t offset() const { return offset_; }
    bool done() const { return offset_ == source_.size(); }
    void seek(std::uint64_t offset);
    // A DecodeError unless n more bytes remain; `what` is what would be cut.
    void need(std::uint64_t n, const std::string& what) const;

    std::uint8_t u8() { return static_cast<std::uint8_t>(*take_raw(1)); }
    std::uint16_t u16();
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::int32_t i32();
    double f64();
    std::string text(std::size_t n);
    void skip(std::uint64_t n) { seek(offset_ + n); }
    void get(std::uint8_t& field) { field = u8(); }
    void get(std::int16_t& field) { field = i16(); }
    void get(std::int32_t& field) { field = i32(); }

private:
    // The n bytes at the current offset, read into the buffer when needed.
    const char* take_raw(std::size_t n);

    static constexpr std::size_t buffer_size = std::size_t{64} << 10;

    const ByteSource& source_;
    std::uint64_t offset_ = 0;
    std::vector<char> buffer_;
    std::uint64_t buffer_start_ = 0;  // file offset of buffer_[0]
    std::size_t buffered_ = 0;        // valid bytes in buffer_
};

// The 87 records of a ".sim" file, each decoded when asked for.
class RecordDecoder {
public:
    explicit RecordDecoder(const ByteSource& source);
    std::uint64_t offset(int index) const { return offsets_.at(static_cast<std::size_t>(index)); }
    ScenarioRecord record(int index);

private:
    ByteCursor in_;
    std::array<std::uint64_t, record_count> offsets_{};
};

// The cells of a ".dat" file, 15 bytes each.
class CellDecoder {
public:
    explicit CellDecoder(const ByteSource& source);
    std::size_t count() const { return count_; }
    RouteCell cell(std::size_t index);

private:
    ByteCursor in_;
    std::size_t count_ = 0;
};

// The tagged values of a "_linea.dat" file: the x half followed by the y
// half, one value a metre. Reading metres in order costs one pass over each
// half; any other order walks at most a stretch of `checkpoint_spacing`
// values from a remembered offset.
class GeometryDecoder {
public:
    explicit GeometryDecoder(const ByteSource& source);
    // How many metres each half holds.
    std::size_t metres() const { return metres_; }
    TrackValue x(std::size_t metre) { return at(x_, metre); }
    TrackValue y(std::size_t metre) { return at(y_, metre + metres_); }

    static constexpr std::size_t checkpoint_spacing = 4096;

private:
    struct Walker {
        explicit Walker(const ByteSource& source) : in(source) {}
        ByteCursor in;
        std::size_t value = 0;  // the index of the value at in.offset()
    };
    TrackValue at(Walker& walker, std::size_t value);
    // Moves past one tagged value, checking it; returns its tag.
    static TrackTag step(ByteCursor& in);

    std::vector<std::uint64_t> checkpoints_;  // offset of every checkpoint_spacing-th value
    std::size_t metres_ = 0;
    Walker x_;
    Walker y_;
};

// Whole files in memory, for callers that have the bytes anyway.
// The 87 elements of a ".sim" file.
std::vector<ScenarioRecord> decode_records(std::string_view bytes);
// The cells of a ".dat" file, 15 bytes each.
std::vector<RouteCell> decode_cells(std::string_view bytes);
// The tagged values of a "_linea.dat" file: the x half followed by the y
// half, one value a metre; `metres` receives how many metres each half holds.
std::vector<TrackValue> decode_line_geometry(std::string_view bytes, std::size_t& metres);

}  // namespace scenario
