#include "app/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString DataFolder() {
    QString folder = qEnvironmentVariable("OFFREL_DATA_DIR");
    if (folder.isEmpty()) {
        folder = QCoreApplication::applicationDirPath();
        if (!QFileInfo(folder).isWritable())
            folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    QDir().mkpath(folder);
    return QDir(folder).absolutePath();
}
