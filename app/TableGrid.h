#pragma once

#include <QTableView>

class TableModel;

// A grid over a table whose current row is the table's current row, both ways: moving in the
// grid moves the table at once, and a row made current by the program becomes the grid's
// current row when the event loop next runs. That delay keeps a bulk change linear: the grid
// places its rows anew after each insertion, so following every row would be quadratic.
class TableGrid : public QTableView {
    Q_OBJECT

public:
    explicit TableGrid(QWidget* parent = nullptr);
    void setModel(QAbstractItemModel* model) override;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    TableModel* tableModel() const { return tableModel_; }

private:
    void FollowTable();
    void ApplyTableRow();

    TableModel* tableModel_ = nullptr;
    bool following_ = false;
    bool followPending_ = false;
};
