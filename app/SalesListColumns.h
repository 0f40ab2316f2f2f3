#pragma once

#include <QObject>

#include "app/Settings.h"

class QAction;
class QMenu;
class QTableView;
class SalesListProxy;

// The title row of the list of sales. A click on a column's title sorts the list by it, a second
// click reverses the order, a third gives back the table's order. Its context menu shows or hides
// the columns beyond the designed two. The columns shown, their widths and the sort come from the
// settings and go back to them at each change.
class SalesListColumns : public QObject {
    Q_OBJECT

public:
    SalesListColumns(QTableView& grid, SalesListProxy& proxy, Settings& settings);

    // The title row's context menu: one checkable entry for each column that may be shown.
    QMenu& ColumnsMenu() { return *menu_; }

private:
    void SortIndicatorChanged(int column, Qt::SortOrder order);
    void ColumnResized(int column, int oldWidth, int width);
    void ColumnToggled(int column, bool shown);
    void ShowMenu(const QPoint& at);

    QTableView& grid_;
    SalesListProxy& proxy_;
    Settings& settings_;
    SalesListChoices choices_;
    QMenu* menu_;
};
