#include "photo/PhotoOrientation.h"

#include <cstring>

namespace offrel {

namespace {

constexpr std::uint8_t kExifSignature[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
constexpr std::size_t kEntrySize = 12;

// The numbers of a TIFF block, in its own byte order, each read only inside the block.
class TiffReader {
public:
    TiffReader(const std::uint8_t* data, std::size_t size, bool bigEndian)
        : data_(data), size_(size), bigEndian_(bigEndian) {}

    bool Has(std::size_t at, std::size_t count) const { return at <= size_ && count <= size_ - at; }
    std::uint16_t U16(std::size_t at) const {
        const std::uint8_t* p = data_ + at;
        return static_cast<std::uint16_t>(bigEndian_ ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
    }
    std::uint32_t U32(std::size_t at) const {
        const std::uint32_t high = U16(at);
        const std::uint32_t low = U16(at + 2);
        return bigEndian_ ? high << 16 | low : low << 16 | high;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    bool bigEndian_;
};

}  // namespace

int ExifOrientation(const std::uint8_t* segment, std::size_t size) {
    constexpr std::size_t kSignatureSize = sizeof kExifSignature;
    if (size < kSignatureSize + 8 || std::memcmp(segment, kExifSignature, kSignatureSize) != 0)
        return 1;
    const std::uint8_t* tiff = segment + kSignatureSize;
    const std::size_t tiffSize = size - kSignatureSize;
    bool bigEndian;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        bigEndian = false;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else
        return 1;
    const TiffReader in(tiff, tiffSize, bigEndian);
    if (in.U16(2) != 42) return 1;
    const std::size_t directory = in.U32(4);
    if (!in.Has(directory, 2)) return 1;
    const std::size_t entries = in.U16(directory);
    for (std::size_t k = 0; k < entries; ++k) {
        const std::size_t entry = directory + 2 + k * kEntrySize;
        if (!in.Has(entry, kEntrySize)) return 1;
        if (in.U16(entry) != kOrientationTag) continue;
        if (in.U16(entry + 2) != kShortType || in.U32(entry + 4) != 1) return 1;
        const int orientation = in.U16(entry + 8);
        return orientation >= 1 && orientation <= 8 ? orientation : 1;
    }
    return 1;
}

bool SwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

RgbImage Oriented(RgbImage image, int orientation) {
    if (orientation < 2 || orientation > 8) return image;
    const int w = image.width;
    const int h = image.height;
    RgbImage out;
    out.width = SwapsSides(orientation) ? h : w;
    out.height = SwapsSides(orientation) ? w : h;
    out.pixels.resize(image.pixels.size());
    constexpr std::size_t kPixel = 4;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            // The stored pixel that shows at (x, y).
            int sx = x, sy = y;
            switch (orientation) {
                case 2:  // mirrored left to right
                    sx = w - 1 - x;
                    break;
                case 3:  // turned half a turn
                    sx = w - 1 - x, sy = h - 1 - y;
                    break;
                case 4:  // mirrored top to bottom
                    sy = h - 1 - y;
                    break;
                case 5:  // mirrored along the main diagonal
                    sx = y, sy = x;
                    break;
                case 6:  // to be turned a quarter clockwise
                    sx = y, sy = h - 1 - x;
                    break;
                case 7:  // mirrored along the other diagonal
                    sx = w - 1 - y, sy = h - 1 - x;
                    break;
                case 8:  // to be turned a quarter anticlockwise
                    sx = w - 1 - y, sy = x;
                    break;
            }
            std::memcpy(&out.pixels[(static_cast<std::size_t>(y) * out.width + x) * kPixel],
                        &image.pixels[(static_cast<std::size_t>(sy) * w + sx) * kPixel], kPixel);
        }
    }
    return out;
}

}  // namespace offrel
