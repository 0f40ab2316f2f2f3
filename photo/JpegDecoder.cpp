#include "photo/JpegDecoder.h"

#include <sys/stat.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// jerror.h needs jpeglib.h before it.
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "base/Error.h"
#include "base/FileNames.h"
#include "photo/AreaScaler.h"
#include "photo/PhotoOrientation.h"

namespace offrel {

namespace {

// Large enough that the decoder's fast path, which needs a few kilobytes ahead, runs almost
// everywhere; small enough that reading a photo's head reads little more than the head.
constexpr std::size_t kReadPiece = 64 * 1024;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool corrupt = false;   // the picture's data was found corrupt
    bool cutShort = false;  // the file ended before the picture's data
};

[[noreturn]] void ExitByJump(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings are never printed; those that mean lost picture data are remembered.
void NoteWarning(j_common_ptr info, int level) {
    if (level >= 0) return;
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    switch (errors->base.msg_code) {
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
        case JWRN_MUST_RESYNC:
            errors->corrupt = true;
            break;
        case JWRN_JPEG_EOF:
            errors->cutShort = true;
            break;
        default:
            break;
    }
}

void PrintNothing(j_common_ptr) {}

struct FileSource {
    jpeg_source_mgr base;
    std::FILE* file;
    unsigned char buffer[kReadPiece];
};

void StartReading(j_decompress_ptr) {}
void EndReading(j_decompress_ptr) {}

boolean ReadPiece(j_decompress_ptr info) {
    auto* source = reinterpret_cast<FileSource*>(info->src);
    std::size_t read = std::fread(source->buffer, 1, kReadPiece, source->file);
    if (read == 0) {
        // The file ended (or could not be read on) before the decoder was done: an end marker
        // lets it finish what it has, and the warning says that the rest is missing.
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        read = 2;
    }
    source->base.next_input_byte = source->buffer;
    source->base.bytes_in_buffer = read;
    return TRUE;
}

void SkipBytes(j_decompress_ptr info, long count) {
    jpeg_source_mgr& source = *info->src;
    while (count > static_cast<long>(source.bytes_in_buffer)) {
        count -= static_cast<long>(source.bytes_in_buffer);
        ReadPiece(info);
    }
    if (count > 0) {
        source.next_input_byte += count;
        source.bytes_in_buffer -= static_cast<std::size_t>(count);
    }
}

// The orientation recorded in the first Exif segment that says one.
int OrientationOf(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1) continue;
        const int orientation = ExifOrientation(marker->data, marker->data_length);
        if (orientation != 1) return orientation;
    }
    return 1;
}

// Ink to light: C, M, Y, K become B, G, R in place. An Adobe marker means the inks were stored
// inverted, as Photoshop and ImageMagick store them.
void InksToLight(std::uint8_t* row, std::size_t pixels, bool inverted) {
    for (std::uint8_t* p = row; p != row + pixels * 4; p += 4) {
        int c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        p[0] = static_cast<std::uint8_t>(y * k / 255);
        p[1] = static_cast<std::uint8_t>(m * k / 255);
        p[2] = static_cast<std::uint8_t>(c * k / 255);
        p[3] = 0xFF;
    }
}

bool IsInks(const jpeg_decompress_struct& info) {
    return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

}  // namespace

struct JpegDecoder::State {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    FileSource source{};
    bool headRead = false;
    int orientation = 1;
};

