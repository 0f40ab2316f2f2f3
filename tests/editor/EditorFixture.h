#pragma once

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

#include "app/QtText.h"
#include "editor/EditorState.h"
#include "editor/TForm2.h"
#include "tables/ApplicationTables.h"
#include "tables/Conversions.h"
#include "tests/common/ScriptedDialogs.h"

// The three tables emptied, the decimal separator of the catalogue import, answered dialogs,
// and helpers to fill the catalogue and open an editor.
struct EditorFixture {
    offrel::ApplicationTables tables;
    EditorState state;
    ScriptedDialogs dialogs;
    QTemporaryDir folder;

    EditorFixture() {
        offrel::SetDecimalSeparator('.');
        for (offrel::Table* table : {&tables.cdsVente, &tables.cdsOption, &tables.cdsCategorie}) {
            table->Open();
            table->EmptyDataSet();
        }
    }

    void AddOption(const char* libelle, const char* prix, const char* prixBoutique = "0.1") {
        offrel::Table& t = tables.cdsOption;
        t.Append();
        t.FieldByName("Libelle").SetAsString(offrel::W(libelle));
        if (*prix) t.FieldByName("Prix").SetAsCurrency(offrel::StrToCurr(prix));
        t.FieldByName("PrixBoutique").SetAsCurrency(offrel::StrToCurr(prixBoutique));
        t.Post();
    }

    void AddCategory(int id, int parentId, const char* libelle) {
        offrel::Table& t = tables.cdsCategorie;
        t.Append();
        t.FieldByName("ID").SetAsInteger(id);
        t.FieldByName("ParentID").SetAsInteger(parentId);
        t.FieldByName("Libelle").SetAsString(offrel::W(libelle));
        t.Post();
    }

    // A small tree. The first row names a parent but is still a top-level category.
    void AddCategoryTree() {
        AddCategory(1, 2, "Premier");
        AddCategory(2, 0, "Maison");
        AddCategory(3, 0, "Jardin");
        AddCategory(10, 2, "Cuisine");
        AddCategory(11, 2, "Salon");
        AddCategory(20, 11, "Canapés");
        AddCategory(21, 11, "Tables");
        AddCategory(50, 3, "Outils");
        AddCategory(51, 3, "Plantes");
        AddCategory(60, 51, "Arbres");
    }

    // A row of cdsVente with the given fields, appended and posted.
    template <class Fill>
    void AddSale(Fill fill) {
        offrel::Table& t = tables.cdsVente;
        t.Append();
        fill(t);
        t.Post();
    }

    std::unique_ptr<TForm2> Open(bool modification) {
        state.ModeModification = modification;
        auto form = std::make_unique<TForm2>(tables, state, Folder());
        form->FormShow();
        return form;
    }

    // The data folder of the recent categories, in file-system bytes.
    std::string Folder() const { return QFile::encodeName(folder.path()).toStdString(); }

    // A picture file of that size and format in the temporary folder.
    QString Picture(const QString& name, int width, int height, const char* format) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::blue);
        const QString path = folder.filePath(name);
        image.save(path, format);
        return path;
    }
};

template <class T>
T* Child(QWidget* form, const char* name) {
    T* child = form->findChild<T*>(name);
    if (!child) qFatal("no control %s", name);
    return child;
}

inline QString Text(QWidget* form, const char* name) {
    if (auto* edit = form->findChild<QLineEdit*>(name)) return edit->text();
    return Child<QLabel>(form, name)->text();
}

// The seller's choice of an item in a drop-down list.
inline void Choose(QWidget* form, const char* list, int index) {
    QComboBox* box = Child<QComboBox>(form, list);
    box->setCurrentIndex(index);
    emit box->activated(index);
}

inline void Click(QWidget* form, const char* button) {
    Child<QPushButton>(form, button)->click();
}

inline QStringList Entries(QWidget* form) {
    QStringList texts;
    QListWidget* list = Child<QListWidget>(form, "ListBoxSelected");
    for (int i = 0; i < list->count(); ++i) texts.append(list->item(i)->text());
    return texts;
}
