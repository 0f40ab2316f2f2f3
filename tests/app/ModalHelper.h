#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

// Acts on the next modal dialog as soon as it is on screen (its exec() runs the event loop).
inline void OnNextModal(std::function<void(QDialog*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        timer->stop();
        timer->deleteLater();
        act(dialog);
    });
    timer->start();
}
