#include "gui/Fonts.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

#include "gui/BoldOutlines.h"

namespace {

const char* const kTahomaRegular = "/usr/share/wine/fonts/tahoma.ttf";
const char* const kTahomaBold = "/usr/share/wine/fonts/tahomabd.ttf";
// How much bolder than the regular strokes the bold ones are, in em.
constexpr double kBoldStrokes = 0.045;

}  // namespace

void LoadFontsAndTranslations() {
    if (!QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        QFontDatabase::addApplicationFont(QString::fromLatin1(kTahomaRegular));
        // Wine's Tahoma Bold has the bold advance widths but the regular outlines: registered as
        // it is, bold texts come out thin, only spaced wider. Its outlines are thickened first.
        QFile bold(QString::fromLatin1(kTahomaBold));
        if (bold.open(QIODevice::ReadOnly))
            QFontDatabase::addApplicationFontFromData(
                ThickenedOutlines(bold.readAll(), kBoldStrokes));
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
