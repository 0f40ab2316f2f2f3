#include "app/SalesListColumns.h"

#include <QHeaderView>
#include <QMenu>
#include <QTableView>

#include "app/SalesListProxy.h"
#include "gui/HandlerConnection.h"
#include "gui/QtText.h"

using offrel::ListColumn;

SalesListColumns::SalesListColumns(QTableView& grid, SalesListProxy& proxy, Settings& settings)
    : QObject(&grid),
      grid_(grid),
      proxy_(proxy),
      settings_(settings),
      choices_(settings.SalesList()),
      menu_(new QMenu(&grid)) {
    QHeaderView* header = grid_.horizontalHeader();
    for (int column = 0; column < offrel::kListColumns; ++column) {
        header->resizeSection(column, choices_.widths[column]);
        header->setSectionHidden(column, !choices_.shown[column]);
        // The designed two always stand.
        if (column <= static_cast<int>(ListColumn::Prix)) continue;
        QAction* action =
            menu_->addAction(FromW1252(offrel::ListColumnTitle(static_cast<ListColumn>(column))));
        action->setObjectName(QStringLiteral("ActionColonne%1").arg(column));
        action->setCheckable(true);
        action->setChecked(choices_.shown[column]);
        ConnectHandler(action, &QAction::toggled, this,
                       [this, column](bool shown) { ColumnToggled(column, shown); });
    }
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicatorClearable(true);
    if (choices_.sort) {
        header->setSortIndicator(static_cast<int>(choices_.sort->column), choices_.sort->descending
                                                                              ? Qt::DescendingOrder
                                                                              : Qt::AscendingOrder);
        proxy_.SetSort(choices_.sort);
    } else {
        header->setSortIndicator(-1, Qt::AscendingOrder);
    }
    ConnectHandler(header, &QHeaderView::sortIndicatorChanged, this,
                   &SalesListColumns::SortIndicatorChanged);
    ConnectHandler(header, &QHeaderView::sectionResized, this, &SalesListColumns::ColumnResized);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    ConnectHandler(header, &QWidget::customContextMenuRequested, this, &SalesListColumns::ShowMenu);
}

void SalesListColumns::SortIndicatorChanged(int column, Qt::SortOrder order) {
    if (column < 0 || column >= offrel::kListColumns)
        choices_.sort.reset();
    else
        choices_.sort =
            offrel::ListSort{static_cast<ListColumn>(column), order == Qt::DescendingOrder};
    proxy_.SetSort(choices_.sort);
    settings_.SetSalesList(choices_);
}

void SalesListColumns::ColumnResized(int column, int, int width) {
    // A hidden column has no width; it keeps the one it had.
    if (column < 0 || column >= offrel::kListColumns || width <= 0) return;
    choices_.widths[column] = width;
    settings_.SetSalesList(choices_);
}

void SalesListColumns::ColumnToggled(int column, bool shown) {
    choices_.shown[column] = shown;
    QHeaderView* header = grid_.horizontalHeader();
    header->setSectionHidden(column, !shown);
    if (shown) header->resizeSection(column, choices_.widths[column]);
    settings_.SetSalesList(choices_);
}

void SalesListColumns::ShowMenu(const QPoint& at) {
    menu_->popup(grid_.horizontalHeader()->viewport()->mapToGlobal(at));
}
