#include "server/CatalogueRefresh.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>

#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Windows1252.h"
#include "server/RequestWait.h"
#include "tables/CatalogueImport.h"

namespace offrel {

namespace {

// A catalogue file created (or truncated) before its request and written after it.
class AnswerFile {
public:
    explicit AnswerFile(std::string path) : path_(std::move(path)) {
        file_ = std::fopen(path_.c_str(), "wb");
        if (file_ == nullptr) throw Failure(W("Impossible de créer le fichier \"%s\". %s"));
    }
    ~AnswerFile() {
        if (file_ != nullptr) std::fclose(file_);
    }
    AnswerFile(const AnswerFile&) = delete;
    AnswerFile& operator=(const AnswerFile&) = delete;

    void WriteAndClose(const std::string& answer) {
        int code = 0;
        if (std::fwrite(answer.data(), 1, answer.size(), file_) != answer.size()) code = errno;
        if (std::fclose(file_) != 0 && code == 0) code = errno;
        file_ = nullptr;
        if (code != 0) throw Failure(W("Impossible d'écrire le fichier \"%s\". %s"), code);
    }

private:
    Error Failure(std::string_view pattern, int code = errno) const {
        return Error(FormatMessage(pattern, {ShownFileSystemName(path_), SystemReason(code)}));
    }
    std::string path_;
    std::FILE* file_ = nullptr;
};

// Posts the body while the window waits, following the answer's download.
std::string Download(TMultipartBody& body, RefreshView& view) {
    return PostAndWait(body, view.Waiting(), [&view](const TransferProgress& progress) {
        view.ShowDownload(progress.received, progress.toReceive);
    });
}

// Posts the body and stores its answer in the file, the empty text when the request failed;
// the failure goes on after the file is written.
void PostAndStore(TMultipartBody& body, AnswerFile& file, RefreshView& view) {
    std::string answer;
    std::exception_ptr failure;
    try {
        answer = Download(body, view);
        view.ProcessPendingEvents();
    } catch (const Error&) {
        failure = std::current_exception();
    }
    file.WriteAndClose(answer);
    if (failure) std::rethrow_exception(failure);
}

void ShowStep(RefreshView& view, const std::string& text) {
    view.SetStepText(text);
    view.Repaint();
}

void Step(RefreshView& view) {
    view.StepProgress();
    view.Repaint();
}

}  // namespace

void RunCatalogueRefresh(ApplicationTables& tables, const std::string& dataDir, RefreshView& view) {
    const auto inDataDir = [&](const char* name) {
        return (std::filesystem::path(dataDir) / name).string();
    };
    tables.cdsVente.SetFileName(inDataDir("Ventes.cds"));
    tables.cdsOption.SetFileName(inDataDir("Options.cds"));
    tables.cdsCategorie.SetFileName(inDataDir("Categories.cds"));
    tables.cdsCategorie.EmptyDataSet();
    tables.cdsCategorie.Open();
    tables.cdsOption.EmptyDataSet();
    tables.cdsOption.Open();
    view.Show();

    const std::string optionsPath = inDataDir("Options.csv");
    {
        TMultipartBody body;
        body.AddTextField("action", "getOptions");
        ShowStep(view, W("Téléchargement des options..."));
        AnswerFile file(optionsPath);
        try {
            Download(body, view);  // the connection test; its answer is not used
            view.ProcessPendingEvents();
        } catch (const Error&) {
            view.ShowMessage(
                W("Vous devez être connecté à Internet pour mettre le Offrel Brivax à jour !!!"));
            view.CloseMainWindow();
        }
        PostAndStore(body, file, view);
    }
    Step(view);
    ShowStep(view, W("Mise à jour des options..."));
    ReadOptionsFromCSV(tables.cdsOption, optionsPath);
    Step(view);

    const std::string categoriesPath = inDataDir("Categories.csv");
    {
        TMultipartBody body;
        body.AddTextField("action", "getCategories");
        ShowStep(view, W("Téléchargement des catégories..."));
        AnswerFile file(categoriesPath);
        PostAndStore(body, file, view);
    }
    Step(view);
    ShowStep(view, W("Mise à jour des catégories..."));
    ReadCategoriesFromCSV(tables.cdsCategorie, categoriesPath);
    Step(view);
    view.Hide();
}

}  // namespace offrel
