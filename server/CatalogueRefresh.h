#pragma once

#include <cstdint>
#include <string>

#include "server/RequestWait.h"
#include "tables/ApplicationTables.h"

namespace offrel {

// What the update window does during the refresh; tests record it.
class RefreshView {
public:
    virtual ~RefreshView() = default;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void SetStepText(const std::string& text) = 0;  // LabelMAJ
    virtual void StepProgress() = 0;
    // How much of the answer being downloaded has come; total is 0 while it is unknown.
    virtual void ShowDownload(std::uint64_t received, std::uint64_t total) = 0;
    virtual void Repaint() = 0;
    virtual void ProcessPendingEvents() = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // After a failed connection test: hide the update window and close the main window.
    virtual void CloseMainWindow() = 0;
    // How the window waits while a request runs.
    virtual RequestWait& Waiting() = 0;
};

// The catalogue refresh at start-up: file names in dataDir, catalogue tables emptied, options
// and categories downloaded into dataDir's Options.csv and Categories.csv and imported.
void RunCatalogueRefresh(ApplicationTables& tables, const std::string& dataDir, RefreshView& view);

}  // namespace offrel
