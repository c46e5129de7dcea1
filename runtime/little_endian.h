// Little-endian field writers and readers for the binary formats the program writes and
// reads (the BMP file header and info block). Fields are placed one by one, never through
// packed structs, so the layout does not depend on the compiler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velmora::le {

inline void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void PutI32(std::vector<std::uint8_t>& out, std::int32_t v) {
    PutU32(out, static_cast<std::uint32_t>(v));
}

// Readers: the caller has checked that offset + size lies within the bytes.
inline std::uint16_t GetU16(std::span<const std::uint8_t> in, std::size_t offset) {
    return static_cast<std::uint16_t>(in[offset] | (in[offset + 1] << 8));
}

inline std::uint32_t GetU32(std::span<const std::uint8_t> in, std::size_t offset) {
    return static_cast<std::uint32_t>(in[offset]) |
           static_cast<std::uint32_t>(in[offset + 1]) << 8 |
           static_cast<std::uint32_t>(in[offset + 2]) << 16 |
           static_cast<std::uint32_t>(in[offset + 3]) << 24;
}

inline std::int32_t GetI32(std::span<const std::uint8_t> in, std::size_t offset) {
    return static_cast<std::int32_t>(GetU32(in, offset));
}

}  // namespace velmora::le
