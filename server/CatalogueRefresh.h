#pragma once

#include <string>

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
    virtual void Repaint() = 0;
    virtual void ProcessPendingEvents() = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // After a failed connection test: hide the update window and close the main window.
    virtual void CloseMainWindow() = 0;
};

// The catalogue refresh at start-up: file names in dataDir, catalogue tables emptied, options
// and categories downloaded into dataDir's Options.csv and Categories.csv and imported.
void RunCatalogueRefresh(ApplicationTables& tables, const std::string& dataDir, RefreshView& view);

}  // namespace offrel
