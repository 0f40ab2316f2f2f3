#include "app/OffrelApplication.h"
#include "app/ProgramBlock.h"
#include "gui/Fonts.h"

int main(int argc, char** argv) {
    OffrelApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Offrel"));
    LoadFontsAndTranslations();
    return RunProgram();
}
