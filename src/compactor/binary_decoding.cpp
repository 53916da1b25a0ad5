#include "compactor/binary_decoding.h"

#include <string>

#include "compactor/little_endian.h"

namespace scenario {

namespace {

constexpr std::size_t cell_size = 15;
constexpr std::size_t record_fixed_size = 34;

// Reads fields one after the other, refusing to go past the end.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}

    std::size_t offset() const { return at_; }
    bool done() const { return at_ == bytes_.size(); }
    void need(std::size_t n, const char* what) const {
        if (bytes_.size() - at_ < n) {
            throw DecodeError(at_, std::string("the file ends inside ") + what);
        }
    }
    std::uint8_t u8() { return get_u8(bytes_, advance(1)); }
    std::uint16_t u16() { return get_u16(bytes_, advance(2)); }
    std::int16_t i16() { return get_i16(bytes_, advance(2)); }
    std::int32_t i32() { return get_i32(bytes_, advance(4)); }
    double f64() { return get_f64(bytes_, advance(8)); }
    std::string_view take(std::size_t n) { return bytes_.substr(advance(n), n); }

private:
    std::size_t advance(std::size_t n) {
        std::size_t start = at_;
        at_ += n;
        return start;
    }

    std::string_view bytes_;
    std::size_t at_ = 0;
};

}  // namespace

DecodeError::DecodeError(std::size_t offset, const std::string& what)
    : std::runtime_error(what + " (at byte " + std::to_string(offset) + ")"), offset_(offset) {}

std::vector<ScenarioRecord> decode_records(std::string_view bytes) {
    std::vector<ScenarioRecord> records;
    Cursor in(bytes);
    for (int index = 0; index < record_count; ++index) {
        const std::string element = "record " + std::to_string(index);
        in.need(16, element.c_str());
        ScenarioRecord r;
        r.tag = in.u8();
        r.long1 = in.i32();
        r.long2 = in.i32();
        r.long3 = in.i32();
        r.byte1 = in.u8();
        const std::size_t length = in.u16();
        in.need(length + record_fixed_size - 16, element.c_str());
        r.text = std::string(in.take(length));
        r.int1 = in.i16();
        r.int2 = in.i16();
        r.int3 = in.i16();
        r.int4 = in.i16();
        r.int5 = in.i16();
        r.byte2 = in.u8();
        r.byte3 = in.u8();
        r.byte4 = in.u8();
        r.byte5 = in.u8();
        r.long4 = in.i32();
        records.push_back(std::move(r));
    }
    if (!in.done()) throw DecodeError(in.offset(), "bytes follow the 87th record");
    return records;
}

std::vector<RouteCell> decode_cells(std::string_view bytes) {
    if (bytes.size() % cell_size != 0) {
        throw DecodeError(bytes.size() - bytes.size() % cell_size, "the file ends inside a cell");
    }
    std::vector<RouteCell> cells;
    cells.reserve(bytes.size() / cell_size);
    Cursor in(bytes);
    while (!in.done()) {
        RouteCell c;
        c.kind = in.u8();
        c.data1 = in.i16();
        c.data2 = in.i16();
        c.data3 = in.i16();
        c.data4 = in.i16();
        c.data5 = in.u8();
        c.approachCode = in.u8();
        c.mountainType = in.u8();
        c.speedLimit = in.u8();
        c.gradient = in.u8();
        c.adhesion = in.u8();
        cells.push_back(c);
    }
    return cells;
}

std::vector<TrackValue> decode_line_geometry(std::string_view bytes, std::size_t& metres) {
    std::vector<TrackValue> values;
    Cursor in(bytes);
    while (!in.done()) {
        in.need(2, "a type tag");
        const std::size_t tag_offset = in.offset();
        const std::uint16_t tag = in.u16();
        if (tag == static_cast<std::uint16_t>(TrackTag::empty)) {
            values.push_back({TrackTag::empty, 0.0});
        } else if (tag == static_cast<std::uint16_t>(TrackTag::int16)) {
            in.need(2, "a 16-bit value");
            values.push_back({TrackTag::int16, static_cast<double>(in.i16())});
        } else if (tag == static_cast<std::uint16_t>(TrackTag::real)) {
            in.need(8, "a double value");
            values.push_back({TrackTag::real, in.f64()});
        } else {
            throw DecodeError(tag_offset, "unknown type tag " + std::to_string(tag));
        }
    }
    if (values.size() % 2 != 0) throw DecodeError(bytes.size(), "the x and y halves differ in length");
    metres = values.size() / 2;
    return values;
}

}  // namespace scenario
