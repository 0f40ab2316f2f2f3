#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace offrel::bytes {

// Little-endian numbers of a table packet.
inline void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void Put64(std::vector<std::uint8_t>& out, std::uint64_t v) {
    for (int shift = 0; shift < 64; shift += 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void PutBytes(std::vector<std::uint8_t>& out, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}

inline std::uint16_t Get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline std::uint64_t Get64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(Get32(p)) | static_cast<std::uint64_t>(Get32(p + 4)) << 32;
}

// An unsigned number of 1, 2 or 4 bytes.
inline std::uint32_t GetSized(const std::uint8_t* p, int size) {
    return size == 1 ? p[0] : size == 2 ? Get16(p) : Get32(p);
}

inline void PutSized(std::vector<std::uint8_t>& out, std::uint32_t v, int size) {
    if (size == 1)
        out.push_back(static_cast<std::uint8_t>(v));
    else if (size == 2)
        Put16(out, static_cast<std::uint16_t>(v));
    else
        Put32(out, v);
}

}  // namespace offrel::bytes
