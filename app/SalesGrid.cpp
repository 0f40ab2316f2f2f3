#include "app/SalesGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

SalesGrid::SalesGrid(QWidget* parent) : TableGrid(parent) {}

QList<int> SalesGrid::SelectedRows() const {
    QList<int> rows;
    if (!selectionModel()) return rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row) rows.append(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

std::vector<int> SalesGrid::SelectedSales() const {
    std::vector<int> sales;
    for (int row : SelectedRows()) sales.push_back(TableRow(row));
    std::sort(sales.begin(), sales.end());
    return sales;
}

void SalesGrid::SelectSales(const std::vector<int>& tableRows) {
    std::vector<int> rows;
    for (int tableRow : tableRows)
        if (const int row = GridRow(tableRow); row >= 0) rows.push_back(row);
    const int current = rows.empty() ? -1 : rows.front();
    std::sort(rows.begin(), rows.end());
    // One range for each run of rows that follow each other.
    QItemSelection selection;
    const int lastColumn = model()->columnCount() - 1;
    for (std::size_t start = 0, end = 0; start < rows.size(); start = end) {
        for (end = start + 1; end < rows.size() && rows[end] == rows[end - 1] + 1;) ++end;
        selection.select(model()->index(rows[start], 0), model()->index(rows[end - 1], lastColumn));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    anchor_ = -1;
    if (current >= 0)
        selectionModel()->setCurrentIndex(model()->index(current, 0),
                                          QItemSelectionModel::NoUpdate);
}

QItemSelectionModel::SelectionFlags SalesGrid::selectionCommand(const QModelIndex& index,
                                                                const QEvent* event) const {
    if (!index.isValid() || !event || event->type() != QEvent::MouseButtonPress)
        return QItemSelectionModel::NoUpdate;
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    if (mouse->modifiers() & Qt::ControlModifier)
        return QItemSelectionModel::Toggle | QItemSelectionModel::Rows;
    return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

void SalesGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    anchor_ = -1;  // a Shift extension starts again from the row clicked
    TableGrid::mousePressEvent(event);
}

void SalesGrid::mouseMoveEvent(QMouseEvent* event) {
    // A drag would make the row under the mouse current without selecting it.
    if (event->buttons() != Qt::NoButton) return;
    TableGrid::mouseMoveEvent(event);
}

void SalesGrid::SetRowSelected(int row, bool selected) {
    const QModelIndex cell = model()->index(row, 0);
    selectionModel()->select(
        cell, (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                  QItemSelectionModel::Rows);
}

void SalesGrid::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key != Qt::Key_Up && key != Qt::Key_Down) || !selectionModel()) {
        if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = -1;
        TableGrid::keyPressEvent(event);
        return;
    }
    const int from = currentIndex().row();
    if (!(event->modifiers() & Qt::ShiftModifier)) {
        anchor_ = -1;
        selectionModel()->clearSelection();
        TableGrid::keyPressEvent(event);
        return;
    }
    if (anchor_ < 0 && from >= 0) {
        anchor_ = from;
        SetRowSelected(from, true);
    }
    TableGrid::keyPressEvent(event);
    const int to = currentIndex().row();
    if (to == from || to < 0) return;
    // Moving back towards the anchor gives up the row left; moving away takes the new one.
    if (std::abs(to - anchor_) < std::abs(from - anchor_))
        SetRowSelected(from, false);
    else
        SetRowSelected(to, true);
}
