#pragma once

#include "app/TableModel.h"

// Every column of a table in table order, editable in place through the table's Edit and Post;
// used by the debug window.
class EditableTableModel : public TableModel {
    Q_OBJECT

public:
    explicit EditableTableModel(offrel::Table& table, QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An empty text clears the value; a text that does not convert leaves the row unchanged and
    // is reported in the error box.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    void DeleteRow(int row);

signals:
    // A row was changed or deleted from the debug window.
    void edited();
};