// The steps that run libjpeg, each under its error exit. They hold no object with a destructor,
// which the jump back would skip, and report a failure by returning false.
namespace {

bool ReadHeadUnderJump(jpeg_decompress_struct& info, ErrorManager& errors, bool keepProfile) {
    if (setjmp(errors.jump)) return false;
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    if (keepProfile) jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    return true;
}

bool ReadProfileUnderJump(jpeg_decompress_struct& info, ErrorManager& errors, JOCTET** data,
                          unsigned int* size) {
    if (setjmp(errors.jump)) return false;
    return jpeg_read_icc_profile(&info, data, size);
}

// Whether the coefficients that the decoder's transforms read at the chosen scale have all
// arrived: at 1/8 a block of a full-resolution component shows as its mean alone, the first
// coefficient, and one of a half-resolution colour component as 2 x 2 pixels, from the first
// five in the order of a scan.
bool ShownCoefficientsKnown(const jpeg_decompress_struct& info) {
    for (int c = 0; c < info.num_components; ++c) {
        const int size = info.comp_info[c].DCT_scaled_size;
        const int last = size == 1 ? 0 : size == 2 ? 4 : size == 4 ? 24 : DCTSIZE2 - 1;
        for (int k = 0; k <= last; ++k) {
            if (info.coef_bits[c][k] < 0) return false;
        }
    }
    return true;
}

// Chooses the scale, starts the decoder and gives the size of its rows.
bool StartUnderJump(jpeg_decompress_struct& info, ErrorManager& errors, PictureSize size,
                    DecodeFor purpose, PictureSize& rows) {
    if (setjmp(errors.jump)) return false;
    // The decoder turns grey and colour into light itself, not printing inks.
    info.out_color_space = IsInks(info) ? JCS_CMYK : JCS_EXT_BGRX;
    // The decoder's transforms at 5/8 to 7/8 are plain code, slower than its vectorised full
    // transform (on a 24-megapixel photo 130 to 175 ms against 105): above 4/8, the whole picture
    // is decoded and area averaging does the rest.
    info.scale_denom = 8;
    for (const unsigned eighths : {1u, 2u, 3u, 4u, 8u}) {
        info.scale_num = eighths;
        jpeg_calc_output_dimensions(&info);
        if (info.output_width >= static_cast<JDIMENSION>(size.width) &&
            info.output_height >= static_cast<JDIMENSION>(size.height))
            break;
    }
    if (purpose == DecodeFor::kSending || info.scale_num == 8) {
        jpeg_start_decompress(&info);
    } else {
        info.do_fancy_upsampling = FALSE;
        // A progressive picture sends the first coefficients of all its blocks in its first
        // scans, and the rest, most of its bytes, after them. At 1/8 only the first ones show:
        // the decoder's buffered mode shows the picture from the scans read so far, so the
        // reading stops once those are in.
        info.buffered_image = info.scale_num == 1 && jpeg_has_multiple_scans(&info);
        info.do_block_smoothing = FALSE;
        jpeg_start_decompress(&info);
        if (info.buffered_image) {
            for (int read = JPEG_SUSPENDED; read != JPEG_REACHED_EOI;) {
                read = jpeg_consume_input(&info);
                if (read == JPEG_SCAN_COMPLETED && ShownCoefficientsKnown(info)) break;
            }
            jpeg_start_output(&info, info.input_scan_number);
        }
    }
    rows = {static_cast<int>(info.output_width), static_cast<int>(info.output_height)};
    return true;
}

// Reads every row into the scaler; false on an error, and, when corruption fails the decode, as
// soon as it is found, where the rest would only be decoded to be thrown away.
bool ReadRowsUnderJump(jpeg_decompress_struct& info, ErrorManager& errors, bool corruptionFails,
                       std::uint8_t* row, AreaScaler& scaler) {
    if (setjmp(errors.jump)) return false;
    const bool inks = IsInks(info);
    while (info.output_scanline < info.output_height) {
        if (corruptionFails && errors.corrupt) return false;
        JSAMPROW rows[] = {row};
        jpeg_read_scanlines(&info, rows, 1);
        if (inks) InksToLight(row, info.output_width, info.saw_Adobe_marker);
        scaler.AddRow(row);
    }
    return true;
}

}  // namespace

