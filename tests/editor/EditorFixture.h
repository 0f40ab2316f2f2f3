#pragma once

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "editor/PreviewDecoding.h"
#include "editor/TForm2.h"
#include "gui/QtText.h"
#include "tests/common/ScriptedDialogs.h"
#include "tests/sale/SaleTables.h"

// The sale tables of the core tests, answered dialogs, and helpers to open an editor and to
// make pictures.
// Waits until the previews a window asked for are in: they decode off its thread, and come
// through its event queue. False when they did not come in time.
inline bool PreviewsIn(QWidget* form) {
    const auto* previews = form->findChild<PreviewDecoding*>();
    return !previews || QTest::qWaitFor([previews] { return previews->Idle(); }, 20000);
}

struct EditorFixture : offrel::testing::SaleTables {
    ScriptedDialogs dialogs;
    QTemporaryDir folder;

    std::unique_ptr<TForm2> Open(bool modification) {
        state.ModeModification = modification;
        auto form = std::make_unique<TForm2>(tables, state, Folder());
        form->FormShow();
        if (!PreviewsIn(form.get())) qFatal("the previews did not come");
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

// The click, and the previews it asked for.
inline void Click(QWidget* form, const char* button) {
    Child<QPushButton>(form, button)->click();
    if (!PreviewsIn(form)) qFatal("the previews did not come");
}

inline QStringList Entries(QWidget* form) {
    QStringList texts;
    QListWidget* list = Child<QListWidget>(form, "ListBoxSelected");
    for (int i = 0; i < list->count(); ++i) texts.append(list->item(i)->text());
    return texts;
}
