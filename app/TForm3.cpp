#include "app/TForm3.h"

#include <QCoreApplication>

#include "gui/Dialogs.h"
#include "gui/Fonts.h"
#include "gui/QtText.h"
#include "gui/WindowPlacement.h"
#include "ui_TForm3.h"

TForm3::TForm3(offrel::ApplicationTables& tables, std::string dataDir, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::TForm3>()),
      tables_(tables),
      dataDir_(std::move(dataDir)),
      mainWindow_(mainWindow) {
    ui->setupUi(this);
    setFont(TahomaFont(11));
    setFixedSize(300, 69);
}

TForm3::~TForm3() = default;

void TForm3::FormCreate() {
    offrel::RunCatalogueRefresh(tables_, dataDir_, *this);
}

void TForm3::Show() {
    CenterOnScreen(this);
    show();
}

void TForm3::Hide() {
    hide();
}

void TForm3::SetStepText(const std::string& text) {
    ui->LabelMAJ->setText(FromW1252(text));
}

void TForm3::StepProgress() {
    QProgressBar* bar = ui->ProgressBarMAJ;
    bar->setValue(std::min(bar->value() + 1, bar->maximum()));
}

void TForm3::Repaint() {
    repaint();
}

void TForm3::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

void TForm3::ShowMessage(const std::string& text) {
    Dialogs::Get().Message(this, FromW1252(text));
}

void TForm3::CloseMainWindow() {
    hide();
    mainWindow_->close();
}
