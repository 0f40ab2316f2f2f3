#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/SalesHistory.h"
#include "tables/SalesBackups.h"
#include "tables/Table.h"

// What keeps the seller's sales beyond the sales file for the whole run: the copies of the file
// that its saves replace, and the history of the sales the site accepted, beside it. Neither ever
// stops a save or an upload; what went wrong with them waits in TakeNotices.
class SalesKeeping {
public:
    // Watches the saves of cdsVente, whose file is named already; must outlive its last save.
    explicit SalesKeeping(offrel::Table& cdsVente);
    ~SalesKeeping();
    SalesKeeping(const SalesKeeping&) = delete;
    SalesKeeping& operator=(const SalesKeeping&) = delete;

    offrel::SalesBackups& Backups() { return backups_; }
    // The history, opened at its first use (an upload may never come); throws its French message.
    offrel::SalesHistory& History();
    // Keeps a sale the site accepted in the history; throws its French message.
    void KeepSent(const offrel::Sale& sale, std::int64_t answeredAt, const std::string& login);
    // What the seller has not been told yet: a damaged history set aside, the first backup of
    // the run that failed.
    std::vector<std::string> TakeNotices();

private:
    std::string historyPath_;
    offrel::SalesBackups backups_;
    std::unique_ptr<offrel::SalesHistory> history_;
};
