#include "gui/Fonts.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>
#include <QtEndian>

namespace {

const char* const kTahomaRegular = "/usr/share/wine/fonts/tahoma.ttf";
const char* const kTahomaBold = "/usr/share/wine/fonts/tahomabd.ttf";

// Where the table tagged `tag` starts in a TrueType face, when the face holds it whole with at
// least `needed` bytes; -1 otherwise.
qsizetype TableStart(const QByteArray& face, const char* tag, qsizetype needed) {
    constexpr qsizetype kDirectory = 12, kRecord = 16;
    if (face.size() < kDirectory) return -1;
    const qsizetype tables = qFromBigEndian<quint16>(face.constData() + 4);
    for (qsizetype k = 0; k < tables; ++k) {
        const qsizetype record = kDirectory + k * kRecord;
        if (face.size() < record + kRecord) return -1;
        if (face.mid(record, 4) != tag) continue;
        const qsizetype start = qFromBigEndian<quint32>(face.constData() + record + 8);
        const qsizetype length = qFromBigEndian<quint32>(face.constData() + record + 12);
        return length >= needed && start + length <= face.size() ? start : -1;
    }
    return -1;
}

}  // namespace

QByteArray MarkedSemibold(QByteArray face) {
    // OS/2: usWeightClass at 4, fsSelection (bit 5: bold) at 62; head: macStyle (bit 0) at 44.
    const qsizetype os2 = TableStart(face, "OS/2", 64);
    const qsizetype head = TableStart(face, "head", 46);
    if (os2 < 0 || head < 0) return face;
    char* bytes = face.data();
    qToBigEndian<quint16>(600, bytes + os2 + 4);
    qToBigEndian<quint16>(qFromBigEndian<quint16>(bytes + os2 + 62) & ~0x20u, bytes + os2 + 62);
    qToBigEndian<quint16>(qFromBigEndian<quint16>(bytes + head + 44) & ~0x1u, bytes + head + 44);
    return face;
}

void LoadFontsAndTranslations() {
    if (!QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        QFontDatabase::addApplicationFont(QString::fromLatin1(kTahomaRegular));
        // Wine's Tahoma Bold has the bold advance widths but the regular outlines: registered as
        // it is, bold texts come out thin, only spaced wider. Qt thickens the strokes of a face
        // that is neither marked bold nor of weight 700 or more when bold is asked for, so the
        // face is registered as a semibold one: the bold widths with thickened strokes.
        QFile bold(QString::fromLatin1(kTahomaBold));
        if (bold.open(QIODevice::ReadOnly))
            QFontDatabase::addApplicationFontFromData(MarkedSemibold(bold.readAll()));
    }
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_fr"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

QFont TahomaFont(int pixels, bool bold) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
