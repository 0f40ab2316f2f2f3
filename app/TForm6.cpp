#include "app/TForm6.h"

#include "gui/Fonts.h"
#include "ui_TForm6.h"

TForm6::TForm6(QWidget* parent) : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TForm6>()) {
    ui->setupUi(this);
    setFont(TahomaFont(11));
}

TForm6::~TForm6() = default;
