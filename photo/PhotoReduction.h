#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "photo/Picture.h"

namespace offrel {

// The site shows photos a few hundred pixels wide: when the seller asks for it, a photo larger
// than this, in pixels or in bytes, is sent reduced.
constexpr int kReducedLongSide = 2048;
constexpr std::uint64_t kReducedFileSize = 2 * 1024 * 1024;
constexpr int kReducedQuality = 90;

// What the file system and a JPEG file's head tell of a photo, without decoding it.
struct PhotoFacts {
    std::uint64_t bytes = 0;
    std::optional<PictureSize> pixels;  // upright; nothing when the file is no readable JPEG
};

// Reads only the head of the file. path: Windows-1252, as stored. Throws Error "Impossible
// d'ouvrir le fichier "%s". %s" when the file cannot be opened.
PhotoFacts ReadPhotoFacts(const std::string& path);

// Whether the photo goes reduced: a readable JPEG whose long side is above kReducedLongSide
// pixels or whose file is above kReducedFileSize bytes. Any other file goes as it is.
bool NeedsReduction(const PhotoFacts& facts);

// The bytes to send in the file's place, under its name, when the photo needs reduction: the
// picture decoded, turned upright as its Exif orientation says, brought to kReducedLongSide
// pixels on its long side (never enlarged) by the decoder's DCT scaling and area averaging, and
// encoded as a JPEG of quality kReducedQuality, keeping its colour profile and nothing else of
// its markers. Nothing when the file goes as it is: no reduction needed, a file that cannot be
// opened or decoded whole (the upload then reports or sends the file itself), or not memory
// enough to reduce it (the site then decides). The seller's file is only read. Holds no shared
// state: safe on any thread.
std::optional<std::string> ReducedPhoto(const std::string& path);

}  // namespace offrel
