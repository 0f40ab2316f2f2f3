#include "editor/TForm2.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QShortcut>
#include <QUrl>
#include <algorithm>

#include "app/Dialogs.h"
#include "app/ErrorReport.h"
#include "app/QtText.h"
#include "editor/CategorySearchPanel.h"
#include "editor/OptionCost.h"
#include "editor/PhotoPreview.h"
#include "editor/SaleEntry.h"
#include "sale/RecentCategories.h"
#include "tables/Conversions.h"
#include "tables/Error.h"
#include "ui_TForm2.h"

namespace {

constexpr int kLastPage = 4;

const char* const kInfosCat =
    "Vous pouvez mettre une même vente jusque dans 3 catégories différentes en même temps si vous "
    "pensez qu'il est opportun de procéder ainsi.\r\n\r\nPensez à modifier par la suite la ou les "
    "catégories que vous aviez sélectionnée(s) pour la vente précédente si la vente suivante "
    "rentre dans une ou des catégorie(s) différente(s)";

const char* const kInfosOptions =
    "Si vous optez pour le redémarrage automatique de votre vente, les options choisies vous "
    "seront facturées au démarrage de chaque nouveau cycle de vente et ce, tant que celles-ci "
    "n'auront pas été supprimées.\r\n\r\n** Tarif préférentiel réservé aux détenteurs d'une "
    "boutique Brivax.\r\n\r\nPour information, le total que vous verrez indiqué en page \" 5. Mise "
    "en vente \" correspond au Tarif Standard : les bénéficiaires de la Formule Boutique Brivax "
    "bénéficieront automatiquement de 50% de remise sur le tarif indiqué sur cette page.";

// The widgets break lines on LF; the tables keep CR LF.
QString FromStored(const std::string& text) {
    return FromW1252(text).replace("\r\n", "\n");
}
std::string ToStored(QString text) {
    return ToW1252(text.replace('\n', "\r\n"));
}

QFont TahomaPixels(int pixels, bool bold) {
    QFont font("Tahoma");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace

TForm2::TForm2(offrel::ApplicationTables& tables, EditorState& state, std::string dataFolder,
               QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TForm2>()),
      tables_(tables),
      state_(state),
      dataFolder_(std::move(dataFolder)),
      cascade_(tables.cdsCategorie, state) {
    ui->setupUi(this);
    search_ = new CategorySearchPanel(ui->EditRecherche, ui->ListBoxResultats);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(501, 425);
    catCbx_ = {ui->CatCbx0, ui->CatCbx1, ui->CatCbx2, ui->CatCbx3,
               ui->CatCbx4, ui->CatCbx5, ui->CatCbx6};
    checkBoxes_ = {ui->CheckBox1, ui->CheckBox2, ui->CheckBox3, ui->CheckBox4,
                   ui->CheckBox5, ui->CheckBox6, ui->CheckBox7};
    images_ = {ui->Image1, ui->Image2, ui->Image3, ui->Image4,
               ui->Image5, ui->Image6, ui->Image7, ui->Image8};
    for (int k = 1; k < CategoryCascade::kLevels; ++k) catCbx_[k]->hide();
    ApplyFonts();
    ConnectHandlers();
    FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::ApplyFonts() {
    setFont(TahomaPixels(11, false));
    ui->Button1->setFont(TahomaPixels(11, true));
    ui->LabelCout->setFont(TahomaPixels(24, true));
    ui->EuroLabel->setFont(TahomaPixels(23, true));
    ui->ButtonValidation->setFont(TahomaPixels(21, false));
    QPalette green = ui->ButtonValidation->palette();
    green.setColor(QPalette::ButtonText, Qt::darkGreen);
    ui->ButtonValidation->setPalette(green);
    // The notes are read-only text on the page's own background.
    for (QPlainTextEdit* note : {ui->InfosCat, ui->InfosOptions}) {
        QPalette palette = note->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        note->setPalette(palette);
    }
}

void TForm2::ConnectHandlers() {
    connect(ui->ButtonPagePrecedente, &QPushButton::clicked, this,
            &TForm2::ButtonPagePrecedenteClick);
    connect(ui->ButtonPageSuivante, &QPushButton::clicked, this, &TForm2::ButtonPageSuivanteClick);
    connect(ui->PageControlVente, &QTabWidget::currentChanged, this,
            &TForm2::PageControlVenteChange);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(ui->ButtonAnnuler, &QPushButton::clicked, this, &TForm2::ButtonAnnulerClick);
    connect(ui->ButtonValidation, &QPushButton::clicked, this, &TForm2::ButtonValidationClick);
    connect(ui->RadioEncheres, &QRadioButton::toggled, this, &TForm2::RadioGroupTypeVenteClick);
    for (int k = 0; k < CategoryCascade::kLevels; ++k) {
        connect(catCbx_[k], &QComboBox::activated, this,
                [this, k](int index) { CatCbxChange(k, index); });
    }
    connect(ui->ButtonAjoutCategorie, &QPushButton::clicked, this,
            &TForm2::ButtonAjoutCategorieClick);
    connect(ui->ButtonSupprimerCategorie, &QPushButton::clicked, this,
            &TForm2::ButtonSupprimerCategorieClick);
    auto* findShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(findShortcut, &QShortcut::activated, this,
            [this] { RunReportingErrors([this] { ShortcutRechercheActivate(); }); });
    connect(search_, &CategorySearchPanel::chosen, this,
            [this](std::int32_t id, const std::string& libelle) {
                RunReportingErrors([&] { CategorySearchChosen(id, libelle); });
            });
    for (int box = 1; box <= OptionCost::kBoxes; ++box) {
        connect(checkBoxes_[box - 1], &QCheckBox::toggled, this,
                [this, box] { CheckBoxClick(box); });
    }
    const std::array<QPushButton*, 8> choose = {
        ui->ButtonImage1, ui->ButtonImage2, ui->ButtonImage3, ui->ButtonImage4,
        ui->ButtonImage5, ui->ButtonImage6, ui->ButtonImage7, ui->ButtonImage8};
    const std::array<QPushButton*, 8> remove = {ui->DelPhoto1, ui->DelPhoto2, ui->DelPhoto3,
                                                ui->DelPhoto4, ui->DelPhoto5, ui->DelPhoto6,
                                                ui->DelPhoto7, ui->DelPhoto8};
    for (int slot = 1; slot <= 8; ++slot) {
        connect(choose[slot - 1], &QPushButton::clicked, this,
                [this, slot] { ButtonImageClick(slot); });
        connect(remove[slot - 1], &QPushButton::clicked, this,
                [this, slot] { DelPhotoClick(slot); });
    }
}

void TForm2::FormCreate() {
    for (int box = 1; box <= OptionCost::kBoxes; ++box)
        checkBoxes_[box - 1]->setText(FromW1252(OptionCost::Caption(tables_.cdsOption, box)));
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm2::FormShow() {
    ui->InfosCat->setPlainText(QString::fromUtf8(kInfosCat).replace("\r\n", "\n"));
    ui->InfosOptions->setPlainText(QString::fromUtf8(kInfosOptions).replace("\r\n", "\n"));
    state_.FichiersPhoto = {};
    state_.CatChoisies = {-1, -1, -1};
    offrel::Table& vente = tables_.cdsVente;
    if (!state_.ModeModification) {
        if (vente.RecordCount() > 0) {
            vente.First();
            ui->MemoDescription->setPlainText(
                FromStored(vente.FieldByName("Description").AsString()));
            ui->EditReference->setText(FromW1252(vente.FieldByName("Reference").AsString()));
            SetSaleType();
            ui->CheckBoxRenouvellement->setChecked(vente.FieldByName("Renouvelable").AsBoolean());
            SetDuration();
            cascade_.RestoreThreePass(RowCategories());
        }
        ui->LabeledEditLibelle->clear();
        ui->EditPrix->clear();
    } else {
        // The length limit stops typing only: a longer stored title shows whole.
        const QString libelle = FromW1252(vente.FieldByName("Libelle").AsString());
        ui->LabeledEditLibelle->setMaxLength(std::max<int>(80, libelle.size()));
        ui->LabeledEditLibelle->setText(libelle);
        ui->MemoDescription->setPlainText(FromStored(vente.FieldByName("Description").AsString()));
        for (int box = 1; box <= OptionCost::kBoxes; ++box) {
            if (vente.FieldByName("Option" + std::to_string(box)).AsBoolean())
                checkBoxes_[box - 1]->setChecked(true);
        }
        // A photo that cannot be shown is reported by LoadPhoto; the opening goes on so that
        // the seller can replace or remove it.
        for (int slot = 1; slot <= 8; ++slot) {
            const std::string path = vente.FieldByName("Photo" + std::to_string(slot)).AsString();
            if (!path.empty()) LoadPhoto(slot, FromW1252(path));
        }
        ui->EditReference->setText(FromW1252(vente.FieldByName("Reference").AsString()));
        SetSaleType();
        offrel::Field prix = vente.FieldByName("Prix");
        ui->EditPrix->setText(prix.IsNull() ? QString()
                                            : FromW1252(offrel::CurrToStr(prix.AsCurrency())));
        ui->CheckBoxRenouvellement->setChecked(vente.FieldByName("Renouvelable").AsBoolean());
        SetDuration();
        cascade_.RestoreSinglePass(RowCategories());
    }
    SyncSelected();
    cascade_.Reset();
    SyncCascade();
    search_->Open(tables_.cdsCategorie, offrel::LoadRecentCategories(dataFolder_));
    ShowPage(0);
}

void TForm2::SetSaleType() {
    offrel::Table& vente = tables_.cdsVente;
    if (vente.FieldByName("TypeVente").AsInteger() == 1) {
        ui->RadioEncheres->setChecked(true);
        ui->EditQuantite->setText("1");
        ui->EditQuantite->setEnabled(false);
    } else {
        ui->RadioPrixNet->setChecked(true);
        ui->EditQuantite->setText(FromW1252(vente.FieldByName("Quantite").AsString()));
        ui->EditQuantite->setEnabled(true);
    }
}

void TForm2::SetDuration() {
    const std::int32_t duree = tables_.cdsVente.FieldByName("DureeTypeVente").AsInteger();
    ui->ComboBoxDuree->setCurrentIndex(duree >= 1 && duree <= 3 ? duree - 1 : -1);
}

std::array<std::int32_t, 3> TForm2::RowCategories() {
    std::array<std::int32_t, 3> fields{};
    for (int k = 0; k < 3; ++k)
        fields[k] = tables_.cdsVente.FieldByName("Categorie" + std::to_string(k + 1)).AsInteger();
    return fields;
}

void TForm2::ShowPage(int index) {
    pageByTab_ = false;
    ui->PageControlVente->setCurrentIndex(index);
    pageByTab_ = true;
}

void TForm2::ButtonPageSuivanteClick() {
    const int page = ui->PageControlVente->currentIndex();
    if (page == kLastPage) return;
    ShowPage(page + 1);
    ui->ButtonPagePrecedente->setEnabled(true);
    if (page + 1 == kLastPage) ui->ButtonPageSuivante->setEnabled(false);
}

void TForm2::ButtonPagePrecedenteClick() {
    const int page = ui->PageControlVente->currentIndex();
    if (page == 0) return;
    ShowPage(page - 1);
    ui->ButtonPageSuivante->setEnabled(true);
    if (page - 1 == 0) ui->ButtonPagePrecedente->setEnabled(false);
}

void TForm2::PageControlVenteChange() {
    if (!pageByTab_) return;
    const int page = ui->PageControlVente->currentIndex();
    ui->ButtonPagePrecedente->setEnabled(page != 0);
    ui->ButtonPageSuivante->setEnabled(page != kLastPage);
}

void TForm2::Button1Click() {
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QDir(QCoreApplication::applicationDirPath()).filePath("aide.html")));
}

void TForm2::ButtonAnnulerClick() {
    reject();
}

void TForm2::RadioGroupTypeVenteClick() {
    if (ui->RadioEncheres->isChecked()) {
        ui->EditQuantite->setText("1");
        ui->EditQuantite->setEnabled(false);
    } else {
        ui->EditQuantite->setEnabled(true);
    }
}

void TForm2::CatCbxChange(int level, int index) {
    cascade_.Choose(level, index);
    SyncCascade();
}

void TForm2::ButtonAjoutCategorieClick() {
    if (cascade_.Add()) SyncSelected();
}

void TForm2::ButtonSupprimerCategorieClick() {
    const int row = ui->ListBoxSelected->currentRow();
    if (row < 0 || !ui->ListBoxSelected->item(row)->isSelected()) return;
    cascade_.Remove(row);
    SyncSelected();
}

void TForm2::ShortcutRechercheActivate() {
    ui->PageControlVente->setCurrentIndex(1);  // as if the seller picked its tab
    ui->EditRecherche->setFocus(Qt::ShortcutFocusReason);
    ui->EditRecherche->selectAll();
}

void TForm2::CategorySearchChosen(std::int32_t id, const std::string& libelle) {
    if (cascade_.AddCategory(id, libelle)) SyncSelected();
}

void TForm2::SyncCascade() {
    for (int k = 0; k < CategoryCascade::kLevels; ++k) {
        const CategoryCascade::Level& level = cascade_.level(k);
        QComboBox* box = catCbx_[k];
        const QSignalBlocker blocker(box);
        if (level.fills != filledLists_[k]) {
            QStringList items;
            items.reserve(static_cast<qsizetype>(level.labels.size()));
            for (const std::string& label : level.labels) items.append(FromW1252(label));
            box->clear();
            box->addItems(items);
            filledLists_[k] = level.fills;
        }
        box->setCurrentIndex(level.chosen);
        if (k > 0) box->setVisible(level.visible);
    }
}

void TForm2::SyncSelected() {
    ui->ListBoxSelected->clear();
    for (const CategoryCascade::Selected& entry : cascade_.selected())
        ui->ListBoxSelected->addItem(FromW1252(entry.text));
}

void TForm2::CheckBoxClick(int box) {
    MajCoutTotal(
        FromW1252(OptionCost::Step(tables_.cdsOption, box, checkBoxes_[box - 1]->isChecked())));
}

void TForm2::MajCoutTotal(const QString& amount) {
    ui->LabelCout->setText(
        FromW1252(OptionCost::MajCoutTotal(ToW1252(ui->LabelCout->text()), ToW1252(amount))));
}

void TForm2::LoadPhoto(int slot, const QString& path) {
    state_.FichiersPhoto[slot - 1] = ToW1252(path);
    QLabel* image = images_[slot - 1];
    try {
        image->setPixmap(QPixmap::fromImage(LoadPhotoPreview(path, image->size())));
    } catch (const offrel::Error& error) {
        Dialogs::Get().Message(this, FromW1252(error.what()));
    }
}

void TForm2::ButtonImageClick(int slot) {
    const QString path =
        Dialogs::Get().OpenFile(this, "Fichiers Images (*.jpg)|*.jpg;*.JPG", lastPhoto_);
    if (path.isEmpty()) return;
    lastPhoto_ = path;
    LoadPhoto(slot, path);
}

void TForm2::DelPhotoClick(int slot) {
    images_[slot - 1]->clear();
    state_.FichiersPhoto[slot - 1].clear();
}

void TForm2::ButtonValidationClick() {
    SaleEntry entry;
    entry.libelle = ToW1252(ui->LabeledEditLibelle->text());
    entry.description = ToStored(ui->MemoDescription->toPlainText());
    entry.reference = ToW1252(ui->EditReference->text());
    entry.quantite = ToW1252(ui->EditQuantite->text());
    entry.prix = ToW1252(ui->EditPrix->text());
    for (int k = 0; k < OptionCost::kBoxes; ++k) entry.options[k] = checkBoxes_[k]->isChecked();
    entry.typeVente = ui->RadioEncheres->isChecked() ? 0 : 1;
    entry.duree = ui->ComboBoxDuree->currentIndex();
    entry.renouvelable = ui->CheckBoxRenouvellement->isChecked();
    const std::string errors = SaleEntryErrors(entry, state_);
    if (!errors.empty()) {
        Dialogs::Get().Message(this, "Votre saisie est incorrecte : \r\n" + FromW1252(errors));
        return;
    }
    SaveSale(tables_.cdsVente, entry, state_);
    offrel::KeepRecentCategories(dataFolder_, state_.CatChoisies);
    accept();
}
