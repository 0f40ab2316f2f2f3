#include "tables/SalesBackups.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <utility>

#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Files.h"
#include "base/Windows1252.h"
#include "tables/PacketReader.h"

namespace offrel {

namespace fs = std::filesystem;

namespace {

constexpr char kFolderName[] = "Sauvegardes";
// "2025-01-31 14-22-05": the date and time a backup was made, in local time.
constexpr char kStampFormat[] = "%Y-%m-%d %H-%M-%S";
constexpr std::size_t kStampLength = 19;

std::string Shown(const std::string& path) {
    return ShownFileSystemName(FullPath(path));
}

// A backup's name: "<stem> <stamp><extension>", or "<stem> <stamp> (n)<extension>" when that
// stamp was taken already.
struct BackupName {
    fs::path path;
    std::string stamp;
    int rank = 1;
    auto Key() const { return std::tie(stamp, rank); }
};

bool IsStamp(std::string_view text) {
    constexpr std::string_view shape = "dddd-dd-dd dd-dd-dd";
    if (text.size() != shape.size()) return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (shape[i] == 'd' ? !digit : text[i] != shape[i]) return false;
    }
    return true;
}

std::optional<BackupName> ParseName(const fs::path& path, const std::string& stem,
                                    const std::string& extension) {
    const std::string name = path.filename().string();
    const std::string prefix = stem + " ";
    if (!name.starts_with(prefix) || !name.ends_with(extension)) return std::nullopt;
    std::string_view middle(name);
    middle = middle.substr(prefix.size(), middle.size() - prefix.size() - extension.size());
    if (middle.size() < kStampLength || !IsStamp(middle.substr(0, kStampLength)))
        return std::nullopt;
    BackupName backup{path, std::string(middle.substr(0, kStampLength))};
    const std::string_view rank = middle.substr(kStampLength);
    if (!rank.empty()) {
        if (!rank.starts_with(" (") || !rank.ends_with(")") || rank.size() < 4) return std::nullopt;
        const std::string_view digits = rank.substr(2, rank.size() - 3);
        if (!std::all_of(digits.begin(), digits.end(),
                         [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) ||
            digits.size() > 6)
            return std::nullopt;
        backup.rank = std::stoi(std::string(digits));
    }
    return backup;
}

// The backups of the folder, oldest first.
std::vector<BackupName> BackupNames(const std::string& folder, const std::string& stem,
                                    const std::string& extension) {
    std::vector<BackupName> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (auto name = ParseName(it->path(), stem, extension)) names.push_back(std::move(*name));
    std::sort(names.begin(), names.end(),
              [](const BackupName& a, const BackupName& b) { return a.Key() < b.Key(); });
    return names;
}

// A file mapped into memory for reading: its pages are read when touched, straight from the
// system's cache, without a copy.
class MappedFile {
public:
    // Throws "Impossible d'ouvrir le fichier "%s". %s".
    explicit MappedFile(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0) Fail(path, fd);
        size_ = static_cast<std::size_t>(info.st_size);
        if (size_ > 0) {
            void* data = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
            if (data == MAP_FAILED) Fail(path, fd);
            data_ = static_cast<const std::uint8_t*>(data);
        }
        ::close(fd);
    }
    ~MappedFile() {
        if (data_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const std::uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }

private:
    [[noreturn]] static void Fail(const std::string& path, int fd) {
        const int error = errno;
        if (fd >= 0) ::close(fd);
        throw Error(FormatMessage("Impossible d'ouvrir le fichier \"%s\". %s",
                                  {Shown(path), SystemReason(error)}));
    }

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// The number of sales of a table file, read from its header and change log alone: only the pages
// holding them are read.
std::optional<std::uint32_t> SaleCount(const std::string& path) {
    try {
        const MappedFile file(path);
        return CountLiveRows(file.Data(), file.Size());
    } catch (const Error&) {
        return std::nullopt;  // not a table packet: the list shows no count for it
    }
}

[[noreturn]] void ThrowCannotCreateFolder(const std::string& folder, int error) {
    throw Error(FormatMessage(W("Impossible de créer le dossier \"%s\". %s"),
                              {Shown(folder), SystemReason(error)}));
}

}  // namespace

SalesBackups::SalesBackups(const std::string& salesFile, Clock now)
    : salesFile_(FullPath(salesFile)),
      folder_((fs::path(salesFile_).parent_path() / kFolderName).string()),
      now_(now ? std::move(now) : Clock([] { return std::int64_t{std::time(nullptr)}; })) {}

void SalesBackups::Watch(Table& cdsVente) {
    cdsVente.SetBeforeReplace([this](const std::string& replaced) { KeepReplaced(replaced); });
}

void SalesBackups::KeepReplaced(const std::string& replaced) {
    const std::int64_t now = now_();
    // A clock set back since the last backup does not hold the next one back.
    if (lastBackup_ && now >= *lastBackup_ && now - *lastBackup_ < kInterval) return;
    try {
        Keep(replaced, now);
        RemoveOldest();
    } catch (const std::exception& failure) {
        NoteFailure(failure);
    }
}

void SalesBackups::NoteFailure(const std::exception& failure) {
    if (failureTold_) return;
    failureTold_ = true;
    failure_ = FormatMessage(W("Vos ventes sont enregistrées, mais la copie de sauvegarde du "
                               "fichier des ventes n'a pas pu être faite : %s"),
                             {failure.what()});
}

std::optional<std::string> SalesBackups::TakeFailure() {
    return std::exchange(failure_, std::nullopt);
}

std::string SalesBackups::NewBackupName(std::int64_t now) const {
    const fs::path sales(salesFile_);
    const std::time_t time = static_cast<std::time_t>(now);
    std::tm local{};
    localtime_r(&time, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, kStampFormat, &local);
    const std::string base = sales.stem().string() + " " + stamp;
    const std::string extension = sales.extension().string();
    fs::path name = fs::path(folder_) / (base + extension);
    std::error_code error;
    for (int rank = 2; fs::exists(fs::symlink_status(name, error)); ++rank)
        name = fs::path(folder_) / (base + " (" + std::to_string(rank) + ")" + extension);
    return name.string();
}

void SalesBackups::Keep(const std::string& file, std::int64_t now) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        const int error = errno;
        if (error == ENOENT) return;  // nothing saved yet
        throw Error(FormatMessage("Impossible d'ouvrir le fichier \"%s\". %s",
                                  {Shown(file), SystemReason(error)}));
    }
    if (info.st_size == 0) return;  // an empty sales file stands for none
    if (::mkdir(folder_.c_str(), 0777) != 0 && errno != EEXIST)
        ThrowCannotCreateFolder(folder_, errno);
    const std::string name = NewBackupName(now);
    if (::link(file.c_str(), name.c_str()) != 0) {
        // No hard link here (another device, a file system without links): a copy, with the
        // time of the file it copies, which the list shows.
        WriteFileAtomically(name, ReadWholeFile(file));
        const struct timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
        ::utimensat(AT_FDCWD, name.c_str(), times, 0);
    }
    lastBackup_ = now;
}

