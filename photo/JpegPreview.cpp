#include "photo/JpegPreview.h"

#include <jpeglib.h>
// after jpeglib.h, which it needs
#include <jerror.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Windows1252.h"
#include "photo/PhotoOrientation.h"

namespace offrel {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool cutShort = false;
};

[[noreturn]] void ExitByJump(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// The decoder goes on past the end of a file cut short, giving the rest of the picture grey;
// that warning is the only sign of it.
void NoteCutShort(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<ErrorManager*>(info->err)->cutShort = true;
}

enum class Decoding { Done, Damaged, CutShort };

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct FileBytes {
    std::unique_ptr<unsigned char[]> bytes;  // left uninitialised before the read
    std::size_t size = 0;
};

// The whole file in one piece: the decoder then takes its fast path all along, where a
// stream of small reads sends it to its careful one at every refill.
bool ReadWhole(std::FILE* file, FileBytes& data) {
    struct stat status {};
    if (::fstat(::fileno(file), &status) != 0) return false;
    const auto size = static_cast<std::size_t>(std::max<off_t>(status.st_size, 0));
    data.bytes.reset(new unsigned char[size]);
    data.size = std::fread(data.bytes.get(), 1, size, file);
    return !std::ferror(file);
}

bool IsJpeg(const FileBytes& data) {
    return data.size >= 2 && data.bytes[0] == 0xFF && data.bytes[1] == 0xD8;
}

// The orientation recorded in the first Exif segment that the decoder kept.
int OrientationOf(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1) continue;
        const int orientation = ExifOrientation(marker->data, marker->data_length);
        if (orientation != 1) return orientation;
    }
    return 1;
}

// Ink to light: C, M, Y, K become R, G, B in place. An Adobe marker means the inks were stored
// inverted, as Photoshop and ImageMagick store them.
void CmykToBgrx(std::vector<std::uint8_t>& pixels, bool inverted) {
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
        int c = pixels[i], m = pixels[i + 1], y = pixels[i + 2], k = pixels[i + 3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        pixels[i] = static_cast<std::uint8_t>(y * k / 255);
        pixels[i + 1] = static_cast<std::uint8_t>(m * k / 255);
        pixels[i + 2] = static_cast<std::uint8_t>(c * k / 255);
        pixels[i + 3] = 0xFF;
    }
}

// Runs the decode. Kept apart from C++ objects with destructors, which longjmp would skip.
// orientation: the Exif orientation, which the box is fitted to.
Decoding Decode(const FileBytes& data, int boxWidth, int boxHeight, RgbImage& image,
                int& orientation) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ExitByJump;
    errors.base.emit_message = NoteCutShort;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return Decoding::Damaged;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data.bytes.get(), data.size);
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    orientation = OrientationOf(info);
    // A picture shown turned a quarter fits the box with its sides exchanged.
    const bool swaps = SwapsSides(orientation);
    const PictureSize fit =
        FitInBox({static_cast<int>(info.image_width), static_cast<int>(info.image_height)},
                 {swaps ? boxHeight : boxWidth, swaps ? boxWidth : boxHeight});
    info.scale_num = 1;
    info.scale_denom = 1;
    for (unsigned denom = 8; denom > 1; denom /= 2) {
        // The scaled size is rounded up by the decoder.
        const unsigned scaledWidth = (info.image_width + denom - 1) / denom;
        const unsigned scaledHeight = (info.image_height + denom - 1) / denom;
        if (scaledWidth >= static_cast<unsigned>(fit.width) &&
            scaledHeight >= static_cast<unsigned>(fit.height)) {
            info.scale_denom = denom;
            break;
        }
    }
    // The decoder turns grey and colour into light itself, not printing inks.
    const bool inks = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = inks ? JCS_CMYK : JCS_EXT_BGRX;
    // A reduced preview is scaled again afterwards: the fast transform and plain upsampling of
    // the colour planes cost nothing visible at that size.
    if (info.scale_denom > 1) {
        info.dct_method = JDCT_IFAST;
        info.do_fancy_upsampling = FALSE;
    }
    jpeg_start_decompress(&info);
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    const std::size_t stride = static_cast<std::size_t>(image.width) * 4;
    image.pixels.resize(stride * static_cast<std::size_t>(image.height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    const bool inverted = info.saw_Adobe_marker;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (errors.cutShort) return Decoding::CutShort;
    if (inks) CmykToBgrx(image.pixels, inverted);
    return Decoding::Done;
}

}  // namespace

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

RgbImage DecodeJpegPreview(const std::string& path, int boxWidth, int boxHeight) {
    const auto failure = [&path](const char* pattern) {
        return Error(FormatMessage(W(pattern), {path}));
    };
    FileBytes data;
    {
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(FileSystemName(path).c_str(), "rb"));
        if (!file || !ReadWhole(file.get(), data)) {
            throw Error(FormatMessage("Impossible d'ouvrir le fichier \"%s\". %s",
                                      {path, SystemReason(errno)}));
        }
    }
    if (!IsJpeg(data)) throw failure("Le fichier \"%s\" n'est pas une image JPEG.");
    RgbImage image;
    int orientation = 1;
    switch (Decode(data, boxWidth, boxHeight, image, orientation)) {
        case Decoding::Done:
            break;
        case Decoding::Damaged:
            throw failure("Le fichier \"%s\" est une image JPEG abîmée, qui ne peut pas être lue.");
        case Decoding::CutShort:
            throw failure(
                "Le fichier \"%s\" ne peut pas être montré : la photo est incomplète ou abîmée.");
    }
    return Oriented(std::move(image), orientation);
}

}  // namespace offrel
