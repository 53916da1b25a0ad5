#include "compactor/binary_decoding.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "compactor/file_layout.h"
#include "compactor/little_endian.h"
#include "model/placement.h"
#include "model/rounding.h"
#include "reader/line_reader.h"

namespace scenario {

DecodeError::DecodeError(std::size_t offset, const std::string& what)
    : std::runtime_error(what + " (at byte " + std::to_string(offset) + ")"), offset_(offset) {}

const char* binary_file_name(BinaryFile kind) {
    switch (kind) {
        case BinaryFile::records:
            return "scenario records";
        case BinaryFile::cells:
            return "route cells";
        case BinaryFile::geometry:
            return "plan geometry";
    }
    return "binary";
}

std::uint64_t largest_file_size(BinaryFile kind) {
    const std::uint64_t longest_track = std::uint64_t{longest_route} + geometry_beyond_route;
    switch (kind) {
        case BinaryFile::records:
            return std::uint64_t{record_count} * (layout::record_size_without_text + layout::longest_text);
        case BinaryFile::cells: {
            const auto cells =
                static_cast<std::uint64_t>(round_half_even(static_cast<double>(longest_track) / cell_length));
            return layout::cell_size * (cells + 1);
        }
        case BinaryFile::geometry:
            return 2 * (longest_track + 1) * (layout::geometry_tag_size + layout::geometry_value_size(TrackTag::real));
    }
    return 0;
}

void MemorySource::read_at(std::uint64_t offset, char* into, std::size_t n) const {
    std::memcpy(into, bytes_.data() + offset, n);
}

ByteCursor::ByteCursor(const ByteSource& source) : source_(source), buffer_(buffer_size) {}

void ByteCursor::seek(std::uint64_t offset) { offset_ = std::min(offset, source_.size()); }

void ByteCursor::need(std::uint64_t n, const std::string& what) const {
    if (source_.size() - offset_ < n) {
        throw DecodeError(offset_, "the file ends inside " + what);
    }
}

const char* ByteCursor::take_raw(std::size_t n) {
    if (offset_ < buffer_start_ || offset_ + n > buffer_start_ + buffered_) {
        need(n, "a field");
        buffer_start_ = offset_;
        buffered_ = static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), source_.size() - offset_));
        source_.read_at(offset_, buffer_.data(), buffered_);
    }
    const char* at = buffer_.data() + (offset_ - buffer_start_);
    offset_ += n;
    return at;
}

std::uint16_t ByteCursor::u16() { return get_u16(std::string_view(take_raw(2), 2), 0); }

std::int32_t ByteCursor::i32() { return get_i32(std::string_view(take_raw(4), 4), 0); }

double ByteCursor::f64() { return get_f64(std::string_view(take_raw(8), 8), 0); }

std::string ByteCursor::text(std::size_t n) {
    if (n == 0) return {};
    return std::string(take_raw(n), n);
}

namespace {

std::string record_name(int index) { return "record " + std::to_string(index); }

}  // namespace

RecordDecoder::RecordDecoder(const ByteSource& source) : in_(source) {
    // Only the text lengths are read here: a record is 34 bytes and its text.
    constexpr std::size_t after_length = layout::record_size_without_text - layout::record_text_length_at - 2;
    for (int index = 0; index < record_count; ++index) {
        offsets_[static_cast<std::size_t>(index)] = in_.offset();
        in_.need(layout::record_text_length_at + 2, record_name(index));
        in_.skip(layout::record_text_length_at);
        const std::size_t length = in_.u16();
        in_.need(length + after_length, record_name(index));
        in_.skip(length + after_length);
    }
    if (!in_.done()) throw DecodeError(in_.offset(), "bytes follow the 87th record");
}

ScenarioRecord RecordDecoder::record(int index) {
    in_.seek(offset(index));
    ScenarioRecord r;
    layout::record_fields(r, [this]<typename Field>(const char*, Field& field) {
        if constexpr (std::is_same_v<Field, std::string>) {
            field = in_.text(in_.u16());
        } else {
            in_.get(field);
        }
    });
    return r;
}

CellDecoder::CellDecoder(const ByteSource& source) : in_(source) {
    const std::uint64_t size = source.size();
    if (size % layout::cell_size != 0) {
        throw DecodeError(size - size % layout::cell_size, "the file ends inside a cell");
    }
    count_ = static_cast<std::size_t>(size / layout::cell_size);
}

RouteCell CellDecoder::cell(std::size_t index) {
    if (index >= count_) throw std::out_of_range("cell " + std::to_string(index) + " lies beyond the file");
    const std::uint64_t offset = std::uint64_t{index} * layout::cell_size;
    if (in_.offset() != offset) in_.seek(offset);
    RouteCell c;
    layout::cell_fields(c, [this](const char*, auto& field) { in_.get(field); });
    return c;
}