void SalesBackups::RemoveOldest() const {
    const fs::path sales(salesFile_);
    std::vector<BackupName> names =
        BackupNames(folder_, sales.stem().string(), sales.extension().string());
    for (std::size_t k = 0; k + kKept < names.size(); ++k) {
        if (::unlink(names[k].path.c_str()) != 0) {
            const int error = errno;
            throw Error(FormatMessage(W("Impossible de supprimer l'ancienne sauvegarde \"%s\". %s"),
                                      {Shown(names[k].path.string()), SystemReason(error)}));
        }
    }
}

std::vector<SalesBackup> SalesBackups::List() const {
    const fs::path sales(salesFile_);
    const std::vector<BackupName> names =
        BackupNames(folder_, sales.stem().string(), sales.extension().string());
    std::vector<SalesBackup> backups;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        struct stat info {};
        if (::stat(name->path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        backups.push_back({name->path.string(), info.st_mtim.tv_sec, SaleCount(name->path)});
    }
    return backups;
}

void SalesBackups::Restore(Table& cdsVente, const SalesBackup& backup) {
    std::error_code error;
    const fs::path current = fs::weakly_canonical(FullPath(cdsVente.FileName()), error);
    try {
        Keep(error ? FullPath(cdsVente.FileName()) : current.string(), now_());
    } catch (const Error& failure) {
        throw Error(FormatMessage(W("La sauvegarde n'est pas restaurée : le fichier des ventes "
                                    "actuel n'a pas pu être sauvegardé d'abord. %s"),
                                  {failure.what()}));
    }
    const MappedFile bytes(backup.path);
    try {
        cdsVente.LoadFromPacket(bytes.Data(), bytes.Size());
    } catch (const Error& failure) {
        throw Error(FormatMessage(W("La sauvegarde \"%s\" ne peut pas être lue : %s"),
                                  {Shown(backup.path), failure.what()}));
    }
    try {
        ReplaceFileWithLink(cdsVente.FileName(), backup.path);
    } catch (const Error& failure) {
        throw Error(FormatMessage(W("Les ventes de la sauvegarde sont affichées, mais elles n'ont "
                                    "pas pu être enregistrées : %s"),
                                  {failure.what()}));
    }
    // Only now: the oldest backup may be the one restored.
    try {
        RemoveOldest();
    } catch (const Error& failure) {
        NoteFailure(failure);
    }
}

}  // namespace offrel
