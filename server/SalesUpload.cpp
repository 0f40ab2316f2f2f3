#include "server/SalesUpload.h"

#include <exception>

#include "server/PostToServer.h"
#include "server/SaleRequest.h"
#include "tables/Error.h"

namespace offrel {

namespace {

enum class Stop { None, Refused, Failed, Escaped };

// How a run went, for its closing message.
struct RunOutcome {
    int total = 0;
    int accepted = 0;
    Stop stop = Stop::None;
    std::string libelle;  // of the sale where the run stopped
    std::string reason;   // the site's refusal text, or the failure's text
};

std::string SentCount(const RunOutcome& run) {
    const std::string accepted = std::to_string(run.accepted);
    const std::string total = std::to_string(run.total);
    if (run.accepted <= 1)
        return FormatMessage(
            "%s vente envoy\xe9"
            "e sur %s.",
            {accepted, total});
    return FormatMessage(
        "%s ventes envoy\xe9"
        "es sur %s.",
        {accepted, total});
}

// One message that says how many sales went and why the run stopped. A failure that an error
// box tells right after is named, not repeated.
std::string ClosingMessage(const RunOutcome& run) {
    if (run.total == 0 && run.stop != Stop::Escaped) return "Aucune vente a envoyer...";
    if (run.stop == Stop::None) return "L'envoi de vos ventes est r\xe9ussi !";
    std::string why;
    switch (run.stop) {
        case Stop::Refused:
            why = run.reason.empty()
                      ? FormatMessage(
                            "Le site a refus\xe9 la vente \xab %s \xbb sans donner de raison.",
                            {run.libelle})
                      : FormatMessage("Le site a refus\xe9 la vente \xab %s \xbb : %s",
                                      {run.libelle, run.reason});
            break;
        case Stop::Failed:
            why = FormatMessage(
                "L'envoi de la vente \xab %s \xbb a \xe9"
                "chou\xe9 : %s",
                {run.libelle, run.reason});
            break;
        default:
            why = FormatMessage(
                "L'envoi s'est arr\xea"
                "t\xe9 \xe0 la vente \xab %s \xbb.",
                {run.libelle});
            break;
    }
    return SentCount(run) + " " + why;
}

}  // namespace

void RunSalesUpload(Table& cdsVente, const std::string& login, const std::string& password,
                    UploadView& view) {
    RunOutcome run;
    std::exception_ptr escaped;
    view.SetStartEnabled(false);
    cdsVente.DisableControls();
    try {
        run.total = cdsVente.RecordCount();
        view.SetProgressMax(run.total);
        cdsVente.First();
        while (!cdsVente.Eof()) {
            run.libelle = cdsVente.FieldByName("Libelle").AsString();
            view.SetStatusText("Envoi de la vente : " + run.libelle + "...");
            view.StepProgress();
            view.Repaint();

            std::string answer;
            {
                TMultipartBody body;
                AddSaleFields(body, cdsVente, login, password);
                try {
                    answer = PostToServer(body);
                } catch (const Error& failure) {
                    view.ShowMessage(
                        "Vous devez \xea"
                        "tre connect\xe9 \xe0 Internet pour envoyer vos ventes !!!");
                    run.stop = Stop::Failed;
                    run.reason = failure.what();
                    break;
                }
                view.ProcessPendingEvents();
                if (answer != "OK") {
                    // A second attempt, byte for byte the same; its failure escapes.
                    answer = PostToServer(body);
                    view.ProcessPendingEvents();
                }
            }
            if (answer != "OK") {
                run.stop = Stop::Refused;
                run.reason = answer;
                cdsVente.Last();
                break;
            }
            cdsVente.Delete();
            ++run.accepted;
            // A crash later must not send an accepted sale again.
            if (!cdsVente.FileName().empty()) cdsVente.Save();
        }
    } catch (...) {
        run.stop = Stop::Escaped;
        escaped = std::current_exception();
    }
    cdsVente.EnableControls();
    view.ShowMessage(ClosingMessage(run));
    view.SetStartEnabled(true);
    view.Close();
    if (escaped) std::rethrow_exception(escaped);
}

}  // namespace offrel
