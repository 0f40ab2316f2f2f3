#pragma once

#include <QApplication>

// The application object: every event is dispatched through notify, the last guard, so that an
// error escaping an event handler ends that handler only and is shown in the error box; the event
// loop goes on. Signal handlers are guarded where they are connected (ConnectHandler).
class OffrelApplication : public QApplication {
public:
    OffrelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
