#pragma once

#include <QObject>
#include <atomic>

#include "server/RequestWait.h"

class QEventLoop;

// Waits for a request that runs on its own thread by turning a local event loop: the windows keep
// painting, timers run and the desktop gets its answers, while the user's input is dropped as a
// modal wait would, except on the one control that stays usable (the send window's "Arrêter").
// Nothing else runs a handler meanwhile, so none runs twice at once.
class EventLoopWait : public QObject, public offrel::RequestWait {
public:
    explicit EventLoopWait(QObject* usable = nullptr);

    void WaitForWake(std::chrono::milliseconds timeout) override;
    void Wake() override;  // from any thread

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    QObject* usable_;
    std::atomic<bool> woken_{false};
    QEventLoop* loop_ = nullptr;  // the loop turning now, touched on this object's thread only
};
