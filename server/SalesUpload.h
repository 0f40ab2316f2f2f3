#pragma once

#include <string>

#include "tables/Table.h"

namespace offrel {

// What the send window does during an upload; tests record it.
class UploadView {
public:
    virtual ~UploadView() = default;
    virtual void SetStartEnabled(bool enabled) = 0;  // "Démarrer"
    virtual void SetProgressMax(int maximum) = 0;
    virtual void StepProgress() = 0;
    virtual void SetStatusText(const std::string& text) = 0;  // LabelEnvoi
    virtual void Repaint() = 0;
    virtual void ProcessPendingEvents() = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // The question before sending again a sale whose send was interrupted: "Oui" and "Non",
    // "Non" by default. True for "Oui".
    virtual bool ConfirmSendAgain(const std::string& question) = 0;
    virtual void Close() = 0;
};

// The upload run of "Démarrer": one "putVente" request per sale of cdsVente, each accepted sale
// deleted (and the table saved). Each request is noted first in the send journal beside the
// table's file; a sale still noted from an interrupted send is sent again only if the seller
// says so. An error that escapes (a failed second attempt, a photo that cannot be opened, a
// journal or a table that cannot be written) is rethrown after the closing steps.
void RunSalesUpload(Table& cdsVente, const std::string& login, const std::string& password,
                    UploadView& view);

}  // namespace offrel
