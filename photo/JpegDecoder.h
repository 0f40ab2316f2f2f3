#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "photo/Picture.h"

namespace offrel {

// Whatever the picture, a progressive JPEG is decoded only when the coefficients of the whole
// picture, which its decoder keeps until the last scan, fit in this: enough for 50 megapixels in
// the colour sampling of cameras and phones, or 24 in full colour. A baseline picture needs
// only a few rows at a time and is never refused.
constexpr long kDecodingMemoryLimit = 192L * 1024 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct PhotoFile {
    std::unique_ptr<std::FILE, FileCloser> handle;
    std::uint64_t size = 0;
};

// Opens a photo for reading. path: Windows-1252, as stored. Throws Error "Impossible d'ouvrir le
// fichier "%s". %s" with the system's reason when it cannot (a folder cannot either).
PhotoFile OpenPhotoFile(const std::string& path);

enum class HeadOutcome { kRead, kNotJpeg, kDamaged };
enum class DecodeOutcome { kDone, kDamaged, kCutShort, kTooLarge };

// What the picture is decoded for. Showing: when it is reduced, plain upsampling of the colour
// planes, which costs nothing visible at that size. Sending: smooth upsampling, and a picture
// whose data is corrupt fails, so that nothing made up goes to the site. A picture cut short
// fails for both, rather than show or send its missing part grey.
enum class DecodeFor { kShowing, kSending };

// One JPEG file decoded by libjpeg, read in pieces of a fixed size so that the file is never held
// whole. Each decoder holds its own state and shares none: decoders on several threads at once
// are safe, each used by one thread.
class JpegDecoder {
public:
    explicit JpegDecoder(std::FILE* file);  // open for reading; stays the caller's
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // Reads the file up to the picture's data. keepColourProfile: the embedded colour profile is
    // kept for ColourProfile().
    HeadOutcome ReadHead(bool keepColourProfile);

    // Once the head is read:
    PictureSize StoredSize() const;  // as stored, before any turn
    int Orientation() const;         // the Exif orientation, 1 to 8
    // The colour profile of a colour picture (for the pixels as decoded); empty when it has
    // none, or is grey or printing inks, whose profile would not fit the decoded light.
    std::vector<std::uint8_t> ColourProfile();

    // Decodes the picture as stored (not turned) to exactly size, which is at most the stored size:
    // the decoder's DCT scaling to the smallest of 1/8, 2/8, 3/8, 4/8 and 8/8 that still covers
    // size, then area averaging to size, row by row. Grey and printing inks come as light.
    DecodeOutcome Decode(PictureSize size, DecodeFor purpose, RgbImage& picture);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace offrel
