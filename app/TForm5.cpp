#include "app/TForm5.h"

#include <QCoreApplication>
#include <QShowEvent>

#include "app/PasswordStyle.h"
#include "gui/Dialogs.h"
#include "gui/EventLoopWait.h"
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
    ui->ButtonArreter->hide();
    wait_ = std::make_unique<EventLoopWait>(ui->ButtonArreter);
    ConnectHandler(ui->EditLogin, &QLineEdit::textChanged, this, &TForm5::EditLoginChange);
    ConnectHandler(ui->EditPassword, &QLineEdit::textChanged, this, &TForm5::EditPasswordChange);
    ConnectHandler(ui->ButtonEnvoi, &QPushButton::clicked, this, &TForm5::ButtonEnvoiClick);
    ConnectHandler(ui->ButtonArreter, &QPushButton::clicked, this, &TForm5::ButtonArreterClick);
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

void TForm5::ButtonArreterClick() {
    // Taken into account after the current sale's answer.
    stopRequested_ = true;
    ui->ButtonArreter->setEnabled(false);
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
    status_ = FromW1252(text);
    amounts_.clear();
    ShowLabelEnvoi();
}

void TForm5::SetSaleProgress(const std::string& amounts) {
    amounts_ = FromW1252(amounts);
    ShowLabelEnvoi();
}

void TForm5::ShowLabelEnvoi() {
    QLabel* label = ui->LabelEnvoi;
    if (amounts_.isEmpty()) {
        label->setText(status_);
        return;
    }
    // The amounts stay whole; a long title gives way.
    const QString amounts = QLatin1Char(' ') + amounts_;
    const QFontMetrics metrics(label->font());
    const int room = label->width() - metrics.horizontalAdvance(amounts);
    label->setText(metrics.elidedText(status_, Qt::ElideRight, room) + amounts);
}

void TForm5::SetStopEnabled(bool enabled) {
    running_ = enabled;
    if (enabled) stopRequested_ = false;
    QPushButton* button = ui->ButtonArreter;
    button->setEnabled(enabled);
    button->setVisible(enabled);
    if (enabled) button->setFocus();
}

bool TForm5::StopRequested() {
    return stopRequested_;
}

offrel::RequestWait& TForm5::Waiting() {
    return *wait_;
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

void TForm5::reject() {
    if (!running_) QDialog::reject();
}
