#include "app/TForm5.h"

#include <QCoreApplication>
#include <QShowEvent>

#include "app/PasswordStyle.h"
#include "gui/Dialogs.h"
#include "gui/Fonts.h"
#include "gui/HandlerConnection.h"
#include "gui/QtText.h"
#include "sale/BatchCost.h"
#include "ui_TForm5.h"

TForm5::TForm5(offrel::Table& cdsVente, offrel::Table& cdsOption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::TForm5>()),
      passwordStyle_(std::make_unique<PasswordStyle>()),
      cdsVente_(cdsVente),
      cdsOption_(cdsOption) {
    ui->setupUi(this);
    setFont(TahomaFont(11));
    setFixedSize(294, 153);
    ui->EditPassword->setStyle(passwordStyle_.get());
    ConnectHandler(ui->EditLogin, &QLineEdit::textChanged, this, &TForm5::EditLoginChange);
    ConnectHandler(ui->EditPassword, &QLineEdit::textChanged, this, &TForm5::EditPasswordChange);
    ConnectHandler(ui->ButtonEnvoi, &QPushButton::clicked, this, &TForm5::ButtonEnvoiClick);
}

TForm5::~TForm5() = default;

void TForm5::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    ui->LabelLot->clear();
    RunReportingErrors([this] {
        ui->LabelLot->setText(FromW1252(offrel::BatchLine(offrel::BatchOf(cdsVente_, cdsOption_))));
    });
}

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

void TForm5::Close() {
    done(QDialog::Accepted);
}

bool TForm5::AskToSendOthers(const std::string& text, const std::string& list) {
    return Dialogs::Get().ConfirmList(this, FromW1252(text), FromW1252(list),
                                      QStringLiteral("Envoyer les autres ventes"),
                                      QStringLiteral("Annuler"));
}
