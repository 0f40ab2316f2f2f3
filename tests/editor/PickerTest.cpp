#include <QtTest>

#include "tests/editor/EditorFixture.h"
#include "tests/editor/Suites.h"

namespace {

class PickerTest : public QObject {
    Q_OBJECT

private slots:
    void CascadeShowsOnlyWhatIsChosen() {
        EditorFixture f;
        f.AddCategoryTree();
        auto form = f.Open(false);
        QComboBox* top = Child<QComboBox>(form.get(), "CatCbx0");
        // The first row leads the top level whatever its ParentID, and no sub-list shows it.
        QCOMPARE(top->count(), 3);
        QCOMPARE(top->itemText(0), QString("Premier"));
        QCOMPARE(top->itemText(2), QString("Jardin"));
        QCOMPARE(top->currentIndex(), -1);
        for (const char* name : {"CatCbx1", "CatCbx2", "CatCbx6"})
            QVERIFY(Child<QComboBox>(form.get(), name)->isHidden());

        Choose(form.get(), "CatCbx0", 1);  // Maison
        QComboBox* second = Child<QComboBox>(form.get(), "CatCbx1");
        QVERIFY(!second->isHidden());
        QCOMPARE(second->count(), 2);
        QCOMPARE(second->itemText(0), QString("Cuisine"));
        QCOMPARE(second->currentIndex(), -1);
        QCOMPARE(f.state.CatIds[1], (std::vector<std::int32_t>{10, 11}));

        Choose(form.get(), "CatCbx1", 1);  // Salon has children
        QVERIFY(!Child<QComboBox>(form.get(), "CatCbx2")->isHidden());
        // Nothing chosen in the deepest list: adding refuses even though Salon is chosen.
        Click(form.get(), "ButtonAjoutCategorie");
        QVERIFY(Entries(form.get()).isEmpty());

        // Going back up hides every deeper list; a leaf shows no next list.
        Choose(form.get(), "CatCbx0", 0);  // Premier has no child row
        QVERIFY(second->isHidden());
        QVERIFY(Child<QComboBox>(form.get(), "CatCbx2")->isHidden());
        // A top-level category is never added.
        Click(form.get(), "ButtonAjoutCategorie");
        QVERIFY(Entries(form.get()).isEmpty());
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{-1, -1, -1}));
    }

    void SlotsFollowAddAndRemove() {
        EditorFixture f;
        f.AddCategoryTree();
        auto form = f.Open(false);
        auto add = [&](int top, int second, int third = -1) {
            Choose(form.get(), "CatCbx0", top);
            Choose(form.get(), "CatCbx1", second);
            if (third >= 0) Choose(form.get(), "CatCbx2", third);
            Click(form.get(), "ButtonAjoutCategorie");
        };
        add(1, 0);     // A Cuisine
        add(1, 1, 0);  // B Canapés
        add(2, 0);     // C Outils
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{10, 20, 50}));
        add(1, 1, 1);  // a fourth is refused
        add(2, 0);     // and so is one already chosen
        QCOMPARE(Entries(form.get()).size(), 3);

        QListWidget* list = Child<QListWidget>(form.get(), "ListBoxSelected");
        list->clearSelection();
        list->setCurrentRow(-1);
        Click(form.get(), "ButtonSupprimerCategorie");  // nothing selected: nothing removed
        QCOMPARE(list->count(), 3);

        list->setCurrentRow(0);  // remove A
        Click(form.get(), "ButtonSupprimerCategorie");
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{0, 20, 50}));
        add(1, 1, 1);  // D Tables goes into the freed slot 1 and is listed last
        QCOMPARE(Entries(form.get()),
                 QStringList({"Canapés (#20)", "Outils (#50)", "Tables (#21)"}));
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{21, 20, 50}));
        list->setCurrentRow(0);  // remove B: slot 2 freed, D stays in slot 1
        Click(form.get(), "ButtonSupprimerCategorie");
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{21, 0, 50}));
        QCOMPARE(Entries(form.get()), QStringList({"Outils (#50)", "Tables (#21)"}));
    }

    // Adding keeps the seller's selection in the list: "<< Retirer" right after removes the entry
    // that was selected, and only that one.
    void RemoveRightAfterAddRemovesTheSelectedEntry() {
        EditorFixture f;
        f.AddCategoryTree();
        auto form = f.Open(false);
        QListWidget* list = Child<QListWidget>(form.get(), "ListBoxSelected");
        Choose(form.get(), "CatCbx0", 1);
        Choose(form.get(), "CatCbx1", 0);
        Click(form.get(), "ButtonAjoutCategorie");  // Cuisine
        list->setCurrentRow(0);
        Choose(form.get(), "CatCbx0", 2);
        Choose(form.get(), "CatCbx1", 0);
        Click(form.get(), "ButtonAjoutCategorie");  // Outils
        Click(form.get(), "ButtonSupprimerCategorie");
        QCOMPARE(Entries(form.get()), QStringList({"Outils (#50)"}));
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{0, 50, -1}));
        Click(form.get(), "ButtonSupprimerCategorie");
        QCOMPARE(Entries(form.get()), QStringList({"Outils (#50)"}));
    }

    void RestoresKeepTheirOrders() {
        EditorFixture f;
        f.AddCategoryTree();
        auto sale = [](offrel::Table& t) {
            t.FieldByName("Categorie1").SetAsInteger(50);
            t.FieldByName("Categorie2").SetAsInteger(10);
            t.FieldByName("Categorie3").SetAsInteger(1);  // the first row is never found
        };
        f.AddSale(sale);
        {
            auto form = f.Open(false);  // three passes: field order
            QCOMPARE(Entries(form.get()), QStringList({"Outils (#50)", "Cuisine (#10)"}));
            QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{50, 10, -1}));
        }
        auto form = f.Open(true);  // one pass: order of cdsCategorie
        QCOMPARE(Entries(form.get()), QStringList({"Cuisine (#10)", "Outils (#50)"}));
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{50, 10, -1}));
        Child<QListWidget>(form.get(), "ListBoxSelected")->setCurrentRow(0);
        Click(form.get(), "ButtonSupprimerCategorie");
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{50, 0, -1}));
        // The restore leaves the cascade reset with the top level filled.
        QCOMPARE(Child<QComboBox>(form.get(), "CatCbx0")->count(), 3);
    }

    void RestoreWithAnEmptyFirstField() {
        EditorFixture f;
        f.AddCategoryTree();
        f.AddSale([](offrel::Table& t) {
            t.FieldByName("Categorie2").SetAsInteger(21);
            t.FieldByName("Categorie3").SetAsInteger(21);
        });
        auto form = f.Open(true);
        QCOMPARE(Entries(form.get()), QStringList({"Tables (#21)", "Tables (#21)"}));
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{-1, 21, 21}));
        Choose(form.get(), "CatCbx0", 2);
        Choose(form.get(), "CatCbx1", 0);
        Click(form.get(), "ButtonAjoutCategorie");
        QCOMPARE(f.state.CatChoisies, (std::array<std::int32_t, 3>{50, 21, 21}));
    }
};

}  // namespace

int RunPickerTests(int argc, char** argv) {
    PickerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PickerTest.moc"
