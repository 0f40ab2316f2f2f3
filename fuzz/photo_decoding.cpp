// A photo's decoding over arbitrary bytes: the preview comes at most the size of its box, or
// fails with the seller's message; the facts and the reduction for sending never crash, leak or
// hang, and a reduction is a JPEG file.
#include <cstdint>
#include <string>

#include "base/Error.h"
#include "fuzz/ScratchFile.h"
#include "photo/JpegPreview.h"
#include "photo/PhotoReduction.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path =
        offrel::fuzz::WriteScratchFile("/tmp/offrel-fuzz-photo-XXXXXX", data, size);
    if (path.empty()) return 0;

    const offrel::PhotoFacts facts = offrel::ReadPhotoFacts(path);
    if (facts.bytes != size) __builtin_trap();
    // A head may announce up to 65500 pixels a side; decoding that many rows of nothing only
    // slows the run down. Just over the size that is sent reduced is enough.
    if (!facts.pixels ||
        static_cast<long long>(facts.pixels->width) * facts.pixels->height > 2560LL * 2560)
        return 0;
    try {
        const offrel::RgbImage preview = offrel::DecodeJpegPreview(path, 40, 30);
        if (preview.width < 1 || preview.width > 40 || preview.height < 1 || preview.height > 30 ||
            preview.pixels.size() != static_cast<std::size_t>(preview.width) *
                                         static_cast<std::size_t>(preview.height) * 4)
            __builtin_trap();
    } catch (const offrel::Error&) {
    }
    const std::optional<std::string> sent = offrel::ReducedPhoto(path);
    if (sent && (sent->size() < 2 || (*sent)[0] != '\xFF' || (*sent)[1] != '\xD8'))
        __builtin_trap();
    return 0;
}
