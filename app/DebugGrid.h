#pragma once

#include "app/TableGrid.h"

// A grid of the debug window: every column, editing in place, Delete removes the current row
// after a confirmation.
class DebugGrid : public TableGrid {
    Q_OBJECT

public:
    explicit DebugGrid(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
