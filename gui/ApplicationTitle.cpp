#include "gui/ApplicationTitle.h"

#include <QGuiApplication>

QString ApplicationTitle() {
    return QStringLiteral("Offrel Brivax");
}

void SetApplicationTitle() {
    QGuiApplication::setDesktopFileName(QStringLiteral("offrel"));
}