PhotoFile OpenPhotoFile(const std::string& path) {
    const auto failure = [&path](int error) {
        return Error(FormatMessage("Impossible d'ouvrir le fichier \"%s\". %s",
                                   {path, SystemReason(error)}));
    };
    PhotoFile file;
    file.handle.reset(std::fopen(FileSystemName(path).c_str(), "rb"));
    if (!file.handle) throw failure(errno);
    struct stat status {};
    if (::fstat(::fileno(file.handle.get()), &status) != 0) throw failure(errno);
    if (S_ISDIR(status.st_mode)) throw failure(EISDIR);
    file.size = static_cast<std::uint64_t>(status.st_size);
    return file;
}

JpegDecoder::JpegDecoder(std::FILE* file) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.info.err = jpeg_std_error(&s.errors.base);
    s.errors.base.error_exit = ExitByJump;
    s.errors.base.emit_message = NoteWarning;
    s.errors.base.output_message = PrintNothing;
    s.source.file = file;
    s.source.base.init_source = StartReading;
    s.source.base.fill_input_buffer = ReadPiece;
    s.source.base.skip_input_data = SkipBytes;
    s.source.base.resync_to_restart = jpeg_resync_to_restart;
    s.source.base.term_source = EndReading;
    s.info.src = &s.source.base;
}

// Safe in every state: a decoder whose creation failed has no memory to release.
JpegDecoder::~JpegDecoder() {
    jpeg_destroy_decompress(&state_->info);
}

HeadOutcome JpegDecoder::ReadHead(bool keepColourProfile) {
    State& s = *state_;
    // The first piece is read here: a file that does not start as a JPEG picture is not one,
    // where a damaged picture fails further on.
    ReadPiece(&s.info);
    const jpeg_source_mgr& first = s.source.base;
    if (first.bytes_in_buffer < 2 || first.next_input_byte[0] != 0xFF ||
        first.next_input_byte[1] != 0xD8)
        return HeadOutcome::kNotJpeg;
    // Creating the decoder fails only when memory is short, through the error exit.
    if (setjmp(s.errors.jump)) return HeadOutcome::kDamaged;
    jpeg_create_decompress(&s.info);  // which clears the source
    s.info.src = &s.source.base;
    s.info.mem->max_memory_to_use = kDecodingMemoryLimit;
    if (!ReadHeadUnderJump(s.info, s.errors, keepColourProfile)) return HeadOutcome::kDamaged;
    s.orientation = OrientationOf(s.info);
    s.headRead = true;
    return HeadOutcome::kRead;
}

PictureSize JpegDecoder::StoredSize() const {
    return {static_cast<int>(state_->info.image_width),
            static_cast<int>(state_->info.image_height)};
}

int JpegDecoder::Orientation() const {
    return state_->orientation;
}

std::vector<std::uint8_t> JpegDecoder::ColourProfile() {
    State& s = *state_;
    if (s.info.num_components != 3 || IsInks(s.info)) return {};
    JOCTET* data = nullptr;
    unsigned int size = 0;
    const bool read = ReadProfileUnderJump(s.info, s.errors, &data, &size);
    const std::unique_ptr<JOCTET, decltype(&std::free)> owned(data, &std::free);
    if (!read) return {};
    return std::vector<std::uint8_t>(data, data + size);
}

DecodeOutcome JpegDecoder::Decode(PictureSize size, DecodeFor purpose, RgbImage& picture) {
    State& s = *state_;
    if (!s.headRead) return DecodeOutcome::kDamaged;
    PictureSize rows{};
    if (!StartUnderJump(s.info, s.errors, size, purpose, rows)) {
        const int code = s.errors.base.msg_code;
        return code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY
                   ? DecodeOutcome::kTooLarge
                   : DecodeOutcome::kDamaged;
    }
    AreaScaler scaler(rows, size);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rows.width) * 4);
    const bool corruptionFails = purpose == DecodeFor::kSending;
    if (!ReadRowsUnderJump(s.info, s.errors, corruptionFails, row.data(), scaler) ||
        (corruptionFails && s.errors.corrupt))
        return DecodeOutcome::kDamaged;
    if (s.errors.cutShort) return DecodeOutcome::kCutShort;
    picture = scaler.Take();
    return DecodeOutcome::kDone;
}

}  // namespace offrel
