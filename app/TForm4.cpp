#include "app/TForm4.h"

#include "app/EditableTableModel.h"
#include "gui/Fonts.h"
#include "gui/HandlerConnection.h"
#include "gui/WindowPlacement.h"
#include "ui_TForm4.h"

TForm4::TForm4(offrel::ApplicationTables& tables, QWidget* parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TForm4>()), cdsVente_(tables.cdsVente) {
    ui->setupUi(this);
    setFont(TahomaFont(11));
    ui->DBGrid1->setModel(new EditableTableModel(tables.cdsCategorie, this));
    ui->DBGrid2->setModel(new EditableTableModel(tables.cdsOption, this));
    auto* sales = new EditableTableModel(tables.cdsVente, this);
    ui->DBGrid3->setModel(sales);
    ConnectHandler(sales, &EditableTableModel::edited, this, &TForm4::SaveSales);
    ui->Splitters->setSizes({120, 120, height() - 246});
    PlaceTopLeft(this);
}

TForm4::~TForm4() = default;

void TForm4::SaveSales() {
    cdsVente_.Save();
}
