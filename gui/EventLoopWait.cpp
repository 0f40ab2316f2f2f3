#include "gui/EventLoopWait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

namespace {

bool IsUserInput(const QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        case QEvent::Close:  // the close box or the desktop's close command, not the program's
            return event.spontaneous();
        default:
            return false;
    }
}

}  // namespace

EventLoopWait::EventLoopWait(QObject* usable) : usable_(usable) {}

void EventLoopWait::WaitForWake(std::chrono::milliseconds timeout) {
    if (woken_.exchange(false)) return;
    QEventLoop loop;
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop_ = &loop;
    QCoreApplication::instance()->installEventFilter(this);
    loop.exec();
    QCoreApplication::instance()->removeEventFilter(this);
    loop_ = nullptr;
    woken_ = false;
}

void EventLoopWait::Wake() {
    woken_ = true;
    // Runs on this object's thread, in the loop that turns there; a wake that comes between two
    // loops ends the next one at once.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (loop_) loop_->quit();
        },
        Qt::QueuedConnection);
}

bool EventLoopWait::eventFilter(QObject* receiver, QEvent* event) {
    // Shortcuts go to their own objects, every other input to a widget.
    const bool blocked = event->type() == QEvent::Shortcut ||
                         (receiver->isWidgetType() && receiver != usable_ && IsUserInput(*event));
    if (!blocked) return false;
    event->ignore();  // a refused close must stay refused
    return true;
}
