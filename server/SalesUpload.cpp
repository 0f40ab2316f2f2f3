#include "server/SalesUpload.h"

#include <ctime>
#include <exception>

#include "server/PostToServer.h"
#include "server/SaleRequest.h"
#include "server/SendJournal.h"
#include "tables/Error.h"
#include "tables/Windows1252.h"

namespace offrel {

namespace {

enum class Stop { None, Refused, Failed, NotSaved, Escaped };

// How a run went, for its closing message.
struct RunOutcome {
    int total = 0;
    int accepted = 0;
    int skipped = 0;             // interrupted sends that the seller chose not to repeat
    std::string skippedLibelle;  // the last of them
    Stop stop = Stop::None;
    std::string libelle;  // of the sale where the run stopped
    std::string reason;   // the site's refusal text, or the failure's text
};

std::string SentCount(const RunOutcome& run) {
    const std::string accepted = std::to_string(run.accepted);
    const std::string total = std::to_string(run.total);
    if (run.accepted <= 1) return FormatMessage(W("%s vente envoyée sur %s."), {accepted, total});
    return FormatMessage(W("%s ventes envoyées sur %s."), {accepted, total});
}

// One message that says how many sales went and why the run stopped. A failure that an error
// box tells right after is named, not repeated.
std::string ClosingMessage(const RunOutcome& run) {
    if (run.total == 0 && run.stop != Stop::Escaped) return "Aucune vente a envoyer...";
    if (run.stop == Stop::None && run.skipped == 0) return W("L'envoi de vos ventes est réussi !");
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
        case Stop::NotSaved:
            why = FormatMessage(W("La vente « %s » a été acceptée, mais la table des ventes n'a "
                                  "pas pu être enregistrée."),
                                {run.libelle});
            break;
        case Stop::None:
            why =
                run.skipped == 1
                    ? FormatMessage(W("La vente « %s » n'a pas été envoyée."), {run.skippedLibelle})
                    : FormatMessage(W("%s ventes dont l'envoi avait été interrompu n'ont pas "
                                      "été envoyées."),
                                    {std::to_string(run.skipped)});
            break;
        default:
            why = FormatMessage(W("L'envoi s'est arrêté à la vente « %s »."), {run.libelle});
            break;
    }
    return SentCount(run) + " " + why;
}

// Whether the site may hold the request that failed: only when the transfer took its whole
// body. An error of the body itself, or of the set-up, came before that.
bool MayHaveReachedSite(const Error& failure) {
    const auto* post = dynamic_cast<const PostFailure*>(&failure);
    return post && post->BodySent();
}

void NoteSend(SendJournal& journal, const std::string& digest, const std::string& libelle) {
    try {
        journal.Record(digest, std::time(nullptr));
    } catch (const Error& failure) {
        throw Error(
            FormatMessage(W("La vente « %s » n'est pas envoyée : %s"), {libelle, failure.what()}));
    }
}

}  // namespace

void RunSalesUpload(Table& cdsVente, const std::string& login, const std::string& password,
                    UploadView& view) {
    RunOutcome run;
    std::exception_ptr escaped;
    view.SetStartEnabled(false);
    cdsVente.DisableControls();
    try {
        SendJournal journal(SendJournalPath(cdsVente.FileName()));
        if (const auto damage = journal.TakeDamage()) view.ShowMessage(*damage);
        bool journalPruned = false;
        run.total = cdsVente.RecordCount();
        view.SetProgressMax(run.total);
        cdsVente.First();
        while (!cdsVente.Eof()) {
            run.libelle = cdsVente.FieldByName("Libelle").AsString();
            view.SetStatusText("Envoi de la vente : " + run.libelle + "...");
            view.StepProgress();
            view.Repaint();

            const std::string digest = SaleDigest(cdsVente, cdsVente.RecNo());
            const std::optional<std::int64_t> interrupted = journal.SentAt(digest);
            if (interrupted &&
                !view.ConfirmSendAgain(InterruptedSendQuestion(run.libelle, *interrupted))) {
                ++run.skipped;
                run.skippedLibelle = run.libelle;
                cdsVente.Next();
                continue;
            }
            // This run's note goes as soon as the site is known not to have the sale; the note
            // of an earlier interrupted send stays until the sale is accepted.
            const auto forgetUnsent = [&](const Error& failure) {
                if (!interrupted && !MayHaveReachedSite(failure)) journal.Clear(digest);
            };
            std::string answer;
            {
                TMultipartBody body;
                AddSaleFields(body, cdsVente, login, password);
                if (!interrupted) NoteSend(journal, digest, run.libelle);
                try {
                    answer = PostToServer(body);
                } catch (const Error& failure) {
                    forgetUnsent(failure);
                    view.ShowMessage(
                        W("Vous devez être connecté à Internet pour envoyer vos ventes !!!"));
                    run.stop = Stop::Failed;
                    run.reason = failure.what();
                    break;
                }
                view.ProcessPendingEvents();
                if (answer != "OK") {
                    // A second attempt, byte for byte the same; its failure escapes.
                    try {
                        answer = PostToServer(body);
                    } catch (const Error& failure) {
                        forgetUnsent(failure);
                        throw;
                    }
                    view.ProcessPendingEvents();
                }
            }
            if (answer != "OK") {
                if (!interrupted) journal.Clear(digest);  // answered: not stored
                run.stop = Stop::Refused;
                run.reason = answer;
                cdsVente.Last();
                break;
            }
            // Deleting the last row makes the row before it current: sales skipped earlier in
            // the table must not come round again.
            const bool lastSale = cdsVente.RecNo() == cdsVente.RecordCount() - 1;
            cdsVente.Delete();
            ++run.accepted;
            // A crash later must not send an accepted sale again. While the file still holds
            // the sale, its note stays, so that the next upload asks first.
            if (!cdsVente.FileName().empty()) {
                try {
                    cdsVente.Save();
                } catch (const Error& failure) {
                    run.stop = Stop::NotSaved;
                    escaped = std::make_exception_ptr(Error(FormatMessage(
                        W("La vente « %s » a été acceptée par le site, mais la table des ventes "
                          "n'a pas pu être enregistrée : ne l'envoyez pas une seconde fois. %s"),
                        {run.libelle, failure.what()})));
                    break;
                }
            }
            journal.Clear(digest);
            // The file now says what the table says: notes of sales gone from both are done.
            if (!journalPruned) journal.KeepOnlySalesOf(cdsVente);
            journalPruned = true;
            if (lastSale) break;
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
