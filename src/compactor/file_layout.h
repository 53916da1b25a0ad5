// The layouts of the simulator's three binary files, stated once for their
// writers, their decoders and every tool that shows them. All numbers are
// little-endian; no file has a header, a count or a trailer.
//
// Each field list visits the fields of one element in file order as
// visit(name, field): the writer puts each field, the decoder gets it, a
// dump names it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "model/route_model.h"
#include "model/track.h"

namespace scenario::layout {

// The route cells file (".dat"): cells 0 to cellCount in index order.
inline constexpr std::size_t cell_size = 15;

template <typename Cell, typename Visit>
constexpr void cell_fields(Cell& cell, Visit&& visit) {
    visit("kind", cell.kind);
    visit("data1", cell.data1);
    visit("data2", cell.data2);
    visit("data3", cell.data3);
    visit("data4", cell.data4);
    visit("data5", cell.data5);
    visit("approachCode", cell.approachCode);
    visit("mountainType", cell.mountainType);
    visit("speedLimit", cell.speedLimit);
    visit("gradient", cell.gradient);
    visit("adhesion", cell.adhesion);
}

// The scenario records file (".sim"): the 87 records in index order (the
// writer's tests check the sizes against this field list). A
// record's text is its 16-bit length followed by that many single-byte
// characters, so a record is 34 bytes plus its text and a reader must walk
// the file record by record.
inline constexpr std::size_t record_size_without_text = 34;
inline constexpr std::size_t record_text_length_at = 14;  // the text's length within a record
inline constexpr std::size_t longest_text = 32767;

template <typename Record, typename Visit>
constexpr void record_fields(Record& record, Visit&& visit) {
    visit("tag", record.tag);
    visit("long1", record.long1);
    visit("long2", record.long2);
    visit("long3", record.long3);
    visit("byte1", record.byte1);
    visit("text", record.text);
    visit("int1", record.int1);
    visit("int2", record.int2);
    visit("int3", record.int3);
    visit("int4", record.int4);
    visit("int5", record.int5);
    visit("byte2", record.byte2);
    visit("byte3", record.byte3);
    visit("byte4", record.byte4);
    visit("byte5", record.byte5);
    visit("long4", record.long4);
}

// The plan geometry file ("_linea.dat"): the x of every metre 0 to
// trackLength, then the y of every metre, each value behind its 2-byte type
// tag and as long as the tag says.
inline constexpr std::size_t geometry_tag_size = 2;

constexpr std::size_t geometry_value_size(TrackTag tag) {
    switch (tag) {
        case TrackTag::empty:
            return 0;
        case TrackTag::int16:
            return 2;
        case TrackTag::real:
            return 8;
    }
    return 0;
}

// The bytes a field takes in a file; a text counts its length only.
template <typename Field>
constexpr std::size_t field_size() {
    if constexpr (std::is_same_v<Field, std::string>) {
        return 2;
    } else {
        return sizeof(Field);
    }
}

namespace detail {
template <typename Element, typename Fields>
constexpr std::size_t size_without_text(Fields fields) {
    std::size_t size = 0;
    Element element{};
    fields(element, [&size]<typename Field>(const char*, Field&) { size += field_size<Field>(); });
    return size;
}
}  // namespace detail

static_assert(detail::size_without_text<RouteCell>([](auto& c, auto&& v) { cell_fields(c, v); }) == cell_size);

}  // namespace scenario::layout
