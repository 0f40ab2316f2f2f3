#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "server/RequestWait.h"
#include "tables/Sale.h"
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
    // How much of the current sale has gone ("12,4 Mo / 31,0 Mo"), shown after the status text;
    // a new status text comes without it.
    virtual void SetSaleProgress(const std::string& amounts) = 0;
    // "Arrêter": offered during a run only; asked after each accepted sale.
    virtual void SetStopEnabled(bool enabled) = 0;
    virtual bool StopRequested() = 0;
    // How the window waits while a request runs.
    virtual RequestWait& Waiting() = 0;
    virtual void Repaint() = 0;
    virtual void ProcessPendingEvents() = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // The error box, with the text of a failure that ended the run.
    virtual void ShowError(const std::string& text) = 0;
    // The question before sending again a sale whose send was interrupted: "Oui" and "Non",
    // "Non" by default. True for "Oui".
    virtual bool ConfirmSendAgain(const std::string& question) = 0;
    virtual void Close() = 0;
    // Sales that cannot be sent were found before the run: the text, the list of the sales with
    // their photos and categories; true to send the other sales ("Envoyer les autres ventes"),
    // false to send nothing ("Annuler").
    virtual bool AskToSendOthers(const std::string& text, const std::string& list) = 0;
};

// Keeps a sale that the site accepted, before it leaves the table: the sale as it was sent, when
// the site's answer came (seconds since 1970) and the login it went with. It may throw: the sale
// leaves the table all the same and the run goes on.
using KeepAcceptedSale =
    std::function<void(const Sale& sale, std::int64_t answeredAt, const std::string& login)>;

// What the seller chose for a run.
struct UploadChoices {
    // Photos above PhotoReduction's limits go reduced, prepared a sale ahead of the upload.
    bool reducePhotos = false;
    // Given each accepted sale first, when there is one.
    KeepAcceptedSale keepAccepted;
};

// The upload run of "Démarrer": one "putVente" request per sale of cdsVente, each accepted sale
// deleted (and the table saved), until the end of the table, a sale that does not go, or the
// seller's "Arrêter" after the current sale's answer. The photo files and the categories (against
// cdsCategorie, the site's catalogue) are checked first: when some cannot be sent, the view is
// asked whether to send the other sales, passing over those (which stay in the table), or
// nothing at all (then nothing changes and the window stays open).
// A request is noted in the send journal beside the table's file as its whole body is about to
// go; a sale still noted from an interrupted send is sent again only if the seller says so. The
// site's answer is read as SaleAnswer says: only a refusal gets a second attempt, and an answer
// not understood ends the run with the sale still noted. A journal that cannot be read sends
// nothing: the error box tells it and the window stays open. A failure that ends the run
// otherwise (a photo that went away since the check, a journal or a table that cannot be
// written) is shown in the error box after the closing message, before the window closes. Each
// accepted sale is given to choices.keepAccepted first, when there is one; the first failure to
// keep one is told in one message after the closing message.
// selection: the positions of the sales to send, the others left out of the run (checks,
// questions and messages); every sale when there is none.
void RunSalesUpload(Table& cdsVente, const Table& cdsCategorie, const std::string& login,
                    const std::string& password, UploadView& view,
                    const std::optional<std::vector<int>>& selection = {},
                    const UploadChoices& choices = {});

}  // namespace offrel
