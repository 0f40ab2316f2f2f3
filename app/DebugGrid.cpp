#include "app/DebugGrid.h"

#include <QKeyEvent>

#include "app/EditableTableModel.h"
#include "gui/Dialogs.h"

DebugGrid::DebugGrid(QWidget* parent) : TableGrid(parent) {}

void DebugGrid::keyPressEvent(QKeyEvent* event) {
    auto* rows = qobject_cast<EditableTableModel*>(model());
    if (event->key() != Qt::Key_Delete || !rows || state() == QAbstractItemView::EditingState) {
        TableGrid::keyPressEvent(event);
        return;
    }
    const int row = currentIndex().row();
    if (row < 0) return;
    if (Dialogs::Get().Confirm(this, QStringLiteral("Supprimer l'enregistrement ?")))
        rows->DeleteRow(row);
}
