#pragma once

#include <QWidget>
#include <memory>

#include "tables/ApplicationTables.h"

namespace Ui {
class TForm4;
}

// The debug window: the three tables in editable grids.
class TForm4 : public QWidget {
    Q_OBJECT

public:
    explicit TForm4(offrel::ApplicationTables& tables, QWidget* parent = nullptr);
    ~TForm4() override;

private:
    // A change of the sales made here reaches Ventes.cds at once.
    void SaveSales();

    std::unique_ptr<Ui::TForm4> ui;
    offrel::Table& cdsVente_;
};
