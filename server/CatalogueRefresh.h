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
    // After a refresh that failed with no catalogue to fall back on: hide the update window and
    // close the main window.
    virtual void CloseMainWindow() = 0;
    // How the window waits while a request runs.
    virtual RequestWait& Waiting() = 0;
};

// The catalogue refresh at start-up: file names in dataDir, then the options and the categories
// downloaded and read. Only when both answers read, with rows (and a top-level category), do they
// replace the catalogue tables and dataDir's Options.csv and Categories.csv; a failed or damaged
// download leaves the last good catalogue as it was. After a failure one message tells it; with
// a last good catalogue the update window closes and the run goes on with it, without one the
// main window is closed too and the program ends.
void RunCatalogueRefresh(ApplicationTables& tables, const std::string& dataDir, RefreshView& view);

}  // namespace offrel
