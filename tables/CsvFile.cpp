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
#include <cstdint>
#include <cstring>

#include "base/Error.h"
#include "base/Windows1252.h"

namespace offrel {

namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kEndOfText = '\x1A';  // Ctrl+Z
constexpr int kNotOpenForInput = 104;
// Large enough that a read costs little next to the scan of what it brought.
constexpr std::size_t kBufferSize = 1 << 20;
constexpr std::size_t kBlockSize = 64;

// Where the bytes that matter lie in a block: bit k stands for block[k].
struct BlockBytes {
    std::uint64_t separators;  // ";"
    std::uint64_t stops;       // line feed, carriage return, Ctrl+Z, or other control characters
};

// A byte that may stop a line: the three that do, and the other control characters that share
// their range, which the scan then passes over. One comparison finds them all.
constexpr unsigned char kHighestStop = 0x1A;
static_assert(kLineFeed <= kHighestStop && kCarriageReturn <= kHighestStop);

bool Stops(char c) {
    return c == kLineFeed || c == kCarriageReturn || c == kEndOfText;
}

#if defined(__SSE2__)
BlockBytes ClassifyQuarter(const char* quarter) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(quarter));
    const __m128i separators = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(';'));
    const __m128i controls =
        _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(static_cast<char>(kHighestStop))), bytes);
    return {static_cast<unsigned>(_mm_movemask_epi8(separators)),
            static_cast<unsigned>(_mm_movemask_epi8(controls))};
}
#endif

BlockBytes ClassifyBlock(const char* block) {
#if defined(__SSE2__)
    const BlockBytes a = ClassifyQuarter(block);
    const BlockBytes b = ClassifyQuarter(block + 16);
    const BlockBytes c = ClassifyQuarter(block + 32);
    const BlockBytes d = ClassifyQuarter(block + 48);
    return {a.separators | b.separators << 16 | c.separators << 32 | d.separators << 48,
            a.stops | b.stops << 16 | c.stops << 32 | d.stops << 48};
#else
    BlockBytes found{0, 0};
    for (std::size_t k = 0; k < kBlockSize; ++k) {
        const auto c = static_cast<unsigned char>(block[k]);
        found.separators |= std::uint64_t{c == ';'} << k;
        found.stops |= std::uint64_t{c <= kHighestStop} << k;
    }
    return found;
#endif
}

// The ends of a line's fields. Its storage always has room for a block more, so that the
// separators of a block are written through a pointer held in a register, with no test of the
// capacity and no reload of the vector's end at each one.
class FieldEnds {
public:
    std::size_t Count() const { return count_; }
    std::size_t operator[](std::size_t index) const { return ends_[index]; }
    void Clear() { count_ = 0; }

    void Add(std::size_t end) { AddBlock(1, end); }

    // Adds offset + k for each bit k of the mask.
    void AddBlock(std::uint64_t separators, std::size_t offset) {
        if (ends_.size() < count_ + kBlockSize) ends_.resize(2 * (count_ + kBlockSize));
        std::size_t* const first = ends_.data() + count_;
        std::size_t* out = first;
        for (; separators != 0; separators &= separators - 1)
            *out++ = offset + static_cast<std::size_t>(std::countr_zero(separators));
        count_ += static_cast<std::size_t>(out - first);
    }

private:
    std::vector<std::size_t> ends_;
    std::size_t count_ = 0;
};

