#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "history/SentSalesList.h"
#include "tables/Sale.h"

namespace offrel {

class SqliteDatabase;
class SqliteStatement;

// Historique.sqlite in the folder of the sales file (file-system names).
std::string SalesHistoryPath(const std::string& salesFile);

// A sale the site accepted, as it was sent.
struct SentSale {
    std::int64_t id = 0;          // its number in the history
    std::int64_t answeredAt = 0;  // when the site accepted it: seconds since 1970
    std::string login;            // the login it was sent with; the password is never kept
    Sale sale;
};

// The history of the sales the site accepted: an SQLite database with a write-ahead log, each
// sale added in a transaction of its own and flushed to the disk before Add returns, so that a
// crash at any moment leaves every added sale whole and no sale in part.
//
// Every failure throws an Error whose French message names the file and the reason. A file that
// is not a database or whose pages contradict each other is never written over: it is set aside
// under another name, a new history starts in its place, and TakeDamage() says so once.
class SalesHistory {
public:
    // Opens the history at path (file-system name), creating it when missing.
    explicit SalesHistory(std::string path);
    ~SalesHistory();
    SalesHistory(const SalesHistory&) = delete;
    SalesHistory& operator=(const SalesHistory&) = delete;

    const std::string& Path() const { return path_; }
    // The message about a damaged history that was set aside, the first time only.
    std::optional<std::string> TakeDamage();

    // Keeps a sale the site accepted; a sale sent twice is kept twice.
    void Add(const Sale& sale, std::int64_t answeredAt, std::string_view login);
    // Every sale, latest first (ties: the last added first), without the texts its search
    // looks at.
    SentSalesList List();
    // Those texts, for SentSalesList::SetSearchTexts, read through a connection of their own
    // to the history at path so that another thread may read them while the list shows. A stop
    // asked ends the reading early, with the texts read so far.
    static FoldedTexts ReadSearchTexts(const std::string& path, std::stop_token stop = {});
    // The sales of these numbers, whole, in that order; a number the history no longer holds
    // gives nothing.
    std::vector<SentSale> Read(const std::vector<std::int64_t>& ids);
    // Removes the sales of these numbers, all or none.
    void Remove(const std::vector<std::int64_t>& ids);

private:
    void Open();
    void Close();
    void SetAside();
    // Runs action; when the file turns out damaged, sets it aside, opens a new history and runs
    // it once more. Any other failure is thrown with the message made of pattern.
    template <typename Action>
    auto Run(const char* pattern, Action&& action);

    std::string path_;
    std::unique_ptr<SqliteDatabase> db_;
    std::unique_ptr<SqliteStatement> insert_;
    std::optional<std::string> damage_;
};

}  // namespace offrel
