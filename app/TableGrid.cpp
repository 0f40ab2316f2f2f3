#include "app/TableGrid.h"

#include <QHeaderView>

#include "app/TableModel.h"
#include "gui/HandlerConnection.h"

TableGrid::TableGrid(QWidget* parent) : QTableView(parent) {
    // One line of Tahoma 11 pixels per row; fixed heights keep the layout of many rows cheap.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setMinimumWidth(12);
}

void TableGrid::setModel(QAbstractItemModel* model) {
    if (tableModel_) disconnect(tableModel_, nullptr, this, nullptr);
    QTableView::setModel(model);
    tableModel_ = qobject_cast<TableModel*>(model);
    if (tableModel_) {
        ConnectHandler(tableModel_, &TableModel::currentRowMoved, this, &TableGrid::FollowTable);
        ApplyTableRow();
    }
}

void TableGrid::FollowTable() {
    if (followPending_) return;
    followPending_ = true;
    QMetaObject::invokeMethod(this, &TableGrid::ApplyTableRow, Qt::QueuedConnection);
}

void TableGrid::ApplyTableRow() {
    followPending_ = false;
    if (!tableModel_ || !selectionModel()) return;
    const int position = tableModel_->table().RecNo();
    if (position < 0 || position >= model()->rowCount()) return;
    if (currentIndex().row() == position) return;
    following_ = true;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    selectionModel()->setCurrentIndex(model()->index(position, column),
                                      QItemSelectionModel::NoUpdate);
    following_ = false;
}

void TableGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (following_ || !tableModel_ || !current.isValid()) return;
    offrel::Table& table = tableModel_->table();
    if (table.State() == offrel::TableState::Browse && table.RecNo() != current.row())
        table.MoveTo(current.row());
}
