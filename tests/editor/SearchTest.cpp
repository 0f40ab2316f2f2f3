#include <QFile>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QtTest>

#include "sale/RecentCategories.h"
#include "tests/editor/EditorFixture.h"
#include "tests/editor/Suites.h"

namespace {

// A tree nine levels deep under "Sport", beside a few shallow categories.
void AddDeepTree(EditorFixture& f) {
    f.AddCategory(1, 0, "Sport");
    f.AddCategory(2, 1, "Cyclisme");
    f.AddCategory(3, 2, "Vélos de route");
    f.AddCategory(4, 2, "VTT");
    f.AddCategory(5, 1, "Randonnée");
    const char* names[] = {"Niveau 2", "Niveau 3", "Niveau 4", "Niveau 5",
                           "Niveau 6", "Niveau 7", "Niveau 8", "Tout au fond"};
    for (int level = 0; level < 8; ++level)
        f.AddCategory(20 + level, level == 0 ? 1 : 19 + level, names[level]);
}

// The editor on screen with the keyboard in it, as the seller has it.
std::unique_ptr<TForm2> Shown(EditorFixture& f) {
    f.state.ModeModification = false;
    auto form = std::make_unique<TForm2>(f.tables, f.state, f.Folder());
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) qFatal("the editor never became active");
    return form;
}

void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
}

void Type(const char* text) {
    QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(text));
}

QListWidget* Results(TForm2* form) {
    return Child<QListWidget>(form, "ListBoxResultats");
}

QStringList Shown(QListWidget* results) {
    QStringList texts;
    if (results->isHidden()) return texts;
    for (int i = 0; i < results->count(); ++i) texts.append(results->item(i)->text());
    return texts;
}

// Ctrl+F, the words, Down and Return: the first result added.
void AddBySearch(const char* words) {
    Key(Qt::Key_F, Qt::ControlModifier);
    Type(words);
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
}

class SearchTest : public QObject {
    Q_OBJECT

private slots:
    void CategoryOnTheNinthLevelByKeyboardOnly() {
        EditorFixture f;
        AddDeepTree(f);
        auto form = Shown(f);
        QLineEdit* field = Child<QLineEdit>(form.get(), "EditRecherche");
        QCOMPARE(Child<QTabWidget>(form.get(), "PageControlVente")->currentIndex(), 0);

        Key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(Child<QTabWidget>(form.get(), "PageControlVente")->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), field);
        QVERIFY(Results(form.get())->isHidden());  // no recent category yet

