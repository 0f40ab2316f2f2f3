#include "app/BulkChangeWindow.h"

#include <QCheckBox>

#include "base/Conversions.h"
#include "base/Error.h"
#include "editor/CategorySearchPanel.h"
#include "gui/Dialogs.h"
#include "gui/Fonts.h"
#include "gui/HandlerConnection.h"
#include "gui/QtText.h"
#include "sale/OptionCost.h"
#include "sale/PriceChange.h"
#include "tables/Rows.h"
#include "ui_BulkChangeWindow.h"

namespace {

constexpr int kMostCategories = 3;

QString Range(const char* when, const std::optional<offrel::PriceRange>& range) {
    if (!range) return QString();
    return QStringLiteral("%1 : de %2 € à %3 €")
        .arg(QString::fromUtf8(when), FromW1252(offrel::CurrToStrTwoDecimals(range->lowest)),
             FromW1252(offrel::CurrToStrTwoDecimals(range->highest)));
}

// The text typed, in Windows-1252; a character that Windows-1252 lacks would reach the sales as
// "?": it is refused.
std::string TypedText(const QString& typed) {
    const std::string text = ToW1252(typed);
    if (FromW1252(text) != typed)
        throw offrel::Error(
            offrel::W("Le texte contient des caractères que le site ne peut pas recevoir"));
    return text;
}

}  // namespace

