#pragma once

#include <QApplication>

// The application object: every event is dispatched through notify, so an error that escapes a
// handler ends that handler only and is shown in the error box; the event loop goes on.
class OffrelApplication : public QApplication {
public:
    OffrelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
