#include "server/MultipartBody.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Windows1252.h"
#include "server/HeaderEscape.h"

namespace offrel {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kDisposition = "Content-Disposition: form-data; name=\"";

std::string BoundaryFromLocalTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char digits[32];
    std::snprintf(digits, sizeof digits, "%02d%02d%02d%02d%02d%02d%03d", local.tm_mon + 1,
                  local.tm_mday, local.tm_year % 100, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return "--------" + std::string(digits);
}

struct Part {
    std::string name;   // escaped for the disposition line
    std::string value;  // a text part's value
    std::string path;   // a file part's path, escaped
    std::string contentType;
    int fd = -1;           // a file part's open handle, when its contents are read from the file
    std::string contents;  // otherwise, a file part's contents
    bool inMemory = false;
    std::uint64_t fileSize = 0;
    bool IsFile() const { return fd >= 0 || inMemory; }
};

enum class Stage { PartHead, FileContent, Closing, Done };

}  // namespace

struct TMultipartBody::Impl {
    std::string boundary;
    std::vector<Part> parts;
    std::uint64_t partsLength = 0;

    // Where the reading stands.
    Stage stage = Stage::PartHead;
    std::size_t partIndex = 0;
    std::uint64_t fileOffset = 0;
    std::string pending;  // formatted bytes not yet handed out
    std::size_t pendingOffset = 0;

    ~Impl() {
        for (const Part& part : parts)
            if (part.fd >= 0) ::close(part.fd);
    }

    std::string DelimiterLine() const { return "--" + boundary + std::string(kCrLf); }

    std::string FormatHead(const Part& part) const {
        std::string head = DelimiterLine();
        head.append(kDisposition).append(part.name).append("\"");
        if (part.IsFile()) {
            head.append("; filename=\"").append(part.path).append("\"").append(kCrLf);
            head.append("Content-Type: ").append(part.contentType).append(kCrLf);
            head.append(kCrLf);
        } else {
            head.append(kCrLf).append(kCrLf).append(part.value).append(kCrLf);
        }
        return head;
    }

    void SetPending(std::string bytes) {
        pending = std::move(bytes);
        pendingOffset = 0;
    }

    // Moves to the next piece of the body once the pending bytes are all handed out.
    void Advance() {
        switch (stage) {
            case Stage::PartHead:
                if (partIndex == parts.size()) {
                    SetPending("--" + boundary + "--" + std::string(kCrLf));
                    stage = Stage::Closing;
                } else {
                    SetPending(FormatHead(parts[partIndex]));
                    stage = parts[partIndex].IsFile() ? Stage::FileContent : Stage::PartHead;
                    fileOffset = 0;
                    if (!parts[partIndex].IsFile()) ++partIndex;
                }
                break;
            case Stage::FileContent:
                SetPending(std::string(kCrLf));
                ++partIndex;
                stage = Stage::PartHead;
                break;
            case Stage::Closing:
                SetPending(std::string());
                stage = Stage::Done;
                break;
            case Stage::Done:
                break;
        }
    }

    // Reads the current file part's contents at the reading position, as many as fit.
    std::size_t ReadFile(char* buffer, std::size_t capacity) {
        const Part& part = parts[partIndex];
        const std::uint64_t left = part.fileSize - fileOffset;
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, capacity));
        if (wanted == 0) return 0;
        if (part.inMemory) {
            std::memcpy(buffer, part.contents.data() + fileOffset, wanted);
            fileOffset += wanted;
            return wanted;
        }
        ssize_t got;
        do {
            got = ::pread(part.fd, buffer, wanted, static_cast<off_t>(fileOffset));
        } while (got < 0 && errno == EINTR);
        if (got < 0)
            throw Error(FormatMessage("Impossible de lire le fichier \"%s\". %s",
                                      {part.path, SystemReason(errno)}));
        // The length sent ahead counts the size the file had when it was added.
        if (got == 0)
            throw Error(FormatMessage(W("Le fichier \"%s\" a été raccourci pendant l'envoi."),
                                      {part.path}));
        fileOffset += static_cast<std::uint64_t>(got);
        return static_cast<std::size_t>(got);
    }
};