        Type("fond");
        QCOMPARE(Shown(Results(form.get())),
                 QStringList({"Sport > Niveau 2 > Niveau 3 > Niveau 4 > Niveau 5 > Niveau 6 > "
                              "Niveau 7 > Niveau 8 > Tout au fond (#27)"}));
        Key(Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), Results(form.get()));
        Key(Qt::Key_Return);
        QCOMPARE(Entries(form.get()), QStringList({"Tout au fond (#27)"}));
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{27, -1, -1}));
        QCOMPARE(field->text(), QString());
        QCOMPARE(QApplication::focusWidget(), field);
        QVERIFY(form->isVisible());
    }

    void CaseAccentsAndTheOrderOfResults() {
        EditorFixture f;
        AddDeepTree(f);
        auto form = Shown(f);
        Key(Qt::Key_F, Qt::ControlModifier);
        Type("VELO ROUTE");
        QCOMPARE(Shown(Results(form.get())),
                 QStringList({"Sport > Cyclisme > Vélos de route (#3)"}));
        // Own names first, then the categories under a matching name, in the tree's order.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        Type("cycl");
        QCOMPARE(Shown(Results(form.get())), QStringList({"Sport > Cyclisme > Vélos de route (#3)",
                                                          "Sport > Cyclisme > VTT (#4)"}));
        // Return in the field takes the highlighted result; Down twice highlights the second.
        Key(Qt::Key_Down);
        Key(Qt::Key_Down);
        Key(Qt::Key_Return);
        QCOMPARE(Entries(form.get()), QStringList({"VTT (#4)"}));
        // Typing goes on from the list into the field.
        Type("rando");
        Key(Qt::Key_Down);
        Type("n");
        QCOMPARE(Child<QLineEdit>(form.get(), "EditRecherche")->text(), QString("randon"));
        Key(Qt::Key_Return);
        QCOMPARE(Entries(form.get()), QStringList({"VTT (#4)", "Randonnée (#5)"}));
    }

    void FourthAndTwiceAreRefusedSilently() {
        EditorFixture f;
        AddDeepTree(f);
        auto form = Shown(f);
        for (const char* words : {"route", "vtt", "rando", "fond"}) AddBySearch(words);
        AddBySearch("vtt");
        QCOMPARE(Entries(form.get()),
                 QStringList({"Vélos de route (#3)", "VTT (#4)", "Randonnée (#5)"}));
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{3, 4, 5}));
        // Freed by "<< Retirer", the slot takes the next one; one already there is refused.
        Child<QListWidget>(form.get(), "ListBoxSelected")->setCurrentRow(0);
        Click(form.get(), "ButtonSupprimerCategorie");
        AddBySearch("vtt");
        AddBySearch("fond");
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{27, 4, 5}));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void EscapeClosesTheResultsThenCancels() {
        EditorFixture f;
        AddDeepTree(f);
        auto form = Shown(f);
        Key(Qt::Key_F, Qt::ControlModifier);
        Type("niveau");
        Key(Qt::Key_Down);
        Key(Qt::Key_Escape);  // from the list
        QVERIFY(Results(form.get())->isHidden());
        QVERIFY(form->isVisible());
        Type(" 8");
        QVERIFY(!Results(form.get())->isHidden());
        Key(Qt::Key_Escape);  // from the field
        QVERIFY(Results(form.get())->isHidden());
        QVERIFY(form->isVisible());
        Key(Qt::Key_Escape);  // nothing open: "Annuler"
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
    }

    void RecentCategoriesAcrossARestart() {
        EditorFixture f;
        AddDeepTree(f);
        {
            auto form = Shown(f);
            AddBySearch("route");
            AddBySearch("fond");
            Child<QLineEdit>(form.get(), "LabeledEditLibelle")->setText("Vélo");
            Child<QPlainTextEdit>(form.get(), "MemoDescription")->setPlainText("Rouge");
            Child<QLineEdit>(form.get(), "EditPrix")->setText("25");
            f.dialogs.fileAnswers = {f.Picture("velo.jpg", 10, 10, "JPEG")};
            Click(form.get(), "ButtonImage1");
            Click(form.get(), "ButtonValidation");
            QCOMPARE(form->result(), int(QDialog::Accepted));
        }
        // Saved as the lists would have saved them.
        offrel::Table& vente = f.tables.cdsVente;
        vente.First();
        QCOMPARE(vente.FieldByName("Categorie1").AsInteger(), 3);
        QCOMPARE(vente.FieldByName("Categorie2").AsInteger(), 27);
        QVERIFY(vente.FieldByName("Categorie3").IsNull());

        // A later sale: the categories kept last come first.
        offrel::KeepRecentCategories(f.Folder(), {4, -1, -1});
        // The window of the next run: only the file remembers.
        offrel::EditorState nextRun;
        TForm2 form(f.tables, nextRun, f.Folder());
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        Key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(
            Shown(Results(&form)),
            QStringList({"Sport > Cyclisme > VTT (#4)", "Sport > Cyclisme > Vélos de route (#3)",
                         "Sport > Niveau 2 > Niveau 3 > Niveau 4 > Niveau 5 > Niveau 6 > "
                         "Niveau 7 > Niveau 8 > Tout au fond (#27)"}));
        Key(Qt::Key_Down);
        Key(Qt::Key_Down);
        Key(Qt::Key_Return);
        // The copied categories of the first row come first; the recent one is refused twice.
        QCOMPARE(nextRun.CatChoisies, (std::array<std::int32_t, 3>{3, 27, -1}));
        Key(Qt::Key_Return);
        QCOMPARE(nextRun.CatChoisies, (std::array<std::int32_t, 3>{3, 27, 4}));
    }

    void DamagedRecentFileShowsNothing() {
        EditorFixture f;
        AddDeepTree(f);
        QFile file(QDir(f.folder.path()).filePath(offrel::kRecentCategoriesFile));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("3\nVélos\n");
        file.close();
        auto form = Shown(f);
        Key(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(Results(form.get())->isHidden());
        Type("v");
        QVERIFY(!Results(form.get())->isHidden());
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(f.dialogs.errors.isEmpty());
    }
};

}  // namespace

int RunSearchTests(int argc, char** argv) {
    SearchTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SearchTest.moc"
