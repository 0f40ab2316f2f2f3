#pragma once

#include <QLockFile>
#include <QString>

// The lock that a run holds on its data folder for as long as it lives: two copies of the
// program on the same tables and send journal would send the same sales twice and write over each
// other's files.
class DataFolderLock {
public:
    // Takes the folder's lock file, Offrel.lock. A lock left by a process that has ended, or one
    // whose file names no process at all, is taken over.
    explicit DataFolderLock(const QString& folder);
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    // Another running copy of the program holds the folder. A folder where no lock file can be
    // made holds nothing either: the tables' own messages tell what is wrong with it.
    bool OpenElsewhere() const;

private:
    QLockFile lock_;
};

// What the seller reads when the program is already open on that folder.
QString AlreadyOpenMessage(const QString& folder);
