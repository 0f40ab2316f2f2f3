#pragma once

// Driving the list of sales and its commands as a seller does: clicks on rows, keys, the
// "Commandes" button's menu and the list's context menu.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/Forms.h"
#include "app/SalesGrid.h"
#include "app/TForm1.h"

inline SalesGrid* Grid() {
    return Form1->findChild<SalesGrid*>(QStringLiteral("DBGridVente"));
}
inline QLineEdit* SearchField() {
    return Form1->findChild<QLineEdit*>(QStringLiteral("EditRecherche"));
}
inline QString LabelText(const char* name) {
    return Form1->findChild<QLabel*>(QLatin1String(name))->text();
}

inline void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QRect cell = Grid()->visualRect(Grid()->model()->index(row, 0));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, modifiers, cell.center());
}

// The titles the list shows, in its order.
inline QStringList TitlesShown() {
    QStringList titles;
    for (int row = 0; row < Grid()->model()->rowCount(); ++row)
        titles.append(Grid()->model()->index(row, 0).data().toString());
    return titles;
}

// A key pressed in the main window, which must hold the keyboard.
inline void PressKeys(QKeySequence keys, QWidget* on = nullptr) {
    Form1->activateWindow();
    // A menu or a modal window just closed may still count as the active window on a slow run
    // (the sanitizers); the shortcuts need theirs active.
    if (!QTest::qWaitForWindowActive(Form1, 500) || QApplication::activeWindow() != Form1)
        QApplication::setActiveWindow(Form1);
    QVERIFY(QApplication::activeWindow() == Form1);
    QTest::keySequence(on ? on : Grid(), keys);
}

// Acts on the next popup menu as soon as it is on screen (its exec() runs the event loop).
inline void OnNextPopup(std::function<void(QMenu*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        timer->stop();
        timer->deleteLater();
        act(menu);
    });
    timer->start();
}

// Chooses the entry of that text in the menu that opens next, by the keyboard.
inline void ChooseInNextPopup(const QString& text) {
    OnNextPopup([text](QMenu* menu) {
        for (QAction* action : menu->actions()) {
            if (action->text() != text) continue;
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
            return;
        }
        menu->close();
        QFAIL(qPrintable(QStringLiteral("no menu entry ") + text));
    });
}

// A command chosen from the "Commandes" button.
inline void ChooseCommand(const QString& text) {
    ChooseInNextPopup(text);
    QTest::mouseClick(Form1->findChild<QToolButton*>(QStringLiteral("ButtonCommandes")),
                      Qt::LeftButton);
}

// A command chosen from the list's context menu, opened over a row.
inline void ChooseInListMenu(int row, const QString& text) {
    ChooseInNextPopup(text);
    const QPoint at = Grid()->visualRect(Grid()->model()->index(row, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, Grid()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(Grid()->viewport(), &event);
}

// A click on a column's title.
inline void ClickTitle(int column) {
    QHeaderView* header = Grid()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}
