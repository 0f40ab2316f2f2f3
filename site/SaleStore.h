#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "site/ReceivedSale.h"

namespace offrel::site {

// A sale being received: a hidden folder inside the store that holds its photo files as they
// arrive. Released without being committed, it is removed with everything in it.
class PendingSale {
public:
    explicit PendingSale(std::filesystem::path dir) : dir_(std::move(dir)) {}
    ~PendingSale();
    PendingSale(const PendingSale&) = delete;
    PendingSale& operator=(const PendingSale&) = delete;

    const std::filesystem::path& Dir() const { return dir_; }

    // One file at a time; Close flushes it to the disk. Failures throw std::runtime_error.
    void Open(const std::string& name);
    void Write(const char* data, std::size_t size);
    void Close();

private:
    friend class SaleStore;
    std::filesystem::path dir_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

// The accepted sales: one folder per sale, numbered 000001, 000002... A sale is built in a
// hidden ".incoming-" folder and renamed into place once complete, so a crash never leaves half
// a sale under a number; leftovers of a crash are removed when the store is opened again.
class SaleStore {
public:
    explicit SaleStore(std::filesystem::path dir);

    std::unique_ptr<PendingSale> Begin();
    // Writes vente.json beside the photos and renames the folder to the next free number,
    // which it returns.
    std::string Commit(PendingSale& pending, const ReceivedSale& sale);

    static constexpr std::string_view kIncomingPrefix = ".incoming-";
    static constexpr std::string_view kRecordName = "vente.json";

private:
    std::filesystem::path dir_;
    std::mutex mutex_;
    std::uint64_t next_ = 1;
};

// The record of a sale: its fields (the password left out) and its photos, as UTF-8 JSON.
std::string SaleRecordJson(const ReceivedSale& sale);

}  // namespace offrel::site
