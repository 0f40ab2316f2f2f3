#pragma once

#include <QTableView>

class QAbstractProxyModel;
class TableModel;

// A grid over a table whose current row is the table's current row, both ways: moving in the
// grid moves the table at once, and a row made current by the program becomes the grid's
// current row when the event loop next runs. That delay keeps a bulk change linear: the grid
// places its rows anew after each insertion, so following every row would be quadratic.
// The grid may show the table through a proxy that hides or orders its rows; a row the proxy
// hides never becomes the grid's current row.
class TableGrid : public QTableView {
    Q_OBJECT

public:
    explicit TableGrid(QWidget* parent = nullptr);
    void setModel(QAbstractItemModel* model) override;

    // The table row shown in a row of the grid, and the row of the grid showing a table row
    // (-1 when hidden).
    int TableRow(int gridRow) const;
    int GridRow(int tableRow) const;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    TableModel* tableModel() const { return tableModel_; }

private:
    void FollowTable();
    void ApplyTableRow();

    TableModel* tableModel_ = nullptr;
    QAbstractProxyModel* proxy_ = nullptr;
    bool following_ = false;
    bool followPending_ = false;
};
