#pragma once

#include <QDialog>
#include <memory>

#include "server/SalesUpload.h"

namespace Ui {
class TForm5;
}
class PasswordStyle;

// The send window: login, password and "Démarrer", which uploads every sale. Created once and
// reused: each opening shows it as the previous one left it.
class TForm5 : public QDialog, public offrel::UploadView {
    Q_OBJECT

public:
    explicit TForm5(offrel::Table& cdsVente, QWidget* parent = nullptr);
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
    bool ConfirmSendAgain(const std::string& question) override;
    void Close() override;

private:
    std::unique_ptr<Ui::TForm5> ui;
    std::unique_ptr<PasswordStyle> passwordStyle_;
    offrel::Table& cdsVente_;
};
