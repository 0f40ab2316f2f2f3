#include "tables/CsvFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

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

// The fields of the last line are kept as offsets into that line, so reading a line costs one
// copy of its bytes whatever the number of fields.
struct TCSV_File::Impl {
    int file = -1;
    bool ended = false;  // no byte is left, or a Ctrl+Z was met
    std::vector<char> buffer;
    std::size_t position = 0;
    std::size_t filled = 0;
    std::string line;
    std::vector<std::pair<std::size_t, std::size_t>> fields;  // offset and length in line

    void RequireOpen() const {
        if (file < 0) ThrowInOut(kNotOpenForInput);
    }

    // Makes sure an unread byte is in the buffer, unless the text has ended.
    bool Fill() {
        if (position < filled) return true;
        if (ended) return false;
        ssize_t count;
        do {
            count = ::read(file, buffer.data(), buffer.size());
        } while (count < 0 && errno == EINTR);
        if (count < 0) ThrowInOut(InOutCode(errno));
        position = 0;
        filled = static_cast<std::size_t>(count);
        ended = count == 0;
        return !ended;
    }

    void ReadText() {
        line.clear();
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
                return;
            }
            AppendWithoutCarriageReturns(line, begin, begin + lineLength);
            if (feed != nullptr) {
                position += lineLength + 1;
                return;
            }
            position = filled;
        }
    }

    // A ";" starts the next field; one at the very end of the line adds no empty field. Fields
    // are short, so one plain pass beats a search call per field.
    void Split() {
        const char* text = line.data();
        const std::size_t size = line.size();
        std::size_t start = 0;
        for (std::size_t i = 0; i < size; ++i) {
            if (text[i] == ';') {
                fields.emplace_back(start, i - start);
                start = i + 1;
            }
        }
        if (start < size) fields.emplace_back(start, size - start);
    }

    void Close() {
        if (file >= 0) ::close(file);  // closing also releases the lock
        file = -1;
        fields.clear();
        line.clear();
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
    impl_->buffer.resize(kBufferSize);
    impl_->position = impl_->filled = 0;
    return false;
}

bool TCSV_File::EndOfFile() {
    impl_->RequireOpen();
    return !impl_->Fill() || impl_->buffer[impl_->position] == kEndOfText;
}

int TCSV_File::ReadLine() {
    impl_->RequireOpen();
    impl_->fields.clear();
    impl_->ReadText();
    impl_->Split();
    return static_cast<int>(impl_->fields.size());
}

std::string TCSV_File::GetField(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= impl_->fields.size()) return {};
    const auto [offset, length] = impl_->fields[static_cast<std::size_t>(index)];
    return impl_->line.substr(offset, length);
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
