#include "site/SaleStore.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "base/Windows1252.h"

namespace offrel::site {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void ThrowSystemError(const std::string& what, const fs::path& path) {
    throw std::runtime_error(what + " " + path.string() + ": " + std::strerror(errno));
}

void SyncPath(const fs::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) ThrowSystemError("cannot open", path);
    int result = ::fsync(fd);
    ::close(fd);
    if (result != 0) ThrowSystemError("cannot sync", path);
}

// A sale's folder name is its number written with at least six digits.
std::optional<std::uint64_t> SaleNumber(const std::string& name) {
    if (name.empty() || name.size() > 18 || name.find_first_not_of("0123456789") != name.npos)
        return std::nullopt;
    return std::stoull(name);
}

std::string Utc() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%FT%TZ", &utc);
    return text;
}

}  // namespace

PendingSale::~PendingSale() {
    if (file_) std::fclose(file_);
    if (!committed_) {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
}

void PendingSale::Open(const std::string& name) {
    Close();
    fs::path path = dir_ / name;
    file_ = std::fopen(path.c_str(), "wbx");
    if (!file_) ThrowSystemError("cannot create", path);
}

void PendingSale::Write(const char* data, std::size_t size) {
    if (std::fwrite(data, 1, size, file_) != size) ThrowSystemError("cannot write in", dir_);
}

void PendingSale::Close() {
    if (!file_) return;
    std::FILE* file = std::exchange(file_, nullptr);
    bool ok = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) ThrowSystemError("cannot write in", dir_);
}

SaleStore::SaleStore(fs::path dir) : dir_(std::move(dir)) {
    fs::create_directories(dir_);
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) {
        std::string name = entry.path().filename().string();
        if (name.starts_with(kIncomingPrefix)) {
            fs::remove_all(entry.path());  // a sale that a crash left half received
        } else if (auto number = SaleNumber(name); number && entry.is_directory()) {
            next_ = std::max(next_, *number + 1);
        }
    }
}

std::unique_ptr<PendingSale> SaleStore::Begin() {
    std::string pattern = (dir_ / (std::string(kIncomingPrefix) + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) ThrowSystemError("cannot create a folder in", dir_);
    return std::make_unique<PendingSale>(fs::path(pattern));
}

std::string SaleStore::Commit(PendingSale& pending, const ReceivedSale& sale) {
    pending.Close();
    pending.Open(std::string(kRecordName));
    std::string json = SaleRecordJson(sale);
    pending.Write(json.data(), json.size());
    pending.Close();
    SyncPath(pending.Dir());

    std::lock_guard lock(mutex_);
    for (;; ++next_) {
        char name[24];
        std::snprintf(name, sizeof name, "%06llu", static_cast<unsigned long long>(next_));
        // Never replaces a sale that another site working on the same store put there.
        if (::renameat2(AT_FDCWD, pending.Dir().c_str(), AT_FDCWD, (dir_ / name).c_str(),
                        RENAME_NOREPLACE) == 0) {
            pending.committed_ = true;
            ++next_;
            SyncPath(dir_);
            return name;
        }
        if (errno != EEXIST) ThrowSystemError("cannot rename", pending.Dir());
    }
}

std::string SaleRecordJson(const ReceivedSale& sale) {
    nlohmann::ordered_json fields = nlohmann::ordered_json::object();
    for (const auto& [name, value] : sale.fields)
        if (name != "password") fields[Windows1252ToUtf8(name)] = Windows1252ToUtf8(value);
    nlohmann::ordered_json photos = nlohmann::ordered_json::array();
    for (const ReceivedPhoto& photo : sale.photos)
        photos.push_back({{"part", photo.part},
                          {"filename", Windows1252ToUtf8(photo.filename)},
                          {"file", photo.file},
                          {"size", photo.size}});
    nlohmann::ordered_json record = {{"received", Utc()}, {"fields", fields}, {"photos", photos}};
    return record.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace offrel::site
