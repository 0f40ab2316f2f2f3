#include <QMimeData>
#include <QtTest>

#include "base/Conversions.h"
#include "base/Windows1252.h"
#include "editor/PhotoSlots.h"
#include "tests/editor/EditorFixture.h"
#include "tests/editor/Suites.h"

namespace {

QLabel* Image(QWidget* form, int slot) {
    return Child<QLabel>(form, qPrintable(QString("Image%1").arg(slot)));
}

int ShownWidth(QWidget* form, int slot) {
    return Image(form, slot)->pixmap().width();
}

// A preview dragged and dropped on another, as Qt delivers it: whether the drop was taken.
bool DragPreview(QWidget* form, int from, int to) {
    const std::unique_ptr<QMimeData> data(PhotoSlots::DragData(from));
    const QPoint inside(30, 30);
    QDragEnterEvent enter(inside, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Image(form, to), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(inside), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Image(form, to), &drop);
    return drop.isAccepted();
}

std::array<std::string, 8> Column(offrel::Table& t) {
    std::array<std::string, 8> paths;
    for (int k = 0; k < 8; ++k) {
        const offrel::Field field = t.FieldByName("Photo" + std::to_string(k + 1));
        paths[k] = field.IsNull() ? "(vide)" : field.AsString();
    }
    return paths;
}

class PhotoReorderTest : public QObject {
    Q_OBJECT

    // A sale to change with photos a, b, c in slots 1 to 3, told apart by their widths (40, 50
    // and 60 pixels); their stored paths returned.
    static QStringList SaleWithThreePhotos(EditorFixture& f) {
        f.AddCategoryTree();
        QStringList photos;
        for (const char* name : {"a", "b", "c"})
            photos.append(
                f.Picture(QString("%1.jpg").arg(name), 40 + 10 * photos.size(), 30, "JPEG"));
        f.AddSale([&](offrel::Table& t) {
            t.FieldByName("Libelle").SetAsString("Vase");
            t.FieldByName("Description").SetAsString("Bleu");
            t.FieldByName("Prix").SetAsCurrency(offrel::StrToCurr("3"));
            t.FieldByName("TypeVente").SetAsInteger(2);
            t.FieldByName("Quantite").SetAsInteger(1);
            t.FieldByName("Categorie1").SetAsInteger(10);
            for (int k = 0; k < 3; ++k)
                t.FieldByName("Photo" + std::to_string(k + 1)).SetAsString(ToW1252(photos[k]));
        });
        return photos;
    }

private slots:
    // Dragged previews move their photos, previews with them; the saved sale holds the new
    // order, and the slot a move emptied comes back empty, not with its old photo.
    void ReorderedByMouseSavedAndReopened() {
        EditorFixture f;
        const QStringList p = SaleWithThreePhotos(f);
        auto form = f.Open(true);
        QVERIFY(DragPreview(form.get(), 3, 1));
        QCOMPARE(ShownWidth(form.get(), 1), 60);
        QCOMPARE(ShownWidth(form.get(), 2), 40);
        QVERIFY(DragPreview(form.get(), 2, 4));  // a, past the free slot
        // Onto itself, or an empty slot dragged: nothing moves.
        QVERIFY(!DragPreview(form.get(), 2, 2));
        QVERIFY(DragPreview(form.get(), 6, 1));
        QCOMPARE(ShownWidth(form.get(), 1), 60);
        QCOMPARE(ShownWidth(form.get(), 3), 0);
        QCOMPARE(ShownWidth(form.get(), 4), 40);

        Click(form.get(), "ButtonValidation");
        QVERIFY(f.dialogs.messages.isEmpty());
        const std::string empty = "(vide)";
        const std::array<std::string, 8> saved{ToW1252(p[2]), ToW1252(p[1]), empty, ToW1252(p[0]),
                                               empty,         empty,         empty, empty};
        QVERIFY(Column(f.tables.cdsVente) == saved);
        auto again = f.Open(true);
        QCOMPARE(f.state.FichiersPhoto[0], ToW1252(p[2]));
        QVERIFY(f.state.FichiersPhoto[2].empty());
        QCOMPARE(ShownWidth(again.get(), 4), 40);
    }

    // Files dropped on a preview are not a move: they still fill the free slots in order.
    void FilesDroppedOnAPreviewGoToTheFreeSlots() {
        EditorFixture f;
        const QStringList p = SaleWithThreePhotos(f);
        auto form = f.Open(true);
        const QString d = f.Picture("d.jpg", 70, 30, "JPEG");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(d)});
        // The preview lets the drag go on to the page, which the drop then goes to.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Image(form.get(), 1), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Child<QWidget>(form.get(), "TabSheet4"), &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(f.state.FichiersPhoto[0], ToW1252(p[0]));
        QCOMPARE(f.state.FichiersPhoto[3], ToW1252(d));
    }

    // Ctrl+Left / Ctrl+Right move the focused preview's photo one slot, the focus with it, and
    // stop at the ends; the order is saved.
    void ReorderedByKeyboardSavedAndReopened() {
        EditorFixture f;
        const QStringList p = SaleWithThreePhotos(f);
        auto form = f.Open(true);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        Child<QTabWidget>(form.get(), "PageControlVente")->setCurrentIndex(3);
        Image(form.get(), 1)->setFocus();
        QTest::keyClick(Image(form.get(), 1), Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(f.state.FichiersPhoto[0], ToW1252(p[0]));
        QTest::keyClick(Image(form.get(), 1), Qt::Key_Right, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), Image(form.get(), 3));
        // The showing decoded the previews again: one moved while coming lands where it went.
        QVERIFY(PreviewsIn(form.get()));
        QCOMPARE(ShownWidth(form.get(), 3), 40);
        // A free slot has nothing to move.
        Image(form.get(), 5)->setFocus();
        QTest::keyClick(Image(form.get(), 5), Qt::Key_Left, Qt::ControlModifier);
        QVERIFY(f.state.FichiersPhoto[3].empty());

        Click(form.get(), "ButtonValidation");
        QVERIFY(f.dialogs.messages.isEmpty());
        auto again = f.Open(true);
        const std::array<std::string, 8> reopened{ToW1252(p[1]), ToW1252(p[2]), ToW1252(p[0])};
        QVERIFY(f.state.FichiersPhoto == reopened);
    }
};

}  // namespace

int RunPhotoReorderTests(int argc, char** argv) {
    PhotoReorderTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PhotoReorderTest.moc"
