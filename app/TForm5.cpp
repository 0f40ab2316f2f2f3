#include "app/TForm5.h"

#include <QCoreApplication>

#include "app/Dialogs.h"
#include "app/Fonts.h"
#include "app/PasswordStyle.h"
#include "app/QtText.h"
#include "ui_TForm5.h"

TForm5::TForm5(offrel::Table& cdsVente, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::TForm5>()),
      passwordStyle_(std::make_unique<PasswordStyle>()),
      cdsVente_(cdsVente) {
    ui->setupUi(this);
    setFont(TahomaFont(11));
    setFixedSize(294, 153);
    ui->EditPassword->setStyle(passwordStyle_.get());
    connect(ui->EditLogin, &QLineEdit::textChanged, this, &TForm5::EditLoginChange);
    connect(ui->EditPassword, &QLineEdit::textChanged, this, &TForm5::EditPasswordChange);
    connect(ui->ButtonEnvoi, &QPushButton::clicked, this, &TForm5::ButtonEnvoiClick);
}

TForm5::~TForm5() = default;

void TForm5::EditLoginChange() {
    ui->EditPassword->setEnabled(true);
}

void TForm5::EditPasswordChange() {
    ui->ButtonEnvoi->setEnabled(true);
}

void TForm5::ButtonEnvoiClick() {
    offrel::RunSalesUpload(cdsVente_, ToW1252(ui->EditLogin->text()),
                           ToW1252(ui->EditPassword->text()), *this);
}

void TForm5::SetStartEnabled(bool enabled) {
    ui->ButtonEnvoi->setEnabled(enabled);
}

void TForm5::SetProgressMax(int maximum) {
    ui->ProgressBarEnvoi->setMaximum(maximum);
}

void TForm5::StepProgress() {
    // The position is kept from one run to the next and wraps round past the maximum.
    QProgressBar* bar = ui->ProgressBarEnvoi;
    int next = std::max(bar->value(), bar->minimum()) + 1;
    if (next > bar->maximum()) next = bar->minimum() + 1;
    bar->setValue(std::min(next, bar->maximum()));
}

void TForm5::SetStatusText(const std::string& text) {
    ui->LabelEnvoi->setText(FromW1252(text));
}

void TForm5::Repaint() {
    repaint();
}

void TForm5::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

void TForm5::ShowMessage(const std::string& text) {
    Dialogs::Get().Message(this, FromW1252(text));
}

bool TForm5::ConfirmSendAgain(const std::string& question) {
    return Dialogs::Get().ConfirmDefaultNo(this, FromW1252(question));
}

void TForm5::Close() {
    done(QDialog::Accepted);
}
