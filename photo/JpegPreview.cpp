#include "photo/JpegPreview.h"

#include <algorithm>
#include <cstdio>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "photo/JpegDecoder.h"
#include "photo/JpegEnd.h"
#include "photo/PhotoOrientation.h"

namespace offrel {

PictureSize FitInBox(PictureSize picture, PictureSize box) {
    if (picture.width <= box.width && picture.height <= box.height) return picture;
    const long long wide = static_cast<long long>(picture.width) * box.height;
    const long long tall = static_cast<long long>(picture.height) * box.width;
    if (wide > tall) {
        const long long height = static_cast<long long>(picture.height) * box.width / picture.width;
        return {box.width, static_cast<int>(std::max(1LL, height))};
    }
    const long long width = static_cast<long long>(picture.width) * box.height / picture.height;
    return {static_cast<int>(std::max(1LL, width)), box.height};
}

ShownPhoto DecodeJpegToBox(const std::string& path, int boxWidth, int boxHeight) {
    constexpr const char* kIncomplete =
        "Le fichier \"%s\" ne peut pas être montré : la photo est incomplète ou abîmée.";
    const auto failure = [&path](const char* pattern) {
        return Error(FormatMessage(W(pattern), {path}));
    };
    const PhotoFile file = OpenPhotoFile(path);
    JpegDecoder decoder(file.handle.get());
    switch (decoder.ReadHead(false)) {
        case HeadOutcome::kRead:
            break;
        case HeadOutcome::kNotJpeg:
            throw failure("Le fichier \"%s\" n'est pas une image JPEG.");
        case HeadOutcome::kDamaged:
            throw failure("Le fichier \"%s\" est une image JPEG abîmée, qui ne peut pas être lue.");
    }
    // A preview of a progressive picture stops reading after its first scans: whether the file
    // ends where its picture does is asked of the file itself.
    if (!JpegReachesItsEnd(::fileno(file.handle.get()), file.size)) throw failure(kIncomplete);
    const int orientation = decoder.Orientation();
    // A picture shown turned a quarter fits the box with its sides exchanged.
    const bool swaps = SwapsSides(orientation);
    const PictureSize box{std::max(1, swaps ? boxHeight : boxWidth),
                          std::max(1, swaps ? boxWidth : boxHeight)};
    const PictureSize stored = decoder.StoredSize();
    RgbImage picture;
    switch (decoder.Decode(FitInBox(stored, box), DecodeFor::kShowing, picture)) {
        case DecodeOutcome::kDone:
            break;
        case DecodeOutcome::kDamaged:
            throw failure("Le fichier \"%s\" est une image JPEG abîmée, qui ne peut pas être lue.");
        case DecodeOutcome::kCutShort:
            throw failure(kIncomplete);
        case DecodeOutcome::kTooLarge:
            throw Error(FormatMessage(
                W("L'image \"%s\" est trop grande pour être affichée : en JPEG progressif, ses "
                  "%s × %s pixels demandent plus de %s Mo de mémoire."),
                {path, std::to_string(stored.width), std::to_string(stored.height),
                 std::to_string(kDecodingMemoryLimit / (1024 * 1024))}));
    }
    return {Oriented(std::move(picture), orientation),
            swaps ? PictureSize{stored.height, stored.width} : stored, file.size};
}

RgbImage DecodeJpegPreview(const std::string& path, int boxWidth, int boxHeight) {
    return DecodeJpegToBox(path, boxWidth, boxHeight).picture;
}

}  // namespace offrel
