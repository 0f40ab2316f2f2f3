#include "tables/CsvFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <bit>
#include <cerrno>
#include <cstring>

#include "tables/Error.h"
#include "tables/Windows1252.h"

namespace offrel {

namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kEndOfText = '\x1A';  // Ctrl+Z
constexpr int kNotOpenForInput = 104;
// Large enough that a read costs little next to the scan of what it brought.
constexpr std::size_t kBufferSize = 1 << 20;
constexpr std::size_t kBlockSize = 16;

// Bit k is set when block[k] is one of the bytes that split or end a line.
unsigned SpecialBytes(const char* block) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
    const auto is = [&](char c) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)); };
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
        _mm_or_si128(is(';'), is(kLineFeed)), _mm_or_si128(is(kCarriageReturn), is(kEndOfText)))));
#else
    unsigned mask = 0;
    for (std::size_t k = 0; k < kBlockSize; ++k) {
        const char c = block[k];
        const bool special = c == ';' || c == kLineFeed || c == kCarriageReturn || c == kEndOfText;
        mask |= unsigned{special} << k;
    }
    return mask;
#endif
}

int InOutCode(int error) {
    switch (error) {
        case ENOENT:
            return 2;
        case ENAMETOOLONG:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EWOULDBLOCK:  // another process holds the file for writing
            return 5;
        case ENOSPC:
            return 101;
        default:
            return error;
    }
}

[[noreturn]] void ThrowInOut(int code) {
    throw InOutError(code, InOutErrorText(code));
}

bool RegularFileExists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

// Appends the bytes to the line without its carriage returns.
void AppendWithoutCarriageReturns(std::string& line, const char* begin, const char* end) {
    while (begin < end) {
        const auto* cr = static_cast<const char*>(std::memchr(begin, kCarriageReturn, end - begin));
        const char* stop = cr != nullptr ? cr : end;
        line.append(begin, stop);
        begin = cr != nullptr ? cr + 1 : end;
    }
}

}  // namespace

// Most lines lie whole in the buffer: they are split where they stand, in one pass that looks
// at sixteen bytes at a time for the four bytes that matter, and their fields are kept as
// offsets. A line that crosses the end of the buffer or holds a lone carriage return is copied
// out without its carriage returns and split there.
struct TCSV_File::Impl {
    int file = -1;
    bool ended = false;  // no byte is left, or a Ctrl+Z was met
    std::vector<char> buffer;
    std::size_t position = 0;
    std::size_t filled = 0;
    std::string line;  // the last line when it is not in the buffer
    const char* lineData = nullptr;
    std::size_t lineSize = 0;
    bool lineInBuffer = false;
    std::vector<std::size_t> fieldEnds;  // where each field of the last line ends in it

    void RequireOpen() const {
        if (file < 0) ThrowInOut(kNotOpenForInput);
    }

    // Makes sure an unread byte is in the buffer, unless the text has ended.
    bool Fill() {
        if (position < filled) return true;
        if (ended) return false;
        KeepLine();
        ssize_t count;
        do {
            count = ::read(file, buffer.data(), kBufferSize);
        } while (count < 0 && errno == EINTR);
        if (count < 0) ThrowInOut(InOutCode(errno));
        position = 0;
        filled = static_cast<std::size_t>(count);
        ended = count == 0;
        return !ended;
    }

    // The buffer is about to be overwritten while the fields of the last line may still be read.
    void KeepLine() {
        if (!lineInBuffer) return;
        line.assign(lineData, lineSize);
        UseLine();
    }

    void UseLine() {
        lineData = line.data();
        lineSize = line.size();
        lineInBuffer = false;
    }

    // Text after the last ";" is the last field; a ";" at the very end opens none.
    void EndLastField() {
        const std::size_t start = fieldEnds.empty() ? 0 : fieldEnds.back() + 1;
        if (start < lineSize) fieldEnds.push_back(lineSize);
    }

    void Read() {
        fieldEnds.clear();
        lineInBuffer = false;
        line.clear();
        UseLine();
        if (!Fill()) return;
        if (!SplitInBuffer()) {
            ReadText();
            Split();
        }
    }

