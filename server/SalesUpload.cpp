#include "server/SalesUpload.h"

#include <algorithm>
#include <ctime>
#include <exception>
#include <functional>
#include <optional>
#include <vector>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "server/PhotoPreparation.h"
#include "server/PostToServer.h"
#include "server/Preflight.h"
#include "server/SaleAnswer.h"
#include "server/SaleRequest.h"
#include "server/SendJournal.h"
#include "server/TransferAmounts.h"
#include "tables/ControlsSuspended.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

enum class Stop { None, Refused, NotUnderstood, Failed, NotSaved, Escaped, Stopped };

// How a run went, for its closing message.
struct RunOutcome {
    int total = 0;
    int accepted = 0;
    int skipped = 0;             // interrupted sends that the seller chose not to repeat
    std::string skippedLibelle;  // the last of them
    Stop stop = Stop::None;
    std::string libelle;        // of the sale where the run stopped
    std::string reason;         // the site's text as shown, or the failure's text
    bool asksNextTime = false;  // that sale may be at the site: the next upload asks about it
    std::vector<std::string> passedOver;  // the titles of the sales the check before it kept back
    std::optional<std::string> keepFailure;  // the first accepted sale that could not be kept
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
        return FormatMessage(W("Vente laissée dans la liste pour être corrigée : %s."), {names});
    return FormatMessage(W("Ventes laissées dans la liste pour être corrigées : %s."), {names});
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
            why = FormatMessage(W("Le site a refusé la vente « %s » : %s"),
                                {run.libelle, run.reason});
            break;
        case Stop::NotUnderstood:
            why = FormatMessage(run.asksNextTime
                                    ? W("La réponse du site à la vente « %s » n'a pas été "
                                        "comprise : la vente reste dans la liste, et le prochain "
                                        "envoi vous demandera s'il faut l'envoyer à nouveau. %s")
                                    : W("La réponse du site à la vente « %s » n'a pas été "
                                        "comprise : la vente reste dans la liste. %s"),
                                {run.libelle, run.reason});
            break;
        case Stop::Failed:
            why = FormatMessage(W("L'envoi de la vente « %s » a échoué : %s"),
                                {run.libelle, run.reason});
            if (run.asksNextTime)
                why +=
                    W(" Le site l'a peut-être reçue : le prochain envoi vous demandera s'il "
                      "faut l'envoyer à nouveau.");
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

// The sales of the run to pass over for their photos or their categories, by position; none when
// every sale can be sent. False when the seller would rather send nothing.
bool ChooseSalesToSend(const Table& cdsVente, const Table& cdsCategorie, UploadView& view,
                       const std::vector<bool>& inRun, std::vector<bool>& passOver) {
    PreflightProblems problems = CheckBeforeSending(cdsVente, cdsCategorie);
    problems.KeepSalesOf(inRun);
    passOver = problems.SalesConcerned(cdsVente.RecordCount());
    if (problems.Empty()) return true;
    return view.AskToSendOthers(
        W("Ces ventes ne peuvent pas être envoyées telles quelles ; si "
          "vous envoyez les autres ventes, elles resteront dans la liste :"),
        PreflightList(problems));
}

// Posts the sale's body while the window waits, its amounts following the transfer.
std::string PostSale(TMultipartBody& body, UploadView& view, const PostOptions& options) {
    view.SetSaleProgress(TransferAmounts(0, body.Size()));
    return PostAndWait(
        body, view.Waiting(),
        [&view](const TransferProgress& progress) {
            view.SetSaleProgress(TransferAmounts(progress.sent, progress.toSend));
        },
        options);
}

// What the closing message says of an answer that was not understood.
std::string NotUnderstoodDetail(const std::string& answer) {
    const std::string shown = ShownSiteText(answer);
    if (shown.empty()) return W("Le site n'a rien répondu.");
    return W("Le site a répondu :\n") + shown;
}

void NoteSend(SendJournal& journal, const NoteKey& key, const std::string& libelle) {
    try {
        journal.Record(key, std::time(nullptr));
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
              UploadView& view, const KeepAcceptedSale& keepAccepted, SendJournal& journal,
              RunOutcome& run)
        : cdsVente_(cdsVente),
          login_(login),
          password_(password),
          view_(view),
          keepAccepted_(keepAccepted),
          run_(run),
          journal_(journal),
          notes_(NotesOfRows(journal.Pending(), cdsVente)) {}

    // photos: the current sale's reduced photos, asked only when it is sent.
    SaleOutcome Step(bool passOver, const std::function<ReducedPhotos()>& photos) {
        const int position = cdsVente_.RecNo();
        const Sale sale = ReadSale(cdsVente_, position);
        run_.libelle = sale.libelle.value_or("");
        if (passOver) {
            run_.passedOver.push_back(run_.libelle);
            cdsVente_.Next();
            return SaleOutcome::PassedOver;
        }
        view_.SetStatusText("Envoi de la vente : " + run_.libelle + "...");
        view_.StepProgress();
        view_.Repaint();

        const NoteKey key{cdsVente_.RowOrigin(position), SaleDigest(sale)};
        const auto interrupted = notes_.find(key.origin);
        earlierNotes_ =
            interrupted == notes_.end() ? std::vector<NoteKey>() : interrupted->second.keys;
        if (!earlierNotes_.empty() && !view_.ConfirmSendAgain(InterruptedSendQuestion(
                                          run_.libelle, interrupted->second.when))) {
            ++run_.skipped;
            run_.skippedLibelle = run_.libelle;
            cdsVente_.Next();
            return SaleOutcome::Skipped;
        }
        TMultipartBody body;
        AddSaleFields(body, sale, login_, password_, photos());
        std::optional<std::string> answer = Post(body, key);
        if (!answer) return SaleOutcome::Ended;
        SaleAnswer meaning = ReadSaleAnswer(*answer);
        if (meaning == SaleAnswer::Refused) {
            // Answered, so not stored: the second attempt, byte for byte the same, may be noted
            // afresh.
            ForgetOwnNote(key);
            answer = Post(body, key);
            if (!answer) return SaleOutcome::Ended;
            meaning = ReadSaleAnswer(*answer);
        }
        switch (meaning) {
            case SaleAnswer::Accepted:
                return Accept(key, sale);
            case SaleAnswer::Refused:
                ForgetOwnNote(key);
                return End(Stop::Refused, ShownSiteText(*answer));
            case SaleAnswer::NotUnderstood:
                break;
        }
        // The site may have stored it: no second attempt, and the note stays.
        return End(Stop::NotUnderstood, NotUnderstoodDetail(*answer));
    }

private:
    // The answer to one request for the current sale; nothing when it failed, and the run ends.
    // This run's note is written once the whole body is about to be at the site; a sale that was
    // noted already keeps its earlier note.
    std::optional<std::string> Post(TMultipartBody& body, const NoteKey& key) {
        PostOptions options;
        options.answerLimit = kSaleAnswerLimit;
        options.beforeBodyEnd = [this, &key] {
            if (!earlierNotes_.empty() || ownNote_) return;
            NoteSend(journal_, key, run_.libelle);
            ownNote_ = true;
        };
        try {
            std::string answer = PostSale(body, view_, options);
            view_.ProcessPendingEvents();
            return answer;
        } catch (const PostFailure& failure) {
            if (failure.Which() == PostFailure::Kind::NoConnection)
                view_.ShowMessage(
                    W("Vous devez être connecté à Internet pour envoyer vos ventes !!!"));
            // An error status or a redirection is an answer, but not one that says what became
            // of the sale; a failed transfer is told as such. Either way the note stays when the
            // whole body went.
            End(failure.Which() == PostFailure::Kind::Status ? Stop::NotUnderstood : Stop::Failed,
                failure.what());
            return std::nullopt;
        }
    }

    void Keep(const Sale& sale) {
        if (!keepAccepted_) return;
        try {
            keepAccepted_(sale, std::time(nullptr), login_);
        } catch (const std::exception& failure) {
            if (!run_.keepFailure) run_.keepFailure = failure.what();
        }
    }

    void ForgetOwnNote(const NoteKey& key) {
        if (!ownNote_) return;
        journal_.Clear(key);
        ownNote_ = false;
    }

    // The run ends at the current sale, which stays in the table with every sale after it.
    SaleOutcome End(Stop stop, std::string reason) {
        run_.stop = stop;
        run_.reason = std::move(reason);
        run_.asksNextTime = ownNote_ || !earlierNotes_.empty();
        ownNote_ = false;
        cdsVente_.Last();
        return SaleOutcome::Ended;
    }

    // The site stored the current sale: it is kept, then leaves the table, and the table's file
    // at once. A crash in between leaves it in both, and its note makes the next upload ask.
    SaleOutcome Accept(const NoteKey& key, const Sale& sale) {
        Keep(sale);
        cdsVente_.Delete();
        ++run_.accepted;
        // A crash later must not send an accepted sale again. While the file still holds the
        // sale, its notes stay, so that the next upload asks first.
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
        ForgetOwnNote(key);
        for (const NoteKey& earlier : earlierNotes_) journal_.Clear(earlier);
        // The file now says what the table says: notes of sales gone from both are done.
        if (!journalFollowed_) {
            journal_.FollowSalesOf(cdsVente_);
            notes_ = NotesOfRows(journal_.Pending(), cdsVente_);
            journalFollowed_ = true;
        }
        return SaleOutcome::Accepted;
    }

    Table& cdsVente_;
    const std::string& login_;
    const std::string& password_;
    UploadView& view_;
    const KeepAcceptedSale& keepAccepted_;
    RunOutcome& run_;
    SendJournal& journal_;
    std::map<std::uint32_t, SaleNotes> notes_;  // of the sales when the run began
    std::vector<NoteKey> earlierNotes_;         // of the current sale, from an interrupted send
    bool ownNote_ = false;  // this run noted the current sale; written by the request's thread
    bool journalFollowed_ = false;
};

// Steps through cdsVente from its first sale until the run ends.
void RunSteps(Table& cdsVente, const std::string& login, const std::string& password,
              UploadView& view, SendJournal& journal, const std::vector<bool>& inRun,
              const std::vector<bool>& passOver, const UploadChoices& choices, RunOutcome& run) {
    ControlsSuspended suspended(cdsVente);
    UploadRun upload(cdsVente, login, password, view, choices.keepAccepted, journal, run);
    std::optional<PhotoPreparation> preparation;
    if (choices.reducePhotos) preparation.emplace(PhotosBySale(cdsVente), view.Waiting());
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
        const auto photos = [&, position]() -> ReducedPhotos {
            if (!preparation) return {};
            ReducedPhotos reduced = preparation->Take(position);
            // The next sale that goes is prepared while this one uploads.
            for (std::size_t next = position + 1; next < passOver.size(); ++next) {
                if (passOver[next] || !inRun[next]) continue;
                preparation->Start(next);
                break;
            }
            return reduced;
        };
        switch (upload.Step(position < passOver.size() && passOver[position], photos)) {
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

void RunSalesUpload(Table& cdsVente, const Table& cdsCategorie, const std::string& login,
                    const std::string& password, UploadView& view,
                    const std::optional<std::vector<int>>& selection,
                    const UploadChoices& choices) {
    SendJournal journal(SendJournalPath(cdsVente.FileName()));
    try {
        journal.RequireReadable();
        if (const auto damage = journal.TakeDamage()) view.ShowMessage(*damage);
    } catch (const Error& failure) {
        view.ShowError(failure.what());
        return;
    }
    const std::vector<bool> inRun = SalesOfRun(cdsVente, selection);
    std::vector<bool> passOver;
    if (!ChooseSalesToSend(cdsVente, cdsCategorie, view, inRun, passOver)) return;
    RunOutcome run;
    view.SetStartEnabled(false);
    view.SetStopEnabled(true);
    try {
        RunSteps(cdsVente, login, password, view, journal, inRun, passOver, choices, run);
    } catch (const std::exception& failure) {
        run.stop = Stop::Escaped;
        run.reason = failure.what();
    }
    view.SetStopEnabled(false);
    view.ShowMessage(ClosingMessage(run));
    if (run.keepFailure)
        view.ShowMessage(FormatMessage(W("Les ventes acceptées par le site ont quitté la liste, "
                                         "mais elles ne sont pas toutes dans les ventes "
                                         "envoyées : %s"),
                                       {*run.keepFailure}));
    if (run.stop == Stop::Escaped || run.stop == Stop::NotSaved) view.ShowError(run.reason);
    view.SetStartEnabled(true);
    view.Close();
}

}  // namespace offrel
