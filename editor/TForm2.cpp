#include "editor/TForm2.h"

#include "ui_TForm2.h"

TForm2::TForm2(offrel::ApplicationTables& tables, EditorState& state, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm2>()), tables_(tables), state_(state) {
    ui->setupUi(this);
}

TForm2::~TForm2() = default;
