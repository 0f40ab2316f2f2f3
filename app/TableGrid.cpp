#include "app/TableGrid.h"

#include <QAbstractProxyModel>
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
    if (proxy_) disconnect(proxy_, nullptr, this, nullptr);
    QTableView::setModel(model);
    proxy_ = qobject_cast<QAbstractProxyModel*>(model);
    tableModel_ = qobject_cast<TableModel*>(proxy_ ? proxy_->sourceModel() : model);
    if (tableModel_) {
        ConnectHandler(tableModel_, &TableModel::currentRowMoved, this, &TableGrid::FollowTable);
        // A row hidden or shown again, or the rows ordered anew.
        if (proxy_)
            ConnectHandler(proxy_, &QAbstractItemModel::layoutChanged, this,
                           &TableGrid::FollowTable);
        ApplyTableRow();
    }
}

int TableGrid::TableRow(int gridRow) const {
    if (!proxy_) return gridRow;
    return proxy_->mapToSource(proxy_->index(gridRow, 0)).row();
}

int TableGrid::GridRow(int tableRow) const {
    if (!proxy_) return tableRow;
    return proxy_->mapFromSource(tableModel_->index(tableRow, 0)).row();
}

void TableGrid::FollowTable() {
    if (followPending_) return;
    followPending_ = true;
    QMetaObject::invokeMethod(this, &TableGrid::ApplyTableRow, Qt::QueuedConnection);
}

void TableGrid::ApplyTableRow() {
    followPending_ = false;
    if (!tableModel_ || !selectionModel()) return;
    const int table = tableModel_->table().RecNo();
    if (table < 0 || table >= tableModel_->rowCount()) return;
    const int position = GridRow(table);
    if (position < 0 || currentIndex().row() == position) return;
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
    const int row = TableRow(current.row());
    if (table.State() == offrel::TableState::Browse && row >= 0 && table.RecNo() != row)
        table.MoveTo(row);
}
