#pragma once

#include <QAbstractTableModel>

#include "tables/Table.h"

// The rows of a table for the views, following the table's change notifications: each posted
// row shows at once. While the table's controls are disabled the views keep the row count they
// knew, and the outermost EnableControls rereads everything.
class TableModel : public QAbstractTableModel, public offrel::TableListener {
    Q_OBJECT

public:
    explicit TableModel(offrel::Table& table, QObject* parent = nullptr);
    ~TableModel() override;

    offrel::Table& table() const { return table_; }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;

    void RowAboutToBeInserted(int position) override;
    void RowInserted(int position) override;
    void RowAboutToBeDeleted(int position) override;
    void RowDeleted(int position) override;
    void RowChanged(int position) override;
    void AboutToReset() override;
    void Reset() override;
    void CurrentRowChanged(int position) override;
    void ControlsDisabled() override;
    void ControlsEnabled() override;

signals:
    // The table's current row moved (by the program, not by the view).
    void currentRowMoved(int position);

protected:
    // The value of a cell, empty for a row the table no longer has (while controls are disabled).
    offrel::Value CellValue(int row, int column) const;

private:
    offrel::Table& table_;
    int rows_;
};
