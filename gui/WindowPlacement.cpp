#include "gui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

QRect AvailableArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

void CenterOnScreen(QWidget* window) {
    QRect frame(QPoint(), window->frameGeometry().size());
    frame.moveCenter(AvailableArea().center());
    window->move(frame.topLeft());
}

void PlaceTopLeft(QWidget* window) {
    window->move(AvailableArea().topLeft());
}
