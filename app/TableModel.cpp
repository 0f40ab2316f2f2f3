#include "app/TableModel.h"

TableModel::TableModel(offrel::Table& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), rows_(table.RecordCount()) {
    table_.AddListener(this);
}

TableModel::~TableModel() {
    table_.RemoveListener(this);
}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

offrel::Value TableModel::CellValue(int row, int column) const {
    if (row < 0 || row >= table_.RecordCount()) return {};
    return table_.ValueAt(row, column);
}

void TableModel::RowAboutToBeInserted(int position) {
    beginInsertRows(QModelIndex(), position, position);
}

void TableModel::RowInserted(int) {
    ++rows_;
    endInsertRows();
}

void TableModel::RowAboutToBeDeleted(int position) {
    beginRemoveRows(QModelIndex(), position, position);
}

void TableModel::RowDeleted(int) {
    --rows_;
    endRemoveRows();
}

void TableModel::RowChanged(int position) {
    emit dataChanged(index(position, 0), index(position, columnCount() - 1));
}

void TableModel::AboutToReset() {
    beginResetModel();
}

void TableModel::Reset() {
    rows_ = table_.RecordCount();
    endResetModel();
}

void TableModel::CurrentRowChanged(int position) {
    emit currentRowMoved(position);
}

void TableModel::ControlsDisabled() {}

void TableModel::ControlsEnabled() {
    beginResetModel();
    rows_ = table_.RecordCount();
    endResetModel();
    emit currentRowMoved(table_.RecNo());
}
