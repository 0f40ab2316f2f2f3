#include "app/TForm5.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QShowEvent>

#include "app/PasswordStyle.h"
#include "app/PhotoWeighing.h"
#include "app/SalesKeeping.h"
#include "app/Settings.h"
#include "gui/Dialogs.h"
#include "gui/ErrorReport.h"
#include "gui/EventLoopWait.h"
#include "gui/Fonts.h"
#include "gui/HandlerConnection.h"
#include "gui/QtText.h"
#include "sale/BatchCost.h"
#include "server/PhotoPreparation.h"
#include "server/PhotoWeights.h"
#include "server/PostToServer.h"
#include "ui_TForm5.h"

TForm5::TForm5(offrel::Table& cdsVente, offrel::Table& cdsOption, const offrel::Table& cdsCategorie,
               Settings& settings, QWidget* parent, SalesKeeping* keeping)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::TForm5>()),
      passwordStyle_(std::make_unique<PasswordStyle>()),
      settings_(settings),
      weighing_(std::make_unique<PhotoWeighing>()),
      cdsVente_(cdsVente),
      cdsOption_(cdsOption),
      cdsCategorie_(cdsCategorie),
      keeping_(keeping) {
    ui->setupUi(this);
    setFont(TahomaFont(11));
    ui->EditPassword->setStyle(passwordStyle_.get());
    ui->ButtonArreter->hide();
    wait_ = std::make_unique<EventLoopWait>(ui->ButtonArreter);
    ConnectHandler(ui->EditLogin, &QLineEdit::textChanged, this, &TForm5::EditLoginChange);
    ConnectHandler(ui->EditPassword, &QLineEdit::textChanged, this, &TForm5::EditPasswordChange);
    ConnectHandler(ui->ButtonEnvoi, &QPushButton::clicked, this, &TForm5::ButtonEnvoiClick);
    ConnectHandler(ui->ButtonArreter, &QPushButton::clicked, this, &TForm5::ButtonArreterClick);
    ui->CheckBoxReduirePhotos->setChecked(settings_.ReducePhotos());
    ConnectHandler(ui->CheckBoxReduirePhotos, &QCheckBox::clicked, this,
                   &TForm5::CheckBoxReduirePhotosClick);
    ConnectHandler(weighing_.get(), &PhotoWeighing::Weighed, this, &TForm5::ShowPhotoWeight);
}

TForm5::~TForm5() = default;

void TForm5::SetSelection(std::optional<std::vector<int>> positions) {
    selection_ = std::move(positions);
}

void TForm5::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    ShowClearTextWarning();
    ui->LabelLot->clear();
    RunReportingErrors([this] {
        const offrel::Batch batch =
            selection_ ? offrel::BatchOfSelection(cdsVente_, cdsOption_, *selection_)
                       : offrel::BatchOf(cdsVente_, cdsOption_);
        ui->LabelLot->setText(FromW1252(offrel::BatchLine(batch)));
    });
    sentPhotos_ = SentPhotos();
    WeighPhotos();
}

std::vector<std::string> TForm5::SentPhotos() const {
    const std::vector<std::vector<std::string>> bySale = offrel::PhotosBySale(cdsVente_);
    std::vector<std::string> paths;
    const auto add = [&bySale, &paths](std::size_t position) {
        if (position < bySale.size())
            paths.insert(paths.end(), bySale[position].begin(), bySale[position].end());
    };
    if (selection_) {
        for (const int position : *selection_)
            if (position >= 0) add(static_cast<std::size_t>(position));
    } else {
        for (std::size_t position = 0; position < bySale.size(); ++position) add(position);
    }
    return paths;
}

void TForm5::WeighPhotos() {
    ui->LabelPhotos->clear();
    weighing_->Start(sentPhotos_, ui->CheckBoxReduirePhotos->isChecked());
}

void TForm5::ShowPhotoWeight(quint64 bytes, qint64 reduced) {
    const std::optional<std::uint64_t> light =
        reduced < 0 ? std::nullopt : std::optional<std::uint64_t>(reduced);
    ui->LabelPhotos->setText(FromW1252(offrel::PhotoWeightText(bytes, light)));
}

