// The editor's openings (the category search built) and choices over the shipped catalogue, each
// keystroke of the search field, the photo previews of a 24-megapixel JPEG against a full
// decode and Qt's own scaled reader, and the opening of a sale with eight progressive photos.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/common/Medians.h"
#include "editor/PhotoPreview.h"
#include "editor/PreviewDecoding.h"
#include "editor/TForm2.h"
#include "gui/QtText.h"
#include "photo/JpegPreview.h"
#include "tables/CatalogueGenerator.h"
#include "tables/CatalogueImport.h"
#include "tests/common/ScriptedDialogs.h"
#include "tests/photo/TestPhotos.h"

namespace {

struct Catalogue {
    QTemporaryDir folder;
    offrel::ApplicationTables tables;
    offrel::EditorState state;
    QString photo;

    Catalogue() {
        const std::string dir = folder.path().toStdString();
        offrel::WriteCatalogueFiles(dir);
        for (offrel::Table* table : {&tables.cdsVente, &tables.cdsOption, &tables.cdsCategorie}) {
            table->Open();
            table->EmptyDataSet();
        }
        offrel::ReadOptionsFromCSV(tables.cdsOption, dir + "/Options.csv");
        offrel::ReadCategoriesFromCSV(tables.cdsCategorie, dir + "/Categories.csv");
        QImage image(6000, 4000, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
        photo = folder.filePath("grande.jpg");
        image.save(photo, "JPEG", 90);
        // A sale with three categories taken from the end of the catalogue and eight photos.
        offrel::Table& vente = tables.cdsVente;
        offrel::Table& categories = tables.cdsCategorie;
        vente.Append();
        for (int k = 0; k < 3; ++k) {
            categories.MoveTo(categories.RecordCount() - 1 - k * 1000);
            vente.FieldByName("Categorie" + std::to_string(k + 1))
                .SetAsInteger(categories.FieldByName("ID").AsInteger());
        }
        vente.FieldByName("TypeVente").SetAsInteger(1);
        vente.Post();
    }

    static Catalogue& Get() {
        static Catalogue catalogue;
        return catalogue;
    }
};

void Opening(benchmark::State& bench, bool modification) {
    Catalogue& c = Catalogue::Get();
    ScriptedDialogs dialogs;
    c.state.ModeModification = modification;
    for (auto _ : bench) {
        TForm2 form(c.tables, c.state, QFile::encodeName(c.folder.path()).toStdString());
        form.FormShow();
        benchmark::DoNotOptimize(c.state.CatChoisies[0]);
    }
}

void BM_OpenNewSale(benchmark::State& bench) {
    Opening(bench, false);
}
void BM_OpenChangedSale(benchmark::State& bench) {
    Opening(bench, true);
}

void BM_ChooseInList(benchmark::State& bench) {
    Catalogue& c = Catalogue::Get();
    ScriptedDialogs dialogs;
    c.state.ModeModification = false;
    TForm2 form(c.tables, c.state, QFile::encodeName(c.folder.path()).toStdString());
    form.FormShow();
    const int topLevel = static_cast<int>(c.state.CatIds[0].size());
    int index = 0;
    for (auto _ : bench) {
        form.CatCbxChange(0, index);
        index = (index + 1) % topLevel;
    }
}

// Typing three searches letter by letter, and erasing: each keystroke's time runs from the text
// change to the results list filled. The counters give the median and the slowest keystroke.
void BM_SearchKeystroke(benchmark::State& bench) {
    Catalogue& c = Catalogue::Get();
    ScriptedDialogs dialogs;
    c.state.ModeModification = false;
    TForm2 form(c.tables, c.state, QFile::encodeName(c.folder.path()).toStdString());
    form.FormShow();
    auto* field = form.findChild<QLineEdit*>("EditRecherche");
    auto* results = form.findChild<QListWidget*>("ListBoxResultats");
    QStringList keystrokes;
    for (const QString words : {"faience xixe", "jeux societe enfants", "éventails main"}) {
        for (qsizetype length = 1; length <= words.size(); ++length)
            keystrokes.append(words.left(length));
        for (qsizetype length = words.size() - 1; length >= 1; --length)
            keystrokes.append(words.left(length));
    }
    std::vector<double> times;
    int next = 0;
    for (auto _ : bench) {
        const auto start = std::chrono::steady_clock::now();
        field->setText(keystrokes[next]);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        benchmark::DoNotOptimize(results->count());
        next = (next + 1) % keystrokes.size();
    }
    bench.counters["median_ms"] = offrel::bench::MedianOf(times);
    bench.counters["slowest_ms"] = *std::max_element(times.begin(), times.end());
}

void BM_JpegFullDecode(benchmark::State& bench) {
    const std::string path = ToW1252(Catalogue::Get().photo);
    for (auto _ : bench)
        benchmark::DoNotOptimize(offrel::DecodeJpegPreview(path, 6000, 4000).width);
}

void BM_JpegPreview(benchmark::State& bench) {
    const QString path = Catalogue::Get().photo;
    for (auto _ : bench) benchmark::DoNotOptimize(LoadPhotoPreview(path, QSize(75, 75)).width());
}

void BM_QImageReaderScaled(benchmark::State& bench) {
    const QString path = Catalogue::Get().photo;
    for (auto _ : bench) {
        QImageReader reader(path);
        reader.setScaledSize(QSize(75, 50));
        benchmark::DoNotOptimize(reader.read().width());
    }
}

// "Modifier une vente" on a sale with eight progressive 6000 x 4000 photos, as a camera writes
// them: the time until the editor shows (its previews still to come), the time until all eight
// are in, and the peak memory above what the process held before the opening.
void BM_OpenChangedSaleWithEightPhotos(benchmark::State& bench) {
    Catalogue& c = Catalogue::Get();
    ScriptedDialogs dialogs;
    offrel::Table& vente = c.tables.cdsVente;
    vente.First();
    vente.Edit();
    for (int slot = 1; slot <= 8; ++slot) {
        const std::string path = ToW1252(c.folder.filePath(QString("progressive%1.jpg").arg(slot)));
        offrel::testing::JpegOptions camera;
        camera.quality = 92;
        camera.progressive = true;
        offrel::testing::WriteJpeg(path, 6000, 4000, offrel::testing::PhoneLike, camera);
        vente.FieldByName("Photo" + std::to_string(slot)).SetAsString(path);
    }
    vente.Post();
    c.state.ModeModification = true;
    std::vector<double> shown;
    std::vector<double> previews;
    std::vector<double> peaks;
    using Clock = std::chrono::steady_clock;
    const auto since = [](Clock::time_point start) {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    for (auto _ : bench) {
        offrel::testing::ResetPeakMemory();
        const std::uint64_t idle = offrel::testing::PeakMemory();
        const Clock::time_point start = Clock::now();
        TForm2 form(c.tables, c.state, QFile::encodeName(c.folder.path()).toStdString());
        form.show();  // which opens it
        QCoreApplication::processEvents();
        shown.push_back(since(start));
        const auto* decoding = form.findChild<PreviewDecoding*>();
        while (!decoding->Idle()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        previews.push_back(since(start));
        peaks.push_back(static_cast<double>(offrel::testing::PeakMemory() - idle) /
                        (1024.0 * 1024.0));
    }
    bench.counters["shown_ms"] = offrel::bench::MedianOf(shown);
    bench.counters["previews_ms"] = offrel::bench::MedianOf(previews);
    bench.counters["peak_above_idle_MB"] = offrel::bench::MedianOf(peaks);
    vente.Edit();
    for (int slot = 1; slot <= 8; ++slot) vente.FieldByName("Photo" + std::to_string(slot)).Clear();
    vente.Post();
}

}  // namespace

BENCHMARK(BM_OpenNewSale)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenChangedSale)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChooseInList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegFullDecode)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_JpegPreview)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QImageReaderScaled)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenChangedSaleWithEightPhotos)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    offrel::bench::MedianReporter reporter;
    offrel::bench::RunInterleaved(argc, argv, 7, reporter);
    const auto full = reporter.Median("BM_JpegFullDecode");
    const auto preview = reporter.Median("BM_JpegPreview");
    const auto qt = reporter.Median("BM_QImageReaderScaled");
    if (full && preview && qt) {
        std::printf(
            "24 MP JPEG preview / full decode, medians: %.2f (target at most 0.50)\n"
            "24 MP JPEG preview / Qt scaled reader, medians: %.2f (target at most 1.00)\n",
            *preview / *full, *preview / *qt);
    }
    return 0;
}