    // False, with no field kept, when the line needs copying out.
    bool SplitInBuffer() {
        const char* begin = buffer.data() + position;
        const char* end = buffer.data() + filled;
        for (const char* block = begin; block < end; block += kBlockSize) {
            for (unsigned mask = SpecialBytes(block); mask != 0; mask &= mask - 1) {
                const char* at = block + std::countr_zero(mask);
                if (at >= end) break;
                if (*at == ';') {
                    fieldEnds.push_back(static_cast<std::size_t>(at - begin));
                    continue;
                }
                if (*at == kCarriageReturn && (at + 1 == end || at[1] != kLineFeed)) break;
                lineData = begin;
                lineSize = static_cast<std::size_t>(at - begin);
                lineInBuffer = true;
                EndLastField();
                if (*at == kEndOfText) {
                    filled = position += lineSize;
                    ended = true;
                } else {
                    position += lineSize + (*at == kLineFeed ? 1 : 2);
                }
                return true;
            }
        }
        fieldEnds.clear();
        return false;
    }

    void ReadText() {
        while (Fill()) {
            const char* begin = buffer.data() + position;
            const std::size_t available = filled - position;
            const auto* feed = static_cast<const char*>(std::memchr(begin, kLineFeed, available));
            const std::size_t lineLength = feed != nullptr ? feed - begin : available;
            const auto* stop = static_cast<const char*>(std::memchr(begin, kEndOfText, lineLength));
            if (stop != nullptr) {
                AppendWithoutCarriageReturns(line, begin, stop);
                // Ctrl+Z ends the text: the rest of the file is never read.
                filled = position + (stop - begin);
                position = filled;
                ended = true;
                break;
            }
            AppendWithoutCarriageReturns(line, begin, begin + lineLength);
            if (feed != nullptr) {
                position += lineLength + 1;
                break;
            }
            position = filled;
        }
        UseLine();
    }

    void Split() {
        for (const char* at = line.data();;) {
            const auto* separator =
                static_cast<const char*>(std::memchr(at, ';', line.data() + line.size() - at));
            if (separator == nullptr) break;
            fieldEnds.push_back(static_cast<std::size_t>(separator - line.data()));
            at = separator + 1;
        }
        EndLastField();
    }

    void Close() {
        if (file >= 0) ::close(file);  // closing also releases the lock
        file = -1;
        fieldEnds.clear();
        line.clear();
        UseLine();
        std::vector<char>().swap(buffer);
    }
};

TCSV_File::TCSV_File() : impl_(std::make_unique<Impl>()) {}

TCSV_File::~TCSV_File() {
    impl_->Close();
}

bool TCSV_File::OpenFile(const std::string& path) {
    if (!RegularFileExists(path)) return true;
    impl_->Close();
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) ThrowInOut(InOutCode(errno));
    // Other readers are welcome; a writer holding the file would change it under us.
    if (::flock(file, LOCK_SH | LOCK_NB) != 0) {
        const int error = errno;
        ::close(file);
        ThrowInOut(InOutCode(error));
    }
    impl_->file = file;
    impl_->ended = false;
    // The last block of a scan may look past the bytes read, never past the buffer.
    impl_->buffer.resize(kBufferSize + kBlockSize);
    impl_->position = impl_->filled = 0;
    return false;
}

bool TCSV_File::EndOfFile() {
    impl_->RequireOpen();
    return !impl_->Fill() || impl_->buffer[impl_->position] == kEndOfText;
}

int TCSV_File::ReadLine() {
    impl_->RequireOpen();
    impl_->Read();
    return static_cast<int>(impl_->fieldEnds.size());
}

std::string TCSV_File::GetField(int index) const {
    const std::vector<std::size_t>& ends = impl_->fieldEnds;
    if (index < 0 || static_cast<std::size_t>(index) >= ends.size()) return {};
    const std::size_t start = index == 0 ? 0 : ends[index - 1] + 1;
    return std::string(impl_->lineData + start, ends[index] - start);
}

void TCSV_File::CloseFile() {
    impl_->Close();
}

std::string InOutErrorText(int code) {
    switch (code) {
        case 2:
            return "Fichier introuvable";
        case 3:
            return "Nom de fichier incorrect";
        case 4:
            return "Trop de fichiers ouverts";
        case 5:
            return W("Accès au fichier refusé");
        case 100:
            return W("Lecture au-delà de la fin de fichier");
        case 101:
            return "Disque plein";
        case 106:
            return W("Saisie numérique incorrecte");
        default:
            return "Erreur E/S " + std::to_string(code);
    }
}

}  // namespace offrel
