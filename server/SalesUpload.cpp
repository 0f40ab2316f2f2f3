#include "server/SalesUpload.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "server/PhotoCheck.h"
#include "server/PostToServer.h"
#include "server/SaleRequest.h"
#include "server/TransferAmounts.h"
#include "tables/Error.h"
#include "tables/Windows1252.h"

namespace offrel {

namespace {

enum class Stop { None, Refused, Failed, Escaped, Stopped };

// How a run went, for its closing message.
struct RunOutcome {
    int total = 0;
    int accepted = 0;
    Stop stop = Stop::None;
    std::string libelle;                  // of the sale where the run stopped
    std::string reason;                   // the site's refusal text, or the failure's text
    std::vector<std::string> passedOver;  // the titles of the sales not sent for their photos
};

std::string SentCount(const RunOutcome& run) {
    const std::string accepted = std::to_string(run.accepted);
    const std::string total = std::to_string(run.total);
    if (run.accepted <= 1) return FormatMessage(W("%s vente envoyée sur %s."), {accepted, total});
    return FormatMessage(W("%s ventes envoyées sur %s."), {accepted, total});
}

std::string PassedOver(const std::vector<std::string>& titles) {
    std::string names;
    for (const std::string& title : titles)
        names += (names.empty() ? "" : ", ") + W("« ") + title + W(" »");
    if (titles.size() == 1)
        return FormatMessage(W("Vente laissée dans la liste pour ses photos : %s."), {names});
    return FormatMessage(W("Ventes laissées dans la liste pour leurs photos : %s."), {names});
}

// One message that says how many sales went, which sales the run passed over and why it stopped
// (last, since it may end with the site's own text). A failure that an error box tells right
// after is named, not repeated.
std::string ClosingMessage(const RunOutcome& run) {
    if (run.total == 0 && run.stop != Stop::Escaped) return "Aucune vente a envoyer...";
    const std::string passed = run.passedOver.empty() ? "" : " " + PassedOver(run.passedOver);
    if (run.stop == Stop::None) {
        if (passed.empty()) return W("L'envoi de vos ventes est réussi !");
        return SentCount(run) + passed;
    }
    std::string why;
    switch (run.stop) {
        case Stop::Refused:
            why = run.reason.empty()
                      ? FormatMessage(W("Le site a refusé la vente « %s » sans donner de raison."),
                                      {run.libelle})
                      : FormatMessage(W("Le site a refusé la vente « %s » : %s"),
                                      {run.libelle, run.reason});
            break;
        case Stop::Failed:
            why = FormatMessage(W("L'envoi de la vente « %s » a échoué : %s"),
                                {run.libelle, run.reason});
            break;
        case Stop::Stopped:
            why = W("Vous avez arrêté l'envoi.");
            break;
        default:
            why = FormatMessage(W("L'envoi s'est arrêté à la vente « %s »."), {run.libelle});
            break;
    }
    return SentCount(run) + passed + " " + why;
}

// The sales to pass over for their photos, by position; none when every photo can be sent.
// False when the seller would rather send nothing.
bool ChooseSalesToSend(const Table& cdsVente, UploadView& view, std::vector<bool>& passOver) {
    const std::vector<PhotoProblem> problems = CheckSalePhotos(cdsVente);
    passOver.assign(static_cast<std::size_t>(cdsVente.RecordCount()), false);
    if (problems.empty()) return true;
    if (!view.AskToSendOthers(W("Ces ventes ont une photo qui ne peut pas être envoyée ; si vous "
                                "envoyez les autres ventes, elles resteront dans la liste :"),
                              PhotoProblemsList(problems)))
        return false;
    for (const PhotoProblem& problem : problems) passOver[problem.sale] = true;
    return true;
}

// Posts the sale's body while the window waits, its amounts following the transfer.
std::string PostSale(TMultipartBody& body, UploadView& view) {
    view.SetSaleProgress(TransferAmounts(0, body.Size()));
    return PostAndWait(body, view.Waiting(), [&view](const TransferProgress& progress) {
        view.SetSaleProgress(TransferAmounts(progress.sent, progress.toSend));
    });
}

}  // namespace

void RunSalesUpload(Table& cdsVente, const std::string& login, const std::string& password,
                    UploadView& view) {
    std::vector<bool> passOver;
    if (!ChooseSalesToSend(cdsVente, view, passOver)) return;
    RunOutcome run;
    view.SetStartEnabled(false);
    view.SetStopEnabled(true);
    cdsVente.DisableControls();
    try {
        run.total = cdsVente.RecordCount();
        view.SetProgressMax(run.total -
                            static_cast<int>(std::count(passOver.begin(), passOver.end(), true)));
        cdsVente.First();
        // Each turn deletes the current sale, steps past it or ends the run, so the turns count
        // the sales of the table as it was checked.
        for (std::size_t position = 0; !cdsVente.Eof(); ++position) {
            run.libelle = cdsVente.FieldByName("Libelle").AsString();
            if (position < passOver.size() && passOver[position]) {
                run.passedOver.push_back(run.libelle);
                cdsVente.Next();
                continue;
            }
            view.SetStatusText("Envoi de la vente : " + run.libelle + "...");
            view.StepProgress();
            view.Repaint();

            std::string answer;
            {
                TMultipartBody body;
                AddSaleFields(body, cdsVente, login, password);
                try {
                    answer = PostSale(body, view);
                } catch (const Error& failure) {
                    view.ShowMessage(
                        W("Vous devez être connecté à Internet pour envoyer vos ventes !!!"));
                    run.stop = Stop::Failed;
                    run.reason = failure.what();
                    break;
                }
                view.ProcessPendingEvents();
                if (answer != "OK") {
                    // A second attempt, byte for byte the same; its failure ends the run.
                    answer = PostSale(body, view);
                    view.ProcessPendingEvents();
                }
            }
            if (answer != "OK") {
                run.stop = Stop::Refused;
                run.reason = answer;
                cdsVente.Last();
                break;
            }
            // Deleting the last row makes the row before it current: a sale passed over.
            const bool last = cdsVente.RecNo() + 1 == cdsVente.RecordCount();
            cdsVente.Delete();
            ++run.accepted;
            // A crash later must not send an accepted sale again.
            if (!cdsVente.FileName().empty()) cdsVente.Save();
            if (last) break;
            if (view.StopRequested()) {
                run.stop = Stop::Stopped;
                break;
            }
        }
    } catch (const std::exception& failure) {
        run.stop = Stop::Escaped;
        run.reason = failure.what();
    }
    cdsVente.EnableControls();
    view.SetStopEnabled(false);
    view.ShowMessage(ClosingMessage(run));
    if (run.stop == Stop::Escaped) view.ShowError(run.reason);
    view.SetStartEnabled(true);
    view.Close();
}

}  // namespace offrel
