#include "base/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Windows1252.h"

namespace offrel {

namespace {

// A file operation that failed: the path as the seller reads it, then the system's reason.
[[noreturn]] void ThrowFileError(const std::string& pattern, const std::string& path, int error) {
    throw Error(FormatMessage(pattern, {ShownFileSystemName(FullPath(path)), SystemReason(error)}));
}

[[noreturn]] void ThrowCannotCreate(const std::string& path, int error) {
    ThrowFileError(W("Impossible de créer le fichier \"%s\". %s"), path, error);
}

// The mode of the file being replaced, or what a new file gets under the process's umask.
mode_t ModeFor(const std::string& path) {
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The file that a path names once every symbolic link is followed: a save replaces the target
// and leaves the link a link.
std::filesystem::path LinkTarget(const std::string& path) {
    std::filesystem::path current(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(current, error)) return current;
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error) ThrowCannotCreate(path, error.value());
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    ThrowCannotCreate(path, ELOOP);
}

// Makes the rename itself survive a crash; a folder that cannot be flushed leaves the new file
// in place all the same, so its failure is not reported.
void FlushFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::string FullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    const auto fail = [&](int error) {
        ThrowFileError("Impossible d'ouvrir le fichier \"%s\". %s", path, error);
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail(errno);
    std::vector<std::uint8_t> content;
    struct stat info;
    if (::fstat(fd, &info) == 0 && info.st_size > 0)
        content.reserve(static_cast<std::size_t>(info.st_size));
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            fail(error);
        }
        if (got == 0) break;
        content.insert(content.end(), buffer, buffer + got);
    }
    ::close(fd);
    return content;
}

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         const BeforeReplace& beforeReplace) {
    const std::filesystem::path target = LinkTarget(FullPath(path));
    std::string temporary =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const mode_t mode = ModeFor(target.string());
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) ThrowCannotCreate(path, errno);
    const auto giveUp = [&](int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        ThrowCannotCreate(path, error);
    };
    if (::fchmod(fd, mode) != 0) giveUp(errno);
    if (!WriteAll(fd, bytes.data(), bytes.size())) giveUp(errno);
    if (::fsync(fd) != 0) giveUp(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        ThrowCannotCreate(path, error);
    }
    if (beforeReplace && ::access(target.c_str(), F_OK) == 0) {
        try {
            beforeReplace(target.string());
        } catch (...) {
            ::unlink(temporary.c_str());
            throw;
        }
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        ThrowCannotCreate(path, error);
    }
    FlushFolder(target.parent_path());
}

void ReplaceFileWithLink(const std::string& path, const std::string& source) {
    const std::filesystem::path target = LinkTarget(FullPath(path));
    const std::string link =
        (target.parent_path() / ("." + target.filename().string() + ".lien")).string();
    ::unlink(link.c_str());  // left by a crash between the link and the rename
    if (::link(source.c_str(), link.c_str()) != 0) {
        WriteFileAtomically(path, ReadWholeFile(source));
        return;
    }
    if (::rename(link.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(link.c_str());
        ThrowCannotCreate(path, error);
    }
    FlushFolder(target.parent_path());
}

void WriteFileTail(const std::string& path, std::uint64_t offset, std::string_view bytes,
                   bool durable) {
    const auto fail = [&](int error) {
        ThrowFileError(W("Impossible d'écrire dans le fichier \"%s\". %s"), path, error);
    };
    struct stat existing;
    const bool created = ::stat(path.c_str(), &existing) != 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) fail(errno);
    const auto cutBack = [&](int error) {
        [[maybe_unused]] const int ignored = ::ftruncate(fd, static_cast<off_t>(offset));
        ::close(fd);
        fail(error);
    };
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (::ftruncate(fd, static_cast<off_t>(offset)) != 0) cutBack(errno);
    if (::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0) cutBack(errno);
    if (!WriteAll(fd, data, bytes.size())) cutBack(errno);
    if (durable && ::fdatasync(fd) != 0) cutBack(errno);
    if (::close(fd) != 0) fail(errno);
    if (durable && created) FlushFolder(std::filesystem::path(FullPath(path)).parent_path());
}

}  // namespace offrel