constexpr int kAccessDenied = 5;

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
// at sixty-four bytes at a time for the four bytes that matter, and their fields are kept as
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
    FieldEnds fieldEnds;  // where each field of the last line ends in it
    // The block of the buffer where the last line split in it ended: the next line most often
    // begins in it, and its bytes are not looked at twice.
    const char* lastBlock = nullptr;
    BlockBytes lastBlockBytes{0, 0};

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
        if (count < 0) throw SystemInOutError(errno);
        position = 0;
        filled = static_cast<std::size_t>(count);
        lastBlock = nullptr;
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
        const std::size_t count = fieldEnds.Count();
        const std::size_t start = count == 0 ? 0 : fieldEnds[count - 1] + 1;
        if (start < lineSize) fieldEnds.Add(lineSize);
    }

    void Read() {
        fieldEnds.Clear();
        line.clear();
        UseLine();
        if (!Fill()) return;
        if (!SplitInBuffer()) {
            ReadText();
            Split();
        }
    }

    // The bytes of the block that lie in [from, filled).
    BlockBytes Classify(const char* block, const char* from) const {
        const BlockBytes found = block == lastBlock ? lastBlockBytes : ClassifyBlock(block);
        const auto left = static_cast<std::size_t>(buffer.data() + filled - block);
        const std::uint64_t all = ~std::uint64_t{0};
        const std::uint64_t read = left < kBlockSize ? (std::uint64_t{1} << left) - 1 : all;
        const std::uint64_t kept = read & (all << (from - block));
        return {found.separators & kept, found.stops & kept};
    }

    // False, with no field kept, when the line needs copying out.
    bool SplitInBuffer() {
        const char* begin = buffer.data() + position;
        const char* end = buffer.data() + filled;
        const bool inLastBlock =
            lastBlock != nullptr && begin >= lastBlock && begin < lastBlock + kBlockSize;
        for (const char* block = inLastBlock ? lastBlock : begin; block < end;
             block += kBlockSize) {
            BlockBytes found = Classify(block, std::max(block, begin));
            // From the line's start; the first block may begin before it, and the unsigned sums
            // with the bits' places come out right.
            const std::size_t offset = static_cast<std::size_t>(block - buffer.data()) - position;
            for (;;) {
                const std::uint64_t first = found.stops & -found.stops;  // 0 when there is none
                fieldEnds.AddBlock(found.separators & (first - 1), offset);
                if (first == 0) break;
                const int stop = std::countr_zero(first);
                const char* at = block + stop;
                if (!Stops(*at)) {  // a tab or another control character of the text
                    found.separators &= ~(first - 1);
                    found.stops &= ~first;
                    continue;
                }
                if (*at == kCarriageReturn && (at + 1 == end || at[1] != kLineFeed)) {
                    fieldEnds.Clear();
                    return false;
                }
                lineData = begin;
                lineSize = offset + static_cast<std::size_t>(stop);
                lastBlock = block;
                lastBlockBytes = found;
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
        fieldEnds.Clear();
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
            fieldEnds.Add(static_cast<std::size_t>(separator - line.data()));
            at = separator + 1;
        }
        EndLastField();
    }

    void Close() {
        if (file >= 0) ::close(file);  // closing also releases the lock
        file = -1;
        fieldEnds.Clear();
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
    const int file = OpenSharedForReading(path);
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
    return static_cast<int>(impl_->fieldEnds.Count());
}

std::string TCSV_File::GetField(int index) const {
    const FieldEnds& ends = impl_->fieldEnds;
    if (index < 0 || static_cast<std::size_t>(index) >= ends.Count()) return {};
    const std::size_t start = index == 0 ? 0 : ends[index - 1] + 1;
    return std::string(impl_->lineData + start, ends[index] - start);
}

void TCSV_File::CloseFile() {
    impl_->Close();
}

InOutError SystemInOutError(int error) {
    switch (error) {
        case ENOENT:
            return InOutError(2, InOutErrorText(2));
        case EMFILE:
        case ENFILE:
            return InOutError(4, InOutErrorText(4));
        case EACCES:
        case EPERM:
            return InOutError(kAccessDenied, InOutErrorText(kAccessDenied));
        case ENOSPC:
            return InOutError(101, InOutErrorText(101));
        default:
            return InOutError(error, FormatMessage("Erreur E/S %s (%s)",
                                                   {std::to_string(error), SystemReason(error)}));
    }
}

int OpenSharedForReading(const std::string& path) {
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) throw SystemInOutError(errno);
    // Other readers are welcome; a writer holding the file would change it under us.
    if (::flock(file, LOCK_SH | LOCK_NB) != 0) {
        const int error = errno;
        ::close(file);
        if (error == EWOULDBLOCK) throw InOutError(kAccessDenied, InOutErrorText(kAccessDenied));
        throw SystemInOutError(error);
    }
    return file;
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
