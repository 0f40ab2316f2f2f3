#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

#include "tests/editor/EditorFixture.h"
#include "tests/editor/Suites.h"

namespace {

// The description field as the seller meets it: pasted and typed into, near its 4,096 stored
// characters (a line break stores as two).
struct Description {
    explicit Description(EditorFixture& f) : form(f.Open(false)) {
        memo = Child<QPlainTextEdit>(form.get(), "MemoDescription");
        remaining = Child<QLabel>(form.get(), "LabelResteDescription");
    }
    // Pasted at the cursor, as a paste does.
    void Paste(const QString& text) { memo->insertPlainText(text); }
    void CursorAt(int position) {
        QTextCursor cursor = memo->textCursor();
        cursor.setPosition(position);
        memo->setTextCursor(cursor);
    }
    QString Text() const { return memo->toPlainText(); }

    std::unique_ptr<TForm2> form;
    QPlainTextEdit* memo;
    QLabel* remaining;
};

// The limit as French writes it, with a narrow no-break space between the thousands.
const QString kCut =
    "Limite de 4\u202F096 caractères atteinte : la fin du texte ajouté n'a pas été prise";

class DescriptionLimitTest : public QObject {
    Q_OBJECT

private slots:
    void ALongPasteKeepsItsStartAndSaysSo() {
        EditorFixture f;
        Description d(f);
        QString pasted;
        for (int i = 0; pasted.size() < 7320; ++i) pasted += QString("mot%1 ").arg(i);
        pasted.truncate(7320);
        d.Paste(pasted);
        QCOMPARE(d.Text(), pasted.left(4096));
        QCOMPARE(d.remaining->text(), kCut);

        // Pasted between earlier words, the paste gives way, not what was there.
        d.memo->setPlainText(QString(4000, 'a') + "FIN");
        QVERIFY(d.remaining->text().startsWith("Il reste 93 caract"));
        d.CursorAt(10);
        d.Paste(QString(200, 'b'));
        QCOMPARE(d.Text(), QString(10, 'a') + QString(93, 'b') + QString(3990, 'a') + "FIN");
        QCOMPARE(d.remaining->text(), kCut);
        QCOMPARE(d.memo->textCursor().position(), 103);
    }

    void LineBreaksAndCharactersOutsideTheBasicPlaneCountAsStored() {
        EditorFixture f;
        Description d(f);
        d.memo->setPlainText(QString(4093, 'x'));
        d.CursorAt(4093);
        QTest::keyClick(d.memo, Qt::Key_Return);  // two stored characters
        QCOMPARE(d.remaining->text(), QString("Il reste 1 caractère"));
        QTest::keyClicks(d.memo, "yz");
        QCOMPARE(d.Text(), QString(4093, 'x') + "\ny");
        QCOMPARE(d.remaining->text(), kCut);

        // One emoji is one stored character ("?"), and a pair is never split.
        d.memo->setPlainText(QString(4095, 'x'));
        d.CursorAt(4095);
        d.Paste("🚲z");
        QCOMPARE(d.Text(), QString(4095, 'x') + "🚲");
    }

    void TheCountShowsOnlyNearTheLimit() {
        EditorFixture f;
        Description d(f);
        QVERIFY(d.remaining->text().isEmpty());
        d.memo->setPlainText(QString(3595, 'x'));
        QVERIFY(d.remaining->text().isEmpty());
        d.memo->setPlainText(QString(3596, 'x'));
        QCOMPARE(d.remaining->text(), QString("Il reste 500 caractères"));
        d.memo->setPlainText(QString(4096, 'x'));
        QCOMPARE(d.remaining->text(), QString("Limite de 4\u202F096 caractères atteinte"));
        // Deleting makes room again.
        d.CursorAt(4096);
        QTest::keyClick(d.memo, Qt::Key_Backspace);
        QCOMPARE(d.remaining->text(), QString("Il reste 1 caractère"));
    }
};

}  // namespace

int RunDescriptionLimitTests(int argc, char** argv) {
    DescriptionLimitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DescriptionLimitTest.moc"