void TForm5::CheckBoxReduirePhotosClick() {
    settings_.SetReducePhotos(ui->CheckBoxReduirePhotos->isChecked());
    WeighPhotos();
}

void TForm5::ShowClearTextWarning() {
    bool inClear = false;
    try {
        inClear = offrel::PasswordTravelsInClear(offrel::ServerUrl());
    } catch (const offrel::Error&) {
        // An address that cannot be read is told when the upload starts, in the error box.
    }
    ui->LabelEnClair->setVisible(inClear);
    // Below the designed window: the photos' weight, which the batch's line has no room for,
    // "Réduire les photos", and the warning when it is shown.
    setFixedSize(294, inClear ? 207 : 190);
}

void TForm5::EditLoginChange() {
    ui->EditPassword->setEnabled(true);
}

void TForm5::EditPasswordChange() {
    ui->ButtonEnvoi->setEnabled(true);
}

void TForm5::ButtonEnvoiClick() {
    // The upload's own reduction needs the cores more than the figure does.
    weighing_->Stop();
    offrel::UploadChoices choices;
    choices.reducePhotos = ui->CheckBoxReduirePhotos->isChecked();
    if (keeping_)
        choices.keepAccepted = [this](const offrel::Sale& sale, std::int64_t answeredAt,
                                      const std::string& login) {
            keeping_->KeepSent(sale, answeredAt, login);
        };
    offrel::RunSalesUpload(cdsVente_, cdsCategorie_, ToW1252(ui->EditLogin->text()),
                           ToW1252(ui->EditPassword->text()), *this, selection_, choices);
    if (keeping_)
        for (const std::string& notice : keeping_->TakeNotices())
            Dialogs::Get().Message(parentWidget(), FromW1252(notice));
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
    // The position is kept from one run to the next, within the new range.
    progressMax_ = std::max(maximum, 0);
    progressPosition_ = std::min(progressPosition_, progressMax_);
    ShowProgress();
}

void TForm5::StepProgress() {
    // Past the maximum, the position wraps round to the first step.
    ++progressPosition_;
    if (progressPosition_ > progressMax_) progressPosition_ = std::min(1, progressMax_);
    ShowProgress();
}

void TForm5::ShowProgress() {
    // Qt shows an empty range (no sale to send) as a busy indicator and empties a bar whose
    // position falls outside a new range: the bar is given a range of at least one step, and a
    // position within it, before the position it shows.
    QProgressBar* bar = ui->ProgressBarEnvoi;
    bar->setValue(0);
    bar->setRange(0, std::max(progressMax_, 1));
    bar->setValue(progressPosition_);
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
    // The amounts stay whole; a long title gives way. A text longer than the label shows from its
    // start: centred, it would lose its beginning.
    QLabel* label = ui->LabelEnvoi;
    const QString amounts = amounts_.isEmpty() ? QString() : QLatin1Char(' ') + amounts_;
    const QFontMetrics metrics(label->font());
    const int room = label->contentsRect().width() - metrics.horizontalAdvance(amounts);
    const bool fits = metrics.horizontalAdvance(status_) <= room;
    label->setAlignment((fits ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    label->setText((fits ? status_ : metrics.elidedText(status_, Qt::ElideRight, room)) + amounts);
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

void TForm5::ShowError(const std::string& text) {
    ReportError(this, text);
}

bool TForm5::ConfirmSendAgain(const std::string& question) {
    return Dialogs::Get().ConfirmDefaultNo(this, FromW1252(question));
}

void TForm5::Close() {
    done(QDialog::Accepted);
}

bool TForm5::AskToSendOthers(const std::string& text, const std::string& list) {
    return Dialogs::Get().ConfirmList(this, FromW1252(text), FromW1252(list),
                                      QStringLiteral("Envoyer les autres ventes"),
                                      QStringLiteral("Annuler"));
}

void TForm5::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) return;
    QDialog::keyPressEvent(event);
}

void TForm5::reject() {
    if (!running_) QDialog::reject();
}
