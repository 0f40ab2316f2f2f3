#include "photo/JpegEnd.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

namespace offrel {

namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kEndOfPicture = 0xD9;

// The file's bytes read forward in blocks, as the walk moves.
class ForwardReader {
public:
    ForwardReader(int fd, std::uint64_t size) : fd_(fd), size_(size), block_(64 * 1024) {}

    // The byte at the position; nothing past the end or when the read fails.
    std::optional<std::uint8_t> At(std::uint64_t position) {
        if (position >= size_) return std::nullopt;
        if (position < start_ || position >= start_ + filled_) {
            if (!Fill(position)) return std::nullopt;
        }
        return block_[position - start_];
    }

    // The position of the next 0xFF from the position on; nothing when there is none.
    std::optional<std::uint64_t> NextMarkerByte(std::uint64_t position) {
        while (position < size_) {
            if (!At(position)) return std::nullopt;
            const std::uint8_t* from = block_.data() + (position - start_);
            const std::size_t left = filled_ - static_cast<std::size_t>(position - start_);
            if (const void* found = std::memchr(from, kMarker, left))
                return position +
                       static_cast<std::uint64_t>(static_cast<const std::uint8_t*>(found) - from);
            position += left;
        }
        return std::nullopt;
    }

private:
    bool Fill(std::uint64_t position) {
        start_ = position;
        filled_ = 0;
        for (;;) {
            const ssize_t got =
                ::pread(fd_, block_.data(), block_.size(), static_cast<off_t>(position));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            filled_ = static_cast<std::size_t>(got);
            return true;
        }
    }

    int fd_;
    std::uint64_t size_;
    std::vector<std::uint8_t> block_;
    std::uint64_t start_ = 0;
    std::size_t filled_ = 0;
};

bool EndsWithEndMarker(int fd, std::uint64_t size) {
    std::uint8_t last[2] = {};
    return size >= 4 &&
           ::pread(fd, last, sizeof last, static_cast<off_t>(size - 2)) == sizeof last &&
           last[0] == kMarker && last[1] == kEndOfPicture;
}

// Markers that stand alone, without a length: the restart markers and TEM.
bool StandsAlone(std::uint8_t marker) {
    return (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01;
}

}  // namespace

bool JpegReachesItsEnd(int fd, std::uint64_t size) {
    if (EndsWithEndMarker(fd, size)) return true;
    ForwardReader bytes(fd, size);
    std::uint64_t at = 2;  // after the start-of-picture marker
    for (;;) {
        // The decoder passes over stray bytes before a marker, and so does the walk.
        const std::optional<std::uint64_t> next = bytes.NextMarkerByte(at);
        if (!next) return false;
        at = *next + 1;
        std::optional<std::uint8_t> marker = bytes.At(at);
        while (marker == kMarker) marker = bytes.At(++at);  // fill bytes
        if (!marker) return false;
        ++at;
        if (*marker == kEndOfPicture) return true;
        // In a scan's coded data a 0xFF is followed by 0x00 or by a restart marker; the next
        // other marker ends the scan.
        if (*marker == 0x00 || StandsAlone(*marker)) continue;
        const std::optional<std::uint8_t> high = bytes.At(at);
        const std::optional<std::uint8_t> low = bytes.At(at + 1);
        if (!high || !low) return false;
        const std::uint64_t length = (std::uint64_t{*high} << 8) | *low;
        if (length < 2 || at + length > size) return false;
        at += length;  // a segment's own bytes, an embedded thumbnail's markers among them
    }
}

}  // namespace offrel
