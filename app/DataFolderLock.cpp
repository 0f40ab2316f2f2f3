#include "app/DataFolderLock.h"

#include <QDir>

DataFolderLock::DataFolderLock(const QString& folder)
    : lock_(QDir(folder).filePath(QStringLiteral("Offrel.lock"))) {
    // Never stale by its age, since a run may last for days: only once its process has ended.
    lock_.setStaleLockTime(0);
    if (lock_.tryLock(0) || lock_.error() != QLockFile::LockFailedError) return;
    qint64 pid = 0;
    QString host;
    QString application;
    // A file cut short when its writer was killed names no one; a live holder keeps it anyway.
    if (!lock_.getLockInfo(&pid, &host, &application) && lock_.removeStaleLockFile())
        lock_.tryLock(0);
}

bool DataFolderLock::OpenElsewhere() const {
    return !lock_.isLocked() && lock_.error() == QLockFile::LockFailedError;
}

QString AlreadyOpenMessage(const QString& folder) {
    return QStringLiteral(
               "Offrel est déjà ouvert sur ce dossier de données :\n%1\n\nUtilisez la fenêtre "
               "déjà ouverte, ou fermez-la avant de relancer le programme.")
        .arg(QDir::toNativeSeparators(folder));
}
