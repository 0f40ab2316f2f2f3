#include "app/OffrelApplication.h"

#include "gui/ErrorReport.h"

OffrelApplication::OffrelApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool OffrelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportError(error);
    }
    return false;
}
