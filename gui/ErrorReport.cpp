#include "gui/ErrorReport.h"

#include <QApplication>
#include <QWidget>

#include "gui/Dialogs.h"
#include "gui/QtText.h"

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
    return message;
}

void ReportError(const std::exception& error) {
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = QApplication::activeWindow();
    Dialogs::Get().Error(parent, ErrorBoxText(FromW1252(error.what())));
}
