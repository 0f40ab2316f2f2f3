#include "server/SalesUpload.h"

#include <algorithm>
#include <ctime>
#include <exception>
#include <vector>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "server/PhotoCheck.h"
#include "server/PostToServer.h"
#include "server/SaleRequest.h"
#include "server/SendJournal.h"
#include "server/TransferAmounts.h"
#include "tables/ControlsSuspended.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

enum class Stop { None, Refused, Failed, NotSaved, Escaped, Stopped };

// How a run went, for its closing message.
struct RunOutcome {
    int total = 0;
    int accepted = 0;
    int skipped = 0;             // interrupted sends that the seller chose not to repeat
    std::string skippedLibelle;  // the last of them
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
    if (run.stop == Stop::None && run.skipped == 0) {
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
        case Stop::NotSaved:
            why = FormatMessage(W("La vente « %s » a été acceptée, mais la table des ventes n'a "
                                  "pas pu être enregistrée."),
                                {run.libelle});
            break;
        case Stop::Stopped:
            why = W("Vous avez arrêté l'envoi.");
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
    return SentCount(run) + passed + " " + why;
}

// The sales of the run by position: every one, or those of the selection.
std::vector<bool> SalesOfRun(const Table& cdsVente,
                             const std::optional<std::vector<int>>& selection) {
    std::vector<bool> inRun(static_cast<std::size_t>(cdsVente.RecordCount()), !selection);
    if (selection)
        for (int position : *selection)
            if (position >= 0 && position < cdsVente.RecordCount()) inRun[position] = true;
    return inRun;
}

// The sales of the run to pass over for their photos, by position; none when every photo can be
// sent. False when the seller would rather send nothing.
bool ChooseSalesToSend(const Table& cdsVente, UploadView& view, const std::vector<bool>& inRun,
                       std::vector<bool>& passOver) {
    std::vector<PhotoProblem> problems = CheckSalePhotos(cdsVente);
    std::erase_if(problems, [&inRun](const PhotoProblem& problem) { return !inRun[problem.sale]; });
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

// What became of the current sale in one step of the run.
enum class SaleOutcome {
    PassedOver,  // left in the table for its photos
    Skipped,     // an interrupted send that the seller chose not to repeat
    Accepted,    // stored by the site, deleted from the table, the table saved
    Ended,       // the run ends at this sale; the run's stop says why
};

// One run over cdsVente: each step sends the current sale or steps past it.
class UploadRun {
public:
    UploadRun(Table& cdsVente, const std::string& login, const std::string& password,
              UploadView& view, RunOutcome& run)
        : cdsVente_(cdsVente),
          login_(login),
          password_(password),
          view_(view),
          run_(run),
          journal_(SendJournalPath(cdsVente.FileName())) {
        if (const auto damage = journal_.TakeDamage()) view_.ShowMessage(*damage);
    }

    SaleOutcome Step(bool passOver) {
        const Sale sale = ReadSale(cdsVente_, cdsVente_.RecNo());
        run_.libelle = sale.libelle.value_or("");
        if (passOver) {
            run_.passedOver.push_back(run_.libelle);
            cdsVente_.Next();
            return SaleOutcome::PassedOver;
        }
        view_.SetStatusText("Envoi de la vente : " + run_.libelle + "...");
        view_.StepProgress();
        view_.Repaint();

        const std::string digest = SaleDigest(sale);
        const std::optional<std::int64_t> interrupted = journal_.SentAt(digest);
        if (interrupted &&
            !view_.ConfirmSendAgain(InterruptedSendQuestion(run_.libelle, *interrupted))) {
            ++run_.skipped;
            run_.skippedLibelle = run_.libelle;
            cdsVente_.Next();
            return SaleOutcome::Skipped;
        }
        const std::optional<std::string> answer = Send(sale, digest, interrupted.has_value());
        if (!answer) return SaleOutcome::Ended;
        if (*answer != "OK") {
            if (!interrupted) journal_.Clear(digest);  // answered: not stored
            run_.stop = Stop::Refused;
            run_.reason = *answer;
            cdsVente_.Last();
            return SaleOutcome::Ended;
        }
        return Accept(digest);
    }

private:
    // The site's answer, after the second attempt that a refusal gets; nothing when the first
    // request failed (the run stops there). The failure of the second attempt is thrown.
    std::optional<std::string> Send(const Sale& sale, const std::string& digest, bool interrupted) {
        // This run's note goes as soon as the site is known not to have the sale; the note of
        // an earlier interrupted send stays until the sale is accepted.
        const auto forgetUnsent = [&](const Error& failure) {
            if (!interrupted && !MayHaveReachedSite(failure)) journal_.Clear(digest);
        };
        TMultipartBody body;
        AddSaleFields(body, sale, login_, password_);
        if (!interrupted) NoteSend(journal_, digest, run_.libelle);
        std::string answer;
        try {
            answer = PostSale(body, view_);
        } catch (const Error& failure) {
            forgetUnsent(failure);
            view_.ShowMessage(W("Vous devez être connecté à Internet pour envoyer vos ventes !!!"));
            run_.stop = Stop::Failed;
            run_.reason = failure.what();
            return std::nullopt;
        }
        view_.ProcessPendingEvents();
        if (answer == "OK") return answer;
        // A second attempt, byte for byte the same; its failure ends the run.
        try {
            answer = PostSale(body, view_);
        } catch (const Error& failure) {
            forgetUnsent(failure);
            throw;
        }
        view_.ProcessPendingEvents();
        return answer;
    }

    // The site stored the current sale: it leaves the table, and the table's file at once.
    SaleOutcome Accept(const std::string& digest) {
        cdsVente_.Delete();
        ++run_.accepted;
        // A crash later must not send an accepted sale again. While the file still holds the
        // sale, its note stays, so that the next upload asks first.
        if (!cdsVente_.FileName().empty()) {
            try {
                cdsVente_.Save();
            } catch (const Error& failure) {
                run_.stop = Stop::NotSaved;
                run_.reason = FormatMessage(
                    W("La vente « %s » a été acceptée par le site, mais la table des ventes n'a "
                      "pas pu être enregistrée : ne l'envoyez pas une seconde fois. %s"),
                    {run_.libelle, failure.what()});
                return SaleOutcome::Ended;
            }
        }
        journal_.Clear(digest);
        // The file now says what the table says: notes of sales gone from both are done.
        if (!journalPruned_) journal_.KeepOnlySalesOf(cdsVente_);
        journalPruned_ = true;
        return SaleOutcome::Accepted;
    }

    Table& cdsVente_;
    const std::string& login_;
    const std::string& password_;
    UploadView& view_;
    RunOutcome& run_;
    SendJournal journal_;
    bool journalPruned_ = false;
};

// Steps through cdsVente from its first sale until the run ends.
void RunSteps(Table& cdsVente, const std::string& login, const std::string& password,
              UploadView& view, const std::vector<bool>& inRun, const std::vector<bool>& passOver,
              RunOutcome& run) {
    ControlsSuspended suspended(cdsVente);
    UploadRun upload(cdsVente, login, password, view, run);
    run.total = static_cast<int>(std::count(inRun.begin(), inRun.end(), true));
    view.SetProgressMax(run.total -
                        static_cast<int>(std::count(passOver.begin(), passOver.end(), true)));
    cdsVente.First();
    // Each step deletes the current sale or steps past it, so the steps count the sales of the
    // table as it was checked.
    for (std::size_t position = 0; !cdsVente.Eof(); ++position) {
        if (position < inRun.size() && !inRun[position]) {
            cdsVente.Next();
            continue;
        }
        // Deleting the last row makes the row before it current: a sale passed over or skipped
        // earlier in the table must not come round again.
        const bool last = cdsVente.RecNo() + 1 == cdsVente.RecordCount();
        switch (upload.Step(position < passOver.size() && passOver[position])) {
            case SaleOutcome::PassedOver:
            case SaleOutcome::Skipped:
                break;
            case SaleOutcome::Accepted:
                if (last) return;
                if (view.StopRequested()) {
                    run.stop = Stop::Stopped;
                    return;
                }
                break;
            case SaleOutcome::Ended:
                return;
        }
    }
}

}  // namespace

void RunSalesUpload(Table& cdsVente, const std::string& login, const std::string& password,
                    UploadView& view, const std::optional<std::vector<int>>& selection) {
    const std::vector<bool> inRun = SalesOfRun(cdsVente, selection);
    std::vector<bool> passOver;
    if (!ChooseSalesToSend(cdsVente, view, inRun, passOver)) return;
    RunOutcome run;
    view.SetStartEnabled(false);
    view.SetStopEnabled(true);
    try {
        RunSteps(cdsVente, login, password, view, inRun, passOver, run);
    } catch (const std::exception& failure) {
        run.stop = Stop::Escaped;
        run.reason = failure.what();
    }
    view.SetStopEnabled(false);
    view.ShowMessage(ClosingMessage(run));
    if (run.stop == Stop::Escaped || run.stop == Stop::NotSaved) view.ShowError(run.reason);
    view.SetStartEnabled(true);
    view.Close();
}

}  // namespace offrel
