#include "photo/PhotoReduction.h"

#include <algorithm>
#include <new>

#include "base/Error.h"
#include "photo/JpegDecoder.h"
#include "photo/JpegEncoder.h"
#include "photo/PhotoOrientation.h"

namespace offrel {

namespace {

PictureSize UprightSize(const JpegDecoder& decoder) {
    const PictureSize stored = decoder.StoredSize();
    if (SwapsSides(decoder.Orientation())) return PictureSize{stored.height, stored.width};
    return stored;
}

// The stored size brought to kReducedLongSide on its long side, proportions kept.
PictureSize ReducedSize(PictureSize stored) {
    const long long longSide = std::max(stored.width, stored.height);
    if (longSide <= kReducedLongSide) return stored;
    const auto side = [longSide](long long length) {
        return static_cast<int>(
            std::max(1LL, (length * kReducedLongSide + longSide / 2) / longSide));
    };
    return {side(stored.width), side(stored.height)};
}

}  // namespace

PhotoFacts ReadPhotoFacts(const std::string& path) {
    const PhotoFile file = OpenPhotoFile(path);
    PhotoFacts facts;
    facts.bytes = file.size;
    JpegDecoder decoder(file.handle.get());
    if (decoder.ReadHead(false) == HeadOutcome::kRead) facts.pixels = UprightSize(decoder);
    return facts;
}

bool NeedsReduction(const PhotoFacts& facts) {
    if (!facts.pixels) return false;
    return std::max(facts.pixels->width, facts.pixels->height) > kReducedLongSide ||
           facts.bytes > kReducedFileSize;
}

std::optional<std::string> ReducedPhoto(const std::string& path) {
    PhotoFile file;
    try {
        file = OpenPhotoFile(path);
    } catch (const Error&) {
        return std::nullopt;
    }
    JpegDecoder decoder(file.handle.get());
    if (decoder.ReadHead(true) != HeadOutcome::kRead) return std::nullopt;
    if (!NeedsReduction({file.size, UprightSize(decoder)})) return std::nullopt;
    try {
        const std::vector<std::uint8_t> profile = decoder.ColourProfile();
        RgbImage picture;
        const PictureSize size = ReducedSize(decoder.StoredSize());
        if (decoder.Decode(size, DecodeFor::kSending, picture) != DecodeOutcome::kDone)
            return std::nullopt;
        return EncodeJpeg(Oriented(std::move(picture), decoder.Orientation()), kReducedQuality,
                          profile);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace offrel
