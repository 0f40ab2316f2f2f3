#include <QComboBox>
#include <QPushButton>
#include <QtTest>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "gui/HandlerConnection.h"
#include "tests/common/ScriptedDialogs.h"

namespace {

// A window's handlers, as the windows name and connect them.
class Handlers : public QObject {
public:
    void ButtonClick() { ++clicks; }
    void ListChange(int index) { chosen = index; }
    void FailingClick() { throw offrel::Error(offrel::W("Problème de lecture")); }

    int clicks = 0;
    int chosen = -1;
};

class HandlerConnectionTest : public QObject {
    Q_OBJECT

private slots:
    void errorOfAHandlerIsReportedAndGoesNoFurther() {
        ScriptedDialogs dialogs;
        QPushButton button;
        Handlers handlers;
        ConnectHandler(&button, &QPushButton::clicked, &handlers, &Handlers::FailingClick);
        ConnectHandler(&button, &QPushButton::clicked, &handlers, &Handlers::ButtonClick);
        bool escaped = false;
        try {
            button.click();
        } catch (...) {
            escaped = true;
        }
        QVERIFY(!escaped);
        QCOMPARE(dialogs.errors, QStringList{QStringLiteral("Problème de lecture.")});
        // The dispatch went on to the next handler of the same signal.
        QCOMPARE(handlers.clicks, 1);
    }

    void handlersTakeTheSignalsArgumentsOrNone() {
        ScriptedDialogs dialogs;
        QComboBox list;
        Handlers handlers;
        int level = -1;
        ConnectHandler(&list, &QComboBox::activated, &handlers, &Handlers::ListChange);
        ConnectHandler(&list, &QComboBox::activated, &handlers, &Handlers::ButtonClick);
        ConnectHandler(&list, &QComboBox::activated, &handlers, [&level](int index) {
            if (index > 2) throw offrel::Error("trop loin");
            level = index;
        });
        emit list.activated(2);
        QCOMPARE(handlers.chosen, 2);
        QCOMPARE(handlers.clicks, 1);
        QCOMPARE(level, 2);
        emit list.activated(5);
        QCOMPARE(level, 2);
        QCOMPARE(dialogs.errors, QStringList{QStringLiteral("trop loin.")});
    }
};

}  // namespace

QTEST_MAIN(HandlerConnectionTest)
#include "HandlerConnectionTest.moc"
