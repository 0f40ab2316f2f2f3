#pragma once

#include <QDialog>
#include <memory>

#include "server/SalesUpload.h"

namespace Ui {
class TForm5;
}
class PasswordStyle;

// The send window: login, password and "Démarrer", which uploads every sale. Created once and
// reused: each opening shows it as the previous one left it, with the line of the batch (its
// sales and the cost of their options) brought up to date.
class TForm5 : public QDialog, public offrel::UploadView {
    Q_OBJECT

public:
    TForm5(offrel::Table& cdsVente, offrel::Table& cdsOption, QWidget* parent = nullptr);
    ~TForm5() override;

    void EditLoginChange();
    void EditPasswordChange();
    void ButtonEnvoiClick();

    void SetStartEnabled(bool enabled) override;
    void SetProgressMax(int maximum) override;
    void StepProgress() override;
    void SetStatusText(const std::string& text) override;
    void Repaint() override;
    void ProcessPendingEvents() override;
    void ShowMessage(const std::string& text) override;
    void Close() override;
    bool AskToSendOthers(const std::string& text, const std::string& list) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::TForm5> ui;
    std::unique_ptr<PasswordStyle> passwordStyle_;
    offrel::Table& cdsVente_;
    offrel::Table& cdsOption_;
};
