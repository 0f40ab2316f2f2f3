// offrel-icon-sizes SOURCE FOLDER SIZE...: writes the picture SOURCE scaled to each SIZE as
// FOLDER/SIZExSIZE/apps/offrel.png, the layout of the desktop's hicolor icon theme.
#include <QDir>
#include <QImage>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: offrel-icon-sizes SOURCE FOLDER SIZE...\n");
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        std::fprintf(stderr, "offrel-icon-sizes: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int k = 3; k < argc; ++k) {
        const int size = std::stoi(argv[k]);
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        const QImage icon =
            source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (!QDir().mkpath(folder) || !icon.save(folder + QStringLiteral("/offrel.png"))) {
            std::fprintf(stderr, "offrel-icon-sizes: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
