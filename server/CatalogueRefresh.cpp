#include "server/CatalogueRefresh.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Windows1252.h"
#include "server/RequestWait.h"
#include "server/SaleAnswer.h"
#include "tables/CatalogueImport.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

// The connection test found no way to the site.
struct NoConnectionToSite {};

// A catalogue answer, kept beside the file it replaces until both answers have been read; a
// download that does not hold never takes that file's place.
class DownloadedFile {
public:
    explicit DownloadedFile(std::filesystem::path path)
        : path_(std::move(path)),
          download_(path_.parent_path() / ("." + path_.filename().string() + ".nouveau")) {}
    ~DownloadedFile() {
        std::error_code ignored;
        if (!committed_) std::filesystem::remove(download_, ignored);
    }
    DownloadedFile(const DownloadedFile&) = delete;
    DownloadedFile& operator=(const DownloadedFile&) = delete;

    std::string Path() const { return download_.string(); }

    void Write(const std::string& answer) {
        std::FILE* file = std::fopen(download_.c_str(), "wb");
        if (file == nullptr) throw Failure(W("Impossible de créer le fichier \"%s\". %s"), errno);
        int code = 0;
        if (std::fwrite(answer.data(), 1, answer.size(), file) != answer.size()) code = errno;
        if (std::fclose(file) != 0 && code == 0) code = errno;
        if (code != 0) throw Failure(W("Impossible d'écrire le fichier \"%s\". %s"), code);
    }

    // The answer takes the file's place in one step.
    void Commit() {
        if (std::rename(download_.c_str(), path_.c_str()) != 0)
            throw Failure(W("Impossible de créer le fichier \"%s\". %s"), errno, path_);
        committed_ = true;
    }

private:
    Error Failure(std::string_view pattern, int code) const {
        return Failure(pattern, code, download_);
    }
    static Error Failure(std::string_view pattern, int code, const std::filesystem::path& path) {
        return Error(
            FormatMessage(pattern, {ShownFileSystemName(path.string()), SystemReason(code)}));
    }

    std::filesystem::path path_;
    std::filesystem::path download_;
    bool committed_ = false;
};

// Posts the body while the window waits, following the answer's download.
std::string Download(TMultipartBody& body, RefreshView& view) {
    std::string answer =
        PostAndWait(body, view.Waiting(), [&view](const TransferProgress& progress) {
            view.ShowDownload(progress.received, progress.toReceive);
        });
    view.ProcessPendingEvents();
    return answer;
}

void ShowStep(RefreshView& view, const std::string& text) {
    view.SetStepText(text);
    view.Repaint();
}

void Step(RefreshView& view) {
    view.StepProgress();
    view.Repaint();
}

// Why a table read from the site's answer cannot stand for its catalogue; nothing when it can.
std::optional<std::string> OptionsProblem(const Table& cdsOption) {
    if (cdsOption.RecordCount() == 0) return W("La liste des options reçue du site est vide.");
    return std::nullopt;
}

std::optional<std::string> CategoriesProblem(const Table& cdsCategorie) {
    if (cdsCategorie.RecordCount() == 0)
        return W("La liste des catégories reçue du site est vide.");
    for (int row = 0; row < cdsCategorie.RecordCount(); ++row)
        if (ValueAs<std::int32_t>(cdsCategorie.ValueAt(row, CategoryColumn::kParentId)) == 0)
            return std::nullopt;
    return W("La liste des catégories reçue du site n'a aucune catégorie principale.");
}

bool HasCatalogue(const ApplicationTables& tables) {
    return !OptionsProblem(tables.cdsOption) && !CategoriesProblem(tables.cdsCategorie);
}

// The downloaded file read into a table of its own, which must hold a catalogue.
void ReadDownload(Table& table, const DownloadedFile& file,
                  const std::function<void(Table&, const std::string&)>& import,
                  const std::function<std::optional<std::string>(const Table&)>& problem,
                  const std::string& what) {
    table.Open();
    try {
        import(table, file.Path());
    } catch (const Error& failure) {
        throw Error(FormatMessage(W("La liste des %s reçue du site ne peut pas être lue : %s"),
                                  {what, ShownSiteText(failure.what())}));
    }
    if (const auto reason = problem(table)) throw Error(*reason);
}

// Both downloads, read and checked, then put in the place of the last good catalogue.
void Refresh(ApplicationTables& tables, const std::filesystem::path& folder, RefreshView& view) {
    Table options("cdsOption", OptionColumns(), {});
    Table categories("cdsCategorie", CategoryColumns(), {});
    DownloadedFile optionsFile(folder / "Options.csv");
    DownloadedFile categoriesFile(folder / "Categories.csv");

    TMultipartBody getOptions;
    getOptions.AddTextField("action", "getOptions");
    ShowStep(view, W("Téléchargement des options..."));
    try {
        Download(getOptions, view);  // the connection test; its answer is not used
    } catch (const PostFailure& failure) {
        if (failure.Which() == PostFailure::Kind::NoConnection) throw NoConnectionToSite();
        throw;
    }
    optionsFile.Write(Download(getOptions, view));  // the same bytes again
    Step(view);
    ShowStep(view, W("Mise à jour des options..."));
    ReadDownload(options, optionsFile, ReadOptionsFromCSV, OptionsProblem, "options");
    Step(view);

    TMultipartBody getCategories;
    getCategories.AddTextField("action", "getCategories");
    ShowStep(view, W("Téléchargement des catégories..."));
    categoriesFile.Write(Download(getCategories, view));
    Step(view);
    ShowStep(view, W("Mise à jour des catégories..."));
    ReadDownload(categories, categoriesFile, ReadCategoriesFromCSV, CategoriesProblem,
                 W("catégories"));
    Step(view);

    optionsFile.Commit();
    categoriesFile.Commit();
    tables.cdsOption.TakeRowsOf(options);
    tables.cdsCategorie.TakeRowsOf(categories);
}

}  // namespace

void RunCatalogueRefresh(ApplicationTables& tables, const std::string& dataDir, RefreshView& view) {
    const std::filesystem::path folder(dataDir);
    tables.cdsVente.SetFileName((folder / "Ventes.cds").string());
    tables.cdsOption.SetFileName((folder / "Options.cds").string());
    tables.cdsCategorie.SetFileName((folder / "Categories.cds").string());
    view.Show();

    std::string message;
    try {
        Refresh(tables, folder, view);
        view.Hide();
        return;
    } catch (const NoConnectionToSite&) {
        message = W("Vous devez être connecté à Internet pour mettre le Offrel Brivax à jour !!!");
    } catch (const Error& failure) {
        message = FormatMessage(
            HasCatalogue(tables)
                ? W("La liste des catégories et des options n'a pas pu être mise à jour. %s\n\nLe "
                    "programme garde celle de sa dernière mise à jour.")
                : W("La liste des catégories et des options n'a pas pu être mise à jour. %s\n\n"
                    "Sans elle, le programme ne peut pas s'ouvrir : réessayez plus tard."),
            {failure.what()});
    }
    view.ShowMessage(message);
    if (!HasCatalogue(tables)) {
        view.CloseMainWindow();
        return;
    }
    // The last good catalogue was read as an import reads: amounts are written with "." from
    // now on, the price sent to the site included.
    SetDecimalSeparator('.');
    view.Hide();
}

}  // namespace offrel
