#include "editor/TForm2.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QShortcut>
#include <QTabBar>
#include <QUrl>
#include <algorithm>
#include <utility>

#include "base/Conversions.h"
#include "base/FileNames.h"
#include "editor/CategorySearchPanel.h"
#include "editor/CompactTabStyle.h"
#include "editor/DescriptionLimit.h"
#include "editor/PhotoPreview.h"
#include "editor/PhotoSlots.h"
#include "editor/PhotoViewer.h"
#include "editor/PreviewDecoding.h"
#include "gui/Dialogs.h"
#include "gui/FileDrop.h"
#include "gui/Fonts.h"
#include "gui/HandlerConnection.h"
#include "gui/QtText.h"
#include "sale/LoadSale.h"
#include "sale/OptionCost.h"
#include "sale/PhotoOrder.h"
#include "sale/RecentCategories.h"
#include "tables/Rows.h"
#include "ui_TForm2.h"

namespace {

constexpr int kLastPage = 4;

// What a slot shows while its preview decodes: a plain frame in the preview's place and size.
QPixmap PreviewPlaceholder(QSize size) {
    QPixmap placeholder(size);
    placeholder.fill(QColor(0xE4, 0xE4, 0xE4));
    QPainter painter(&placeholder);
    painter.setPen(QColor(0xC0, 0xC0, 0xC0));
    painter.drawRect(placeholder.rect().adjusted(0, 0, -1, -1));
    return placeholder;
}

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

}  // namespace

