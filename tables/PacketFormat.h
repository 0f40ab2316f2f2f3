#pragma once

#include <cstdint>

namespace offrel::packet {

inline constexpr std::uint32_t kMagic = 0xBDE01996;
inline constexpr std::uint16_t kHeaderSize = 24;
inline constexpr std::uint32_t kFlagAlways = 1;
inline constexpr std::uint32_t kFlagRowSectionOffset = 2;
// The row section offset fits in the header's 16 bits only up to this value.
inline constexpr std::size_t kLargestRowSectionOffset = 65535;

inline constexpr std::uint16_t kTypeUnsigned = 0x0002;
inline constexpr std::uint16_t kTypeVariable = 0x0040;
inline constexpr std::uint16_t kTypeArray = 0x0080;
inline constexpr std::uint16_t kTypeLogArray = 0x0082;

inline constexpr char kWidth[] = "WIDTH";
inline constexpr char kSubtype[] = "SUBTYPE";
inline constexpr char kChangeLog[] = "CHANGE_LOG";
inline constexpr char kMoney[] = "Money";
inline constexpr char kGraphics[] = "Graphics";

}  // namespace offrel::packet