TMultipartBody::TMultipartBody() : TMultipartBody(BoundaryFromLocalTime()) {}

TMultipartBody::TMultipartBody(std::string boundary) : impl_(std::make_unique<Impl>()) {
    impl_->boundary = std::move(boundary);
}

TMultipartBody::~TMultipartBody() = default;

const std::string& TMultipartBody::Boundary() const {
    return impl_->boundary;
}

std::string TMultipartBody::ContentType() const {
    return "multipart/form-data; boundary=" + impl_->boundary;
}

void TMultipartBody::AddTextField(std::string_view name, std::string_view value) {
    Part part;
    part.name = EscapeHeaderQuoted(name);
    part.value = value;
    impl_->partsLength += impl_->FormatHead(part).size();
    impl_->parts.push_back(std::move(part));
}

void TMultipartBody::AddFileField(std::string_view name, const std::string& path,
                                  std::string_view contentType) {
    // The path is Windows-1252 text, as stored and as it goes on the wire; the file is opened
    // under its file-system name.
    const int fd = ::open(FileSystemName(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw Error(FormatMessage("Impossible d'ouvrir le fichier \"%s\". %s",
                                  {path, SystemReason(errno)}));
    }
    struct stat status {};
    int failure = ::fstat(fd, &status) != 0 ? errno : 0;
    if (failure == 0 && S_ISDIR(status.st_mode)) failure = EISDIR;
    if (failure != 0) {
        ::close(fd);
        throw Error(FormatMessage("Impossible d'ouvrir le fichier \"%s\". %s",
                                  {path, SystemReason(failure)}));
    }
    Part part;
    part.name = EscapeHeaderQuoted(name);
    part.path = EscapeHeaderQuoted(path);
    part.contentType = contentType;
    part.fd = fd;
    part.fileSize = static_cast<std::uint64_t>(status.st_size);
    impl_->partsLength += impl_->FormatHead(part).size() + part.fileSize + kCrLf.size();
    impl_->parts.push_back(std::move(part));
}

void TMultipartBody::AddFileBytes(std::string_view name, const std::string& path,
                                  std::string contents, std::string_view contentType) {
    Part part;
    part.name = EscapeHeaderQuoted(name);
    part.path = EscapeHeaderQuoted(path);
    part.contentType = contentType;
    part.fileSize = contents.size();
    part.contents = std::move(contents);
    part.inMemory = true;
    impl_->partsLength += impl_->FormatHead(part).size() + part.fileSize + kCrLf.size();
    impl_->parts.push_back(std::move(part));
}

std::uint64_t TMultipartBody::Size() const {
    return impl_->partsLength + 2 + impl_->boundary.size() + 2 + kCrLf.size();
}

void TMultipartBody::Rewind() {
    impl_->stage = Stage::PartHead;
    impl_->partIndex = 0;
    impl_->fileOffset = 0;
    impl_->SetPending(std::string());
}

std::size_t TMultipartBody::Read(char* buffer, std::size_t capacity) {
    Impl& body = *impl_;
    std::size_t filled = 0;
    while (filled < capacity && body.stage != Stage::Done) {
        if (body.pendingOffset < body.pending.size()) {
            const std::size_t n =
                std::min(capacity - filled, body.pending.size() - body.pendingOffset);
            std::memcpy(buffer + filled, body.pending.data() + body.pendingOffset, n);
            body.pendingOffset += n;
            filled += n;
        } else if (body.stage == Stage::FileContent &&
                   body.fileOffset < body.parts[body.partIndex].fileSize) {
            filled += body.ReadFile(buffer + filled, capacity - filled);
        } else {
            body.Advance();
        }
    }
    return filled;
}

}  // namespace offrel
