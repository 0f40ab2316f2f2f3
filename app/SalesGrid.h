#pragma once

#include <vector>

#include "app/TableGrid.h"

// DBGridVente's selection rules: a click makes the row current and the only selected one;
// Ctrl+click makes it current and toggles it; Shift with the arrow keys extends the selection
// row by row from the row clicked or moved to last; the arrow keys alone move the current row and
// clear the selection. Other buttons and drags with the mouse change neither.
class SalesGrid : public TableGrid {
    Q_OBJECT

public:
    explicit SalesGrid(QWidget* parent = nullptr);

    // The selected rows, in ascending order.
    QList<int> SelectedRows() const;
    // The table rows of the selected rows, in ascending order.
    std::vector<int> SelectedSales() const;
    // Selects the rows showing those table rows (the hidden ones stay unselected) and makes the
    // first one shown current.
    void SelectSales(const std::vector<int>& tableRows);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void SetRowSelected(int row, bool selected);

    int anchor_ = -1;  // where the Shift extension started; -1 when none is under way
};
