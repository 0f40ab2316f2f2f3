#include "app/TForm3.h"

#include <QCoreApplication>

#include "gui/Dialogs.h"
#include "gui/EventLoopWait.h"
#include "gui/Fonts.h"
#include "gui/QtText.h"
#include "gui/WindowPlacement.h"
#include "ui_TForm3.h"

namespace {

// Each step of the bar is cut into this many parts, for the downloads to move it.
constexpr int kPartsPerStep = 100;

}  // namespace

TForm3::TForm3(offrel::ApplicationTables& tables, std::string dataDir, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::TForm3>()),
      wait_(std::make_unique<EventLoopWait>()),
      tables_(tables),
      dataDir_(std::move(dataDir)),
      mainWindow_(mainWindow) {
    ui->setupUi(this);
    setFont(TahomaFont(11));
    setFixedSize(300, 69);
    QProgressBar* bar = ui->ProgressBarMAJ;
    bar->setMaximum(bar->maximum() * kPartsPerStep);
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
    stepsDone_ = std::min(stepsDone_ + 1, bar->maximum() / kPartsPerStep);
    bar->setValue(stepsDone_ * kPartsPerStep);
}

void TForm3::ShowDownload(std::uint64_t received, std::uint64_t total) {
    if (total == 0) return;
    const auto part = static_cast<int>(std::min(received, total) * kPartsPerStep / total);
    QProgressBar* bar = ui->ProgressBarMAJ;
    // Never back: the connection test's answer has filled part of the step already.
    bar->setValue(
        std::max(bar->value(), std::min(stepsDone_ * kPartsPerStep + part, bar->maximum())));
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

offrel::RequestWait& TForm3::Waiting() {
    return *wait_;
}
