#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "server/CatalogueRefresh.h"

namespace Ui {
class TForm3;
}
class EventLoopWait;

// The update window: shows the steps of the catalogue refresh that its creation runs.
class TForm3 : public QWidget, public offrel::RefreshView {
    Q_OBJECT

public:
    // dataDir: the folder of the data files, in file-name bytes.
    TForm3(offrel::ApplicationTables& tables, std::string dataDir, QWidget* mainWindow);
    ~TForm3() override;

    // The creation handler: the whole catalogue refresh.
    void FormCreate();

    void Show() override;
    void Hide() override;
    void SetStepText(const std::string& text) override;
    void StepProgress() override;
    void ShowDownload(std::uint64_t received, std::uint64_t total) override;
    void Repaint() override;
    void ProcessPendingEvents() override;
    void ShowMessage(const std::string& text) override;
    void CloseMainWindow() override;
    offrel::RequestWait& Waiting() override;

private:
    std::unique_ptr<Ui::TForm3> ui;
    std::unique_ptr<EventLoopWait> wait_;
    int stepsDone_ = 0;  // the bar's whole steps; a download moves it within the next one
    offrel::ApplicationTables& tables_;
    std::string dataDir_;
    QWidget* mainWindow_;
};
