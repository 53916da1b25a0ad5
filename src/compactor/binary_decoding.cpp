#include "compactor/binary_decoding.h"

#include <string>

#include "compactor/file_layout.h"
#include "compactor/little_endian.h"

namespace scenario {

namespace {

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
    void get(std::uint8_t& field) { field = u8(); }
    void get(std::int16_t& field) { field = i16(); }
    void get(std::int32_t& field) { field = i32(); }

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
        in.need(layout::record_text_length_at + 2, element.c_str());
        ScenarioRecord r;
        layout::record_fields(r, [&]<typename Field>(const char*, Field& field) {
            if constexpr (std::is_same_v<Field, std::string>) {
                const std::size_t length = in.u16();
                in.need(length + layout::record_size_without_text - layout::record_text_length_at - 2, element.c_str());
                field = std::string(in.take(length));
            } else {
                in.get(field);
            }
        });
        records.push_back(std::move(r));
    }
    if (!in.done()) throw DecodeError(in.offset(), "bytes follow the 87th record");
    return records;
}

std::vector<RouteCell> decode_cells(std::string_view bytes) {
    if (bytes.size() % layout::cell_size != 0) {
        throw DecodeError(bytes.size() - bytes.size() % layout::cell_size, "the file ends inside a cell");
    }
    std::vector<RouteCell> cells;
    cells.reserve(bytes.size() / layout::cell_size);
    Cursor in(bytes);
    while (!in.done()) {
        RouteCell c;
        layout::cell_fields(c, [&in](const char*, auto& field) { in.get(field); });
        cells.push_back(c);
    }
    return cells;
}

std::vector<TrackValue> decode_line_geometry(std::string_view bytes, std::size_t& metres) {
    std::vector<TrackValue> values;
    Cursor in(bytes);
    while (!in.done()) {
        in.need(layout::geometry_tag_size, "a type tag");
        const std::size_t tag_offset = in.offset();
        const std::uint16_t tag = in.u16();
        if (tag == static_cast<std::uint16_t>(TrackTag::empty)) {
            values.push_back({TrackTag::empty, 0.0});
        } else if (tag == static_cast<std::uint16_t>(TrackTag::int16)) {
            in.need(layout::geometry_value_size(TrackTag::int16), "a 16-bit value");
            values.push_back({TrackTag::int16, static_cast<double>(in.i16())});
        } else if (tag == static_cast<std::uint16_t>(TrackTag::real)) {
            in.need(layout::geometry_value_size(TrackTag::real), "a double value");
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
