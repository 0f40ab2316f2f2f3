#include "photo/JpegPreview.h"

#include <jpeglib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tables/Error.h"
#include "tables/Windows1252.h"

namespace offrel {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void ExitByJump(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

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

// Runs the decode; false with the decoder's message when the data is not a JPEG picture.
// Kept apart from C++ objects with destructors, which longjmp would skip.
bool Decode(const FileBytes& data, int boxWidth, int boxHeight, RgbImage& image, char* message) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ExitByJump;
    if (setjmp(errors.jump)) {
        errors.base.format_message(reinterpret_cast<j_common_ptr>(&info), message);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data.bytes.get(), data.size);
    jpeg_read_header(&info, TRUE);
    const PictureSize fit =
        FitInBox({static_cast<int>(info.image_width), static_cast<int>(info.image_height)},
                 {boxWidth, boxHeight});
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
    info.out_color_space = JCS_EXT_BGRX;
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
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
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
    const std::string systemPath = Windows1252ToUtf8(path);
    const auto cannotOpen = [&path] {
        return Error(FormatMessage(W("Impossible d'ouvrir le fichier \"%s\". %s"),
                                   {path, Utf8ToWindows1252(std::strerror(errno))}));
    };
    FileBytes data;
    {
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(systemPath.c_str(), "rb"));
        if (!file || !ReadWhole(file.get(), data)) throw cannotOpen();
    }
    RgbImage image;
    char message[JMSG_LENGTH_MAX] = {};
    if (!Decode(data, boxWidth, boxHeight, image, message)) {
        throw Error(FormatMessage(W("Le fichier \"%s\" n'est pas une image JPEG lisible (%s)"),
                                  {path, message}));
    }
    return image;
}

}  // namespace offrel
