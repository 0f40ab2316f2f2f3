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
    ReportError(parent, error.what());
}

void ReportError(QWidget* parent, const std::string& message) {
    Dialogs::Get().Error(parent, ErrorBoxText(FromW1252(message)));
}
