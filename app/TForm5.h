#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "server/SalesUpload.h"

namespace Ui {
class TForm5;
}
class EventLoopWait;
class PasswordStyle;
class PhotoWeighing;
class SalesKeeping;
class Settings;

// The send window: login, password and "Démarrer", which uploads every sale, or the sales
// selected in the list. Created once and reused: each opening shows it as the previous one left
// it, with the line of the batch (its sales, the cost of their options and the weight of their
// photos) brought up to date.
class TForm5 : public QDialog, public offrel::UploadView {
    Q_OBJECT

public:
    // settings: where the seller's choices are remembered.
    // keeping: where each accepted sale is kept before it leaves cdsVente; none keeps nothing.
    TForm5(offrel::Table& cdsVente, offrel::Table& cdsOption, const offrel::Table& cdsCategorie,
           Settings& settings, QWidget* parent = nullptr, SalesKeeping* keeping = nullptr);
    ~TForm5() override;

    // The sales the next opening sends, by position in cdsVente; every sale when none is given.
    void SetSelection(std::optional<std::vector<int>> positions);

    void EditLoginChange();
    void EditPasswordChange();
    void ButtonEnvoiClick();
    void ButtonArreterClick();
    void CheckBoxReduirePhotosClick();

    void SetStartEnabled(bool enabled) override;
    void SetProgressMax(int maximum) override;
    void StepProgress() override;
    void SetStatusText(const std::string& text) override;
    void SetSaleProgress(const std::string& amounts) override;
    void SetStopEnabled(bool enabled) override;
    bool StopRequested() override;
    offrel::RequestWait& Waiting() override;
    void Repaint() override;
    void ProcessPendingEvents() override;
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    bool ConfirmSendAgain(const std::string& question) override;
    void Close() override;
    bool AskToSendOthers(const std::string& text, const std::string& list) override;

protected:
    void showEvent(QShowEvent* event) override;

    // Only the close box closes the window, and not while a run is going: Escape does nothing.
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    // One line under the buttons when the password would cross the network unencrypted.
    void ShowClearTextWarning();
    void ShowLabelEnvoi();
    void ShowProgress();
    // The photos of the sales that "Démarrer" sends: the selection's only, when one is sent.
    std::vector<std::string> SentPhotos() const;
    // Weighs sentPhotos_, reduced or not as "Réduire les photos" says.
    void WeighPhotos();
    void ShowPhotoWeight(quint64 bytes, qint64 reduced);

    std::unique_ptr<Ui::TForm5> ui;
    std::unique_ptr<PasswordStyle> passwordStyle_;
    std::unique_ptr<EventLoopWait> wait_;
    Settings& settings_;
    std::unique_ptr<PhotoWeighing> weighing_;
    offrel::Table& cdsVente_;
    offrel::Table& cdsOption_;
    const offrel::Table& cdsCategorie_;
    std::optional<std::vector<int>> selection_;
    std::vector<std::string> sentPhotos_;  // read once a showing, weighed at each tick
    SalesKeeping* keeping_;
    int progressMax_ = 1;       // the bar's range, 0 to this, as the run set it
    int progressPosition_ = 0;  // kept from one run to the next
    bool running_ = false;
    bool stopRequested_ = false;
    QString status_;   // "Envoi de la vente : …", elided when the amounts need the room
    QString amounts_;  // how much of the current sale has gone
};