BulkChangeWindow::BulkChangeWindow(offrel::ApplicationTables& tables,
                                   const std::vector<int>& positions,
                                   const std::vector<std::int32_t>& recent, Apply apply,
                                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::BulkChangeWindow>()),
      apply_(std::move(apply)) {
    ui->setupUi(this);
    setFont(TahomaFont(11));
    setFixedSize(size());
    ui->LabelVentes->setText(
        QStringLiteral("%1 ventes sélectionnées : chaque champ coché est changé dans chacune.")
            .arg(positions.size()));
    prices_.reserve(positions.size());
    for (int position : positions)
        prices_.push_back(offrel::ReadSale(tables.cdsVente, position).prix);
    const QList<QCheckBox*> options = {
        ui->CheckBoxOption1, ui->CheckBoxOption2, ui->CheckBoxOption3, ui->CheckBoxOption4,
        ui->CheckBoxOption5, ui->CheckBoxOption6, ui->CheckBoxOption7};
    for (int box = 1; box <= offrel::OptionCost::kBoxes; ++box) {
        QCheckBox* option = options[box - 1];
        option->setText(FromW1252(offrel::OptionCost::Label(tables.cdsOption, box)));
        option->setCheckState(Qt::PartiallyChecked);
    }
    search_ = new CategorySearchPanel(ui->EditRechercheCategorie, ui->ListBoxResultats);
    search_->Open(tables.cdsCategorie, recent);

    ConnectHandler(ui->GroupBoxPrix, &QGroupBox::toggled, this, &BulkChangeWindow::PriceChange);
    ConnectHandler(ui->ComboBoxRegle, &QComboBox::currentIndexChanged, this,
                   &BulkChangeWindow::PriceChange);
    ConnectHandler(ui->EditValeur, &QLineEdit::textChanged, this, &BulkChangeWindow::PriceChange);
    ConnectHandler(ui->ComboBoxTypeVente, &QComboBox::currentIndexChanged, this,
                   &BulkChangeWindow::ComboBoxTypeVenteChange);
    ConnectHandler(search_, &CategorySearchPanel::chosen, this, &BulkChangeWindow::CategoryChosen);
    ConnectHandler(ui->ButtonRetirerCategorie, &QPushButton::clicked, this,
                   &BulkChangeWindow::ButtonRetirerCategorieClick);
    ConnectHandler(ui->ButtonAppliquer, &QPushButton::clicked, this,
                   &BulkChangeWindow::ButtonAppliquerClick);
    ConnectHandler(ui->ButtonAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    PriceChange();
}

BulkChangeWindow::~BulkChangeWindow() = default;

void BulkChangeWindow::PriceChange() {
    std::vector<offrel::Money> before;
    before.reserve(prices_.size());
    for (const std::optional<offrel::Money>& price : prices_)
        before.push_back(price.value_or(offrel::Money()));
    ui->LabelAvant->setText(Range("Avant", offrel::RangeOf(before)));
    QString after;
    if (ui->GroupBoxPrix->isChecked() && !ui->EditValeur->text().trimmed().isEmpty()) {
        try {
            const offrel::PriceChange change = offrel::ReadPriceChange(
                static_cast<offrel::PriceRule>(ui->ComboBoxRegle->currentIndex()),
                ToW1252(ui->EditValeur->text()));
            std::vector<offrel::Money> changed;
            changed.reserve(prices_.size());
            for (const std::optional<offrel::Money>& price : prices_)
                changed.push_back(offrel::ChangedPrice(price, change));
            after = Range("Après", offrel::RangeOf(changed));
        } catch (const offrel::Error& error) {
            after = QStringLiteral("Après : ") + FromW1252(error.what());
        }
    }
    ui->LabelApres->setText(after);
}

void BulkChangeWindow::ComboBoxTypeVenteChange() {
    // An auction sells one article.
    const bool fixedPrice = ui->ComboBoxTypeVente->currentIndex() == 1;
    if (!fixedPrice) ui->EditQuantite->setText(QStringLiteral("1"));
    ui->EditQuantite->setEnabled(fixedPrice);
}

void BulkChangeWindow::CategoryChosen(std::int32_t id, const std::string& libelle) {
    if (static_cast<int>(categories_.size()) >= kMostCategories ||
        std::find(categories_.begin(), categories_.end(), id) != categories_.end())
        return;
    categories_.push_back(id);
    ui->ListBoxCategories->addItem(FromW1252(libelle + " (#" + std::to_string(id) + ")"));
}

void BulkChangeWindow::ButtonRetirerCategorieClick() {
    const int row = ui->ListBoxCategories->currentRow();
    if (row < 0 || row >= static_cast<int>(categories_.size())) return;
    categories_.erase(categories_.begin() + row);
    delete ui->ListBoxCategories->takeItem(row);
}

offrel::BulkChange BulkChangeWindow::ReadChange() const {
    offrel::BulkChange change;
    if (ui->GroupBoxPrix->isChecked())
        change.price = offrel::ReadPriceChange(
            static_cast<offrel::PriceRule>(ui->ComboBoxRegle->currentIndex()),
            ToW1252(ui->EditValeur->text()));
    if (ui->GroupBoxTypeVente->isChecked()) {
        const bool fixedPrice = ui->ComboBoxTypeVente->currentIndex() == 1;
        change.typeVente = fixedPrice ? offrel::SaleType::FixedPrice : offrel::SaleType::Auction;
        change.quantite = offrel::StrToInt(ToW1252(ui->EditQuantite->text()));
    }
    if (ui->GroupBoxDuree->isChecked())
        change.dureeTypeVente = offrel::kDurations[ui->ComboBoxDuree->currentIndex()];
    if (ui->GroupBoxRenouvellement->isChecked())
        change.renouvelable = ui->CheckBoxRenouvellement->isChecked();
    const QList<QCheckBox*> options = {
        ui->CheckBoxOption1, ui->CheckBoxOption2, ui->CheckBoxOption3, ui->CheckBoxOption4,
        ui->CheckBoxOption5, ui->CheckBoxOption6, ui->CheckBoxOption7};
    for (int box = 0; box < offrel::OptionCost::kBoxes; ++box) {
        const Qt::CheckState state = options[box]->checkState();
        if (state != Qt::PartiallyChecked) change.options[box] = state == Qt::Checked;
    }
    if (ui->GroupBoxCategories->isChecked()) {
        if (categories_.empty())
            throw offrel::Error(
                offrel::W("Choisissez une à trois catégories, ou décochez "
                          "« Catégories »"));
        change.categories = categories_;
    }
    if (ui->GroupBoxDescription->isChecked()) {
        // The lines of the text joined as the editor joins those of a description.
        const QString typed =
            ui->MemoTexte->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        change.description = offrel::DescriptionChange{ui->ComboBoxDescription->currentIndex() == 0,
                                                       TypedText(typed)};
    }
    return change;
}

void BulkChangeWindow::ButtonAppliquerClick() {
    const offrel::BulkOutcome outcome = apply_(ReadChange());
    if (outcome.failed > 0) {
        Dialogs::Get().Report(this, FromW1252(outcome.report));
        return;
    }
    accept();
}