namespace {

// The bytes of the value behind a type tag, and what they are called; an
// unknown tag is a DecodeError at its offset.
std::size_t tagged_value_size(std::uint16_t tag, std::uint64_t tag_offset, const char*& what) {
    switch (static_cast<TrackTag>(tag)) {
        case TrackTag::empty:
            what = "";
            return layout::geometry_value_size(TrackTag::empty);
        case TrackTag::int16:
            what = "a 16-bit value";
            return layout::geometry_value_size(TrackTag::int16);
        case TrackTag::real:
            what = "a double value";
            return layout::geometry_value_size(TrackTag::real);
    }
    throw DecodeError(tag_offset, "unknown type tag " + std::to_string(tag));
}

}  // namespace

GeometryDecoder::GeometryDecoder(const ByteSource& source) : x_(source), y_(source) {
    // One pass over the tags, straight from a buffer of the file's bytes:
    // the file may hold two million values, and a cursor call for each
    // would cost more than the reading.
    constexpr std::size_t longest = layout::geometry_tag_size + layout::geometry_value_size(TrackTag::real);
    const std::uint64_t size = source.size();
    std::vector<char> buffer(std::size_t{64} << 10);
    std::uint64_t start = 0;  // file offset of buffer[0]
    std::size_t filled = 0;
    std::size_t at = 0;
    std::size_t values = 0;
    for (;; ++values) {
        if (filled - at < longest && start + filled < size) {
            std::memmove(buffer.data(), buffer.data() + at, filled - at);
            start += at;
            filled -= at;
            at = 0;
            const auto more =
                static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size() - filled, size - start - filled));
            source.read_at(start + filled, buffer.data() + filled, more);
            filled += more;
        }
        if (at == filled) break;
        const std::uint64_t offset = start + at;
        if (values % checkpoint_spacing == 0) checkpoints_.push_back(offset);
        if (filled - at < layout::geometry_tag_size) throw DecodeError(offset, "the file ends inside a type tag");
        const std::uint16_t tag = get_u16(std::string_view(buffer.data() + at, layout::geometry_tag_size), 0);
        at += layout::geometry_tag_size;
        const char* what = "";
        const std::size_t value_size = tagged_value_size(tag, offset, what);
        if (filled - at < value_size) throw DecodeError(start + at, std::string("the file ends inside ") + what);
        at += value_size;
    }
    if (values % 2 != 0) throw DecodeError(size, "the x and y halves differ in length");
    metres_ = values / 2;
}

TrackTag GeometryDecoder::step(ByteCursor& in) {
    in.need(layout::geometry_tag_size, "a type tag");
    const std::size_t tag_offset = in.offset();
    const std::uint16_t tag = in.u16();
    const char* what = "";
    const std::size_t value_size = tagged_value_size(tag, tag_offset, what);
    in.need(value_size, what);
    in.skip(value_size);
    return static_cast<TrackTag>(tag);
}

TrackValue GeometryDecoder::at(Walker& walker, std::size_t value) {
    if (value >= 2 * metres_) throw std::out_of_range("metre beyond the plan geometry");
    if (value < walker.value || value - walker.value >= checkpoint_spacing) {
        const std::size_t checkpoint = value / checkpoint_spacing;
        walker.in.seek(checkpoints_[checkpoint]);
        walker.value = checkpoint * checkpoint_spacing;
    }
    for (; walker.value < value; ++walker.value) step(walker.in);
    ++walker.value;
    const auto tag = static_cast<TrackTag>(walker.in.u16());
    if (tag == TrackTag::int16) return {tag, static_cast<double>(walker.in.i16())};
    if (tag == TrackTag::real) return {tag, walker.in.f64()};
    return {TrackTag::empty, 0.0};
}

std::vector<ScenarioRecord> decode_records(std::string_view bytes) {
    const MemorySource source(bytes);
    RecordDecoder decoder(source);
    std::vector<ScenarioRecord> records;
    records.reserve(record_count);
    for (int index = 0; index < record_count; ++index) records.push_back(decoder.record(index));
    return records;
}

std::vector<RouteCell> decode_cells(std::string_view bytes) {
    const MemorySource source(bytes);
    CellDecoder decoder(source);
    std::vector<RouteCell> cells;
    cells.reserve(decoder.count());
    for (std::size_t i = 0; i < decoder.count(); ++i) cells.push_back(decoder.cell(i));
    return cells;
}

std::vector<TrackValue> decode_line_geometry(std::string_view bytes, std::size_t& metres) {
    const MemorySource source(bytes);
    GeometryDecoder decoder(source);
    std::vector<TrackValue> values;
    values.reserve(2 * decoder.metres());
    for (std::size_t m = 0; m < decoder.metres(); ++m) values.push_back(decoder.x(m));
    for (std::size_t m = 0; m < decoder.metres(); ++m) values.push_back(decoder.y(m));
    metres = decoder.metres();
    return values;
}

}  // namespace scenario