TForm2::TForm2(offrel::ApplicationTables& tables, offrel::EditorState& state,
               std::string dataFolder, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TForm2>()),
      tabStyle_(std::make_unique<CompactTabStyle>()),
      tables_(tables),
      state_(state),
      dataFolder_(std::move(dataFolder)),
      cascade_(tables.cdsCategorie, state) {
    ui->setupUi(this);
    ui->PageControlVente->tabBar()->setStyle(tabStyle_.get());
    search_ = new CategorySearchPanel(ui->EditRecherche, ui->ListBoxResultats);
    descriptionLimit_ = new DescriptionLimit(ui->MemoDescription, ui->LabelResteDescription,
                                             offrel::SaleWidth::kDescription);
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
    previews_ = new PreviewDecoding(this);
    for (int k = 1; k < offrel::CategoryCascade::kLevels; ++k) catCbx_[k]->hide();
    ApplyFonts();
    ConnectHandlers();
    FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::ApplyFonts() {
    setFont(TahomaFont(11));
    ui->Button1->setFont(TahomaFont(11, true));
    ui->LabelCout->setFont(TahomaFont(24, true));
    ui->EuroLabel->setFont(TahomaFont(23, true));
    ui->ButtonValidation->setFont(TahomaFont(21));
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
    ConnectHandler(ui->ButtonPagePrecedente, &QPushButton::clicked, this,
                   &TForm2::ButtonPagePrecedenteClick);
    ConnectHandler(ui->ButtonPageSuivante, &QPushButton::clicked, this,
                   &TForm2::ButtonPageSuivanteClick);
    ConnectHandler(ui->PageControlVente, &QTabWidget::currentChanged, this,
                   &TForm2::PageControlVenteChange);
    ConnectHandler(ui->Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    ConnectHandler(ui->ButtonAnnuler, &QPushButton::clicked, this, &TForm2::ButtonAnnulerClick);
    ConnectHandler(ui->ButtonValidation, &QPushButton::clicked, this,
                   &TForm2::ButtonValidationClick);
    ConnectHandler(ui->RadioEncheres, &QRadioButton::toggled, this,
                   &TForm2::RadioGroupTypeVenteClick);
    for (int k = 0; k < offrel::CategoryCascade::kLevels; ++k) {
        ConnectHandler(catCbx_[k], &QComboBox::activated, this,
                       [this, k](int index) { CatCbxChange(k, index); });
    }
    ConnectHandler(ui->ButtonAjoutCategorie, &QPushButton::clicked, this,
                   &TForm2::ButtonAjoutCategorieClick);
    ConnectHandler(ui->ButtonSupprimerCategorie, &QPushButton::clicked, this,
                   &TForm2::ButtonSupprimerCategorieClick);
    auto* findShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    ConnectHandler(findShortcut, &QShortcut::activated, this, &TForm2::ShortcutRechercheActivate);
    ConnectHandler(search_, &CategorySearchPanel::chosen, this, &TForm2::CategorySearchChosen);
    for (int box = 1; box <= offrel::OptionCost::kBoxes; ++box) {
        ConnectHandler(checkBoxes_[box - 1], &QCheckBox::toggled, this,
                       [this, box] { CheckBoxClick(box); });
    }
    const std::array<QPushButton*, 8> choose = {
        ui->ButtonImage1, ui->ButtonImage2, ui->ButtonImage3, ui->ButtonImage4,
        ui->ButtonImage5, ui->ButtonImage6, ui->ButtonImage7, ui->ButtonImage8};
    const std::array<QPushButton*, 8> remove = {ui->DelPhoto1, ui->DelPhoto2, ui->DelPhoto3,
                                                ui->DelPhoto4, ui->DelPhoto5, ui->DelPhoto6,
                                                ui->DelPhoto7, ui->DelPhoto8};
    for (int slot = 1; slot <= 8; ++slot) {
        ConnectHandler(choose[slot - 1], &QPushButton::clicked, this,
                       [this, slot] { ButtonImageClick(slot); });
        ConnectHandler(remove[slot - 1], &QPushButton::clicked, this,
                       [this, slot] { DelPhotoClick(slot); });
    }
    // Photos dropped from the file manager: any local files, which their checks then sort out.
    new FileDrop(
        ui->TabSheet4, [](const QStringList&) { return true; },
        [this](const QStringList& paths) { PhotosDropped(paths); });
    ConnectHandler(previews_, &PreviewDecoding::Decoded, this, &TForm2::PreviewDecoded);
    new PhotoSlots(
        images_, [this](int slot) { return !state_.FichiersPhoto[slot - 1].empty(); },
        [this](int from, int to) { MovePhoto(from, to); }, [this](int slot) { OpenPhoto(slot); },
        this);
}

void TForm2::FormCreate() {
    for (int box = 1; box <= offrel::OptionCost::kBoxes; ++box)
        checkBoxes_[box - 1]->setText(
            FromW1252(offrel::OptionCost::Caption(tables_.cdsOption, box)));
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm2::FormShow() {
    ui->InfosCat->setPlainText(QString::fromUtf8(kInfosCat).replace("\r\n", "\n"));
    ui->InfosOptions->setPlainText(QString::fromUtf8(kInfosOptions).replace("\r\n", "\n"));
    const offrel::LoadedSale sale = offrel::LoadSale(tables_, cascade_, state_);
    const offrel::SaleEntry& entry = sale.entry;
    // The length limit stops typing only: a longer stored title shows whole.
    const QString libelle = FromW1252(entry.libelle);
    ui->LabeledEditLibelle->setMaxLength(std::max<int>(80, libelle.size()));
    ui->LabeledEditLibelle->setText(libelle);
    ui->MemoDescription->setPlainText(FromStored(entry.description));
    for (int box = 1; box <= offrel::OptionCost::kBoxes; ++box) {
        // The total was added up with the sale: the click steps must not add it again.
        const QSignalBlocker blocker(checkBoxes_[box - 1]);
        checkBoxes_[box - 1]->setChecked(entry.options[box - 1]);
    }
    ShowCout(sale.cout);
    ui->EditReference->setText(FromW1252(entry.reference));
    (entry.typeVente == 0 ? ui->RadioEncheres : ui->RadioPrixNet)->setChecked(true);
    ui->EditQuantite->setText(FromW1252(entry.quantite));
    ui->EditQuantite->setEnabled(entry.typeVente != 0);
    ui->EditPrix->setText(FromW1252(entry.prix));
    ui->CheckBoxRenouvellement->setChecked(entry.renouvelable);
    ui->ComboBoxDuree->setCurrentIndex(entry.duree);
    SyncSelected();
    SyncCascade();
    search_->Open(tables_.cdsCategorie, offrel::LoadRecentCategories(dataFolder_));
    ShowPage(0);
    for (const std::string& problem : sale.problems)
        Dialogs::Get().Message(this, FromW1252(problem));
    // A stored photo that cannot be shown is reported and stays; the seller can then replace or
    // remove it. Previews still coming from an earlier showing are for slots loaded anew.
    coming_ = {};
    for (QLabel* image : images_) image->clear();
    for (int slot = 1; slot <= 8; ++slot)
        if (!state_.FichiersPhoto[slot - 1].empty())
            ShowPhoto(slot, state_.FichiersPhoto[slot - 1]);
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
    // The entry goes with its selection: a second "<< Retirer" removes nothing more.
    ui->ListBoxSelected->setCurrentRow(-1);
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
    for (int k = 0; k < offrel::CategoryCascade::kLevels; ++k) {
        const offrel::CategoryCascade::Level& level = cascade_.level(k);
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
    // An entry is added at the end: the selected row still holds the entry the seller selected.
    QListWidget* list = ui->ListBoxSelected;
    const int row = list->currentRow();
    const bool selected = row >= 0 && list->item(row)->isSelected();
    list->clear();
    for (const offrel::CategoryCascade::Selected& entry : cascade_.selected())
        list->addItem(FromW1252(entry.text));
    if (selected && row < list->count()) list->setCurrentRow(row);
}

void TForm2::CheckBoxClick(int box) {
    MajCoutTotal(FromW1252(
        offrel::OptionCost::Step(tables_.cdsOption, box, checkBoxes_[box - 1]->isChecked())));
}

void TForm2::MajCoutTotal(const QString& amount) {
    ShowCout(offrel::OptionCost::MajCoutTotal(cout_, ToW1252(amount)));
}

void TForm2::ShowCout(offrel::Money total) {
    cout_ = total;
    ui->LabelCout->setText(FromW1252(offrel::CurrToStrTwoDecimals(total)));
}

void TForm2::ShowPhoto(int slot, const std::string& path) {
    QLabel* image = images_[slot - 1];
    ComingPreview& coming = coming_[slot - 1];
    if (coming.ticket == 0) {
        coming.formerPath = state_.FichiersPhoto[slot - 1];
        coming.formerPreview = image->pixmap();
    }
    coming.ticket = previews_->Start(path, image->size());
    state_.FichiersPhoto[slot - 1] = path;
    image->setPixmap(PreviewPlaceholder(image->size()));
}

void TForm2::PreviewDecoded(quint64 ticket, const QImage& image, const QString& failure) {
    const auto waiting =
        std::find_if(coming_.begin(), coming_.end(),
                     [ticket](const ComingPreview& c) { return c.ticket == ticket; });
    if (waiting == coming_.end()) return;  // its slot was emptied or given another photo since
    const auto slot = static_cast<std::size_t>(waiting - coming_.begin());
    ComingPreview former = std::exchange(*waiting, ComingPreview());
    if (failure.isEmpty()) {
        images_[slot]->setPixmap(QPixmap::fromImage(image));
        return;
    }
    // A file that cannot be shown would only stop the upload: the slot keeps what it had.
    state_.FichiersPhoto[slot] = former.formerPath;
    if (former.formerPreview.isNull())
        images_[slot]->clear();
    else
        images_[slot]->setPixmap(former.formerPreview);
    Dialogs::Get().Message(this, failure);
}

void TForm2::ButtonImageClick(int slot) {
    const QString path =
        Dialogs::Get().OpenFile(this, "Fichiers Images (*.jpg)|*.jpg;*.JPG", lastPhoto_);
    if (path.isEmpty()) return;
    lastPhoto_ = path;
    ChoosePhoto(slot, path);
}

void TForm2::ChoosePhoto(int slot, const QString& path) {
    // The path is stored as Windows-1252 text: one that it cannot write would never name its
    // file again.
    const std::optional<std::string> stored =
        offrel::PathFromFileSystemName(QFile::encodeName(path).toStdString());
    if (!stored) {
        Dialogs::Get().Message(
            this, QStringLiteral("Le chemin « %1 » contient des caractères que l'application ne "
                                 "sait pas enregistrer. Renommez le fichier ou son dossier, "
                                 "puis choisissez-le à nouveau.")
                      .arg(QDir::toNativeSeparators(path)));
        return;
    }
    ShowPhoto(slot, *stored);
}

void TForm2::PhotosDropped(const QStringList& paths) {
    QStringList notJpeg;
    QStringList beyond;
    int slot = 1;
    for (const QString& path : paths) {
        const QString name = QFileInfo(path).fileName();
        if (!HasJpegExtension(path)) {
            notJpeg.append(name);
            continue;
        }
        while (slot <= 8 && !state_.FichiersPhoto[slot - 1].empty()) ++slot;
        if (slot > 8) {
            beyond.append(name);
            continue;
        }
        // As if chosen through the slot's dialog, which starts on it next time.
        lastPhoto_ = path;
        ChoosePhoto(slot, path);
        // A path refused leaves its slot free for the next file.
    }
    if (!notJpeg.isEmpty())
        Dialogs::Get().Message(this, QStringLiteral("Ces fichiers ne sont pas des photos JPEG "
                                                    "(.jpg) et n'ont pas été ajoutés : %1.")
                                         .arg(notJpeg.join(QStringLiteral(", "))));
    if (!beyond.isEmpty())
        Dialogs::Get().Message(this, QStringLiteral("Une vente a huit photos au plus : ces "
                                                    "fichiers n'ont pas été ajoutés : %1.")
                                         .arg(beyond.join(QStringLiteral(", "))));
}

void TForm2::MovePhoto(int from, int to) {
    offrel::MoveToSlot(state_.FichiersPhoto, from, to);
    offrel::MoveToSlot(coming_, from, to);
    std::array<QPixmap, 8> previews;
    for (int slot = 1; slot <= 8; ++slot) previews[slot - 1] = images_[slot - 1]->pixmap();
    offrel::MoveToSlot(previews, from, to);
    for (int slot = 1; slot <= 8; ++slot) images_[slot - 1]->setPixmap(previews[slot - 1]);
}

void TForm2::OpenPhoto(int slot) {
    // The other photos in slot order, free slots passed over.
    std::vector<std::string> paths;
    int shown = 0;
    for (int k = 1; k <= 8; ++k) {
        if (state_.FichiersPhoto[k - 1].empty()) continue;
        if (k == slot) shown = static_cast<int>(paths.size());
        paths.push_back(state_.FichiersPhoto[k - 1]);
    }
    auto* viewer = new PhotoViewer(std::move(paths), shown, this);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->open();
}

void TForm2::DelPhotoClick(int slot) {
    coming_[slot - 1] = ComingPreview();
    images_[slot - 1]->clear();
    state_.FichiersPhoto[slot - 1].clear();
}

void TForm2::ButtonValidationClick() {
    // A photo whose preview is still coming may yet prove unreadable and give its slot back:
    // the sale is saved once every slot holds what it will keep.
    if (std::any_of(coming_.begin(), coming_.end(),
                    [](const ComingPreview& c) { return c.ticket != 0; })) {
        Dialogs::Get().Message(this, QStringLiteral("Les photos choisies sont encore en cours de "
                                                    "lecture : validez à nouveau dès que leurs "
                                                    "aperçus sont affichés."));
        return;
    }
    offrel::SaleEntry entry;
    entry.libelle = ToW1252(ui->LabeledEditLibelle->text());
    entry.description = ToStored(ui->MemoDescription->toPlainText());
    entry.reference = ToW1252(ui->EditReference->text());
    entry.unsendable = {UnsendableCharacters(ui->LabeledEditLibelle->text()),
                        UnsendableCharacters(ui->MemoDescription->toPlainText()),
                        UnsendableCharacters(ui->EditReference->text())};
    entry.quantite = ToW1252(ui->EditQuantite->text());
    entry.prix = ToW1252(ui->EditPrix->text());
    for (int k = 0; k < offrel::OptionCost::kBoxes; ++k)
        entry.options[k] = checkBoxes_[k]->isChecked();
    entry.typeVente = ui->RadioEncheres->isChecked() ? 0 : 1;
    entry.duree = ui->ComboBoxDuree->currentIndex();
    entry.renouvelable = ui->CheckBoxRenouvellement->isChecked();
    const std::string errors = offrel::SaleEntryErrors(entry, state_);
    if (!errors.empty()) {
        Dialogs::Get().Message(
            this, "Votre saisie est incorrecte : \r\n" + QString::fromStdString(errors));
        return;
    }
    offrel::SaveSale(tables_.cdsVente, entry, state_);
    offrel::KeepRecentCategories(dataFolder_, state_.CatChoisies);
    accept();
}
