// The layout of a packaged program, stated once for the tool that writes it
// and the runner that reads it: the runner's own bytes, then the payload (the
// scenario), then a trailer of fixed size at the very end of the file.
//
// Every number is little-endian. The trailer, trailer_size bytes:
//
//   offset  size  field
//        0     8  payload offset: where the payload begins, the runner's length
//        8     8  payload length
//       16     4  CRC-32 of the payload (the one of zlib and PNG)
//       20     4  format version
//       24     8  magic, "SCENPACK"
//
// so that payload offset + payload length + trailer_size is the file's size,
// with nothing left over. The payload is payload_fields fields, each a 4-byte
// length and that many bytes: the title, the train code, then the five texts
// in the order the run writes them (line description, train description,
// notes, slowdown order, timetable sheet), as the author wrote them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace scenario::package_layout {

inline constexpr std::size_t trailer_size = 32;
inline constexpr std::size_t payload_offset_at = 0;
inline constexpr std::size_t payload_length_at = 8;
inline constexpr std::size_t checksum_at = 16;
inline constexpr std::size_t version_at = 20;
inline constexpr std::size_t magic_at = 24;

inline constexpr std::string_view magic = "SCENPACK";
inline constexpr std::uint32_t format_version = 1;

inline constexpr std::size_t payload_fields = 7;
inline constexpr std::size_t field_length_size = 4;

// CRC-32 with the reflected polynomial 0xEDB88320, starting from and
// finishing with all bits inverted; `crc` continues an earlier part.
inline constexpr std::array<std::uint32_t, 256> crc_table = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

inline std::uint32_t crc32(std::string_view bytes, std::uint32_t crc = 0) {
    crc = ~crc;
    for (const char b : bytes) crc = crc_table[(crc ^ static_cast<std::uint8_t>(b)) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

}  // namespace scenario::package_layout
