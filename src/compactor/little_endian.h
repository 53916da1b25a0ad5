// Little-endian encoding of the binary files' fields, one byte at a time, so
// that the files never depend on the host's byte order or struct layout.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

inline void put_u8(std::string& out, std::uint8_t value) { out.push_back(static_cast<char>(value)); }

inline void put_u16(std::string& out, std::uint16_t value) {
    const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
    out.append(bytes, 2);
}

inline void put_i16(std::string& out, std::int16_t value) { put_u16(out, static_cast<std::uint16_t>(value)); }

inline void put_u32(std::string& out, std::uint32_t value) {
    char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    out.append(bytes, 4);
}

inline void put_i32(std::string& out, std::int32_t value) { put_u32(out, static_cast<std::uint32_t>(value)); }

inline void put_f64(std::string& out, double value) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    out.append(bytes, 8);
}

// One field of any width the binary files use.
inline void put(std::string& out, std::uint8_t value) { put_u8(out, value); }
inline void put(std::string& out, std::int16_t value) { put_i16(out, value); }
inline void put(std::string& out, std::int32_t value) { put_i32(out, value); }

// Stores into a buffer the caller has sized; each returns the position after
// the field.
inline char* store_u16(char* at, std::uint16_t value) {
    at[0] = static_cast<char>(value & 0xFF);
    at[1] = static_cast<char>(value >> 8);
    return at + 2;
}

// One field of a width the route cells file uses.
inline char* store(char* at, std::uint8_t value) {
    *at = static_cast<char>(value);
    return at + 1;
}
inline char* store(char* at, std::int16_t value) { return store_u16(at, static_cast<std::uint16_t>(value)); }

// Decoding counterparts, for readers of the binary files. The caller
// guarantees that the bytes are there.
inline std::uint8_t get_u8(std::string_view in, std::size_t at) { return static_cast<std::uint8_t>(in[at]); }

inline std::uint16_t get_u16(std::string_view in, std::size_t at) {
    return static_cast<std::uint16_t>(get_u8(in, at) | (get_u8(in, at + 1) << 8));
}

inline std::int16_t get_i16(std::string_view in, std::size_t at) { return static_cast<std::int16_t>(get_u16(in, at)); }

inline std::uint32_t get_u32(std::string_view in, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | get_u8(in, at + static_cast<std::size_t>(i));
    return value;
}

inline std::int32_t get_i32(std::string_view in, std::size_t at) { return static_cast<std::int32_t>(get_u32(in, at)); }

inline double get_f64(std::string_view in, std::size_t at) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | get_u8(in, at + static_cast<std::size_t>(i));
    return std::bit_cast<double>(bits);
}

}  // namespace scenario
