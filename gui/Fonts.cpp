#include "gui/Fonts.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

const char* const kTahomaFiles[] = {"/usr/share/wine/fonts/tahoma.ttf",
                                    "/usr/share/wine/fonts/tahomabd.ttf"};

}  // namespace

void LoadFontsAndTranslations() {
    if (!QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        for (const char* file : kTahomaFiles)
            QFontDatabase::addApplicationFont(QString::fromLatin1(file));
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
