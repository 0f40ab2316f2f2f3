#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tables/Table.h"

namespace offrel {

// A copy of the sales file kept in the backup folder.
struct SalesBackup {
    std::string path;          // file-system name
    std::int64_t savedAt = 0;  // when those sales were saved (the file's time): seconds since 1970
    std::optional<std::uint32_t> saleCount;  // nothing when the file does not read as a table
};

// The copies of the sales file kept in the folder Sauvegardes beside it. The file that a save
// replaces is kept at the first save of a run, then at most once an hour: a hard link to it is
// made just before the rename, so that keeping it copies no byte; where the file system has no
// links, it is copied. The last kKept are kept, older ones removed. A backup that fails never
// stops the save: TakeFailure() tells it, once a run.
class SalesBackups {
public:
    static constexpr std::size_t kKept = 20;
    static constexpr std::int64_t kInterval = 3600;  // seconds between two backups of a run

    // The time in seconds since 1970.
    using Clock = std::function<std::int64_t()>;

    // salesFile: the sales table's file (file-system name).
    explicit SalesBackups(const std::string& salesFile, Clock now = {});

    const std::string& Folder() const { return folder_; }

    // Makes each save of cdsVente keep the file it replaces when a backup is due. The backups
    // must outlive the table's last save.
    void Watch(Table& cdsVente);
    // Keeps the file (full path), about to be replaced, when a backup is due. Never throws.
    void KeepReplaced(const std::string& replaced);
    // The message of the first backup of the run that failed, the first time only.
    std::optional<std::string> TakeFailure();

    // The backups, latest first.
    std::vector<SalesBackup> List() const;

    // Puts the backup in the place of the sales file, linked rather than copied, and loads it
    // into cdsVente, after keeping the current file as a backup itself. Throws a French message;
    // the table and its file have not changed when the current file cannot be kept or the backup
    // cannot be read. When the backup is loaded but the sales file cannot be replaced, the table
    // shows the backup's sales and the message says they are not saved; the file stays as it
    // was, kept among the backups.
    void Restore(Table& cdsVente, const SalesBackup& backup);

private:
    // Keeps the file as a new backup; throws.
    void Keep(const std::string& file, std::int64_t now);
    std::string NewBackupName(std::int64_t now) const;
    // Removes the oldest backups beyond kKept; throws.
    void RemoveOldest() const;
    // Notes the failure of a backup, for TakeFailure, when none was noted in this run.
    void NoteFailure(const std::exception& failure);

    std::string salesFile_;
    std::string folder_;
    Clock now_;
    std::optional<std::int64_t> lastBackup_;  // when this run last kept a file
    std::optional<std::string> failure_;
    bool failureTold_ = false;
};

}  // namespace offrel
