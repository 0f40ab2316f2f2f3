#include "app/SentSalesWindow.h"

#include <QHeaderView>
#include <algorithm>

#include "app/SalesSheetExport.h"
#include "app/SentSalesModel.h"
#include "gui/Dialogs.h"
#include "gui/ErrorReport.h"
#include "gui/HandlerConnection.h"
#include "gui/QtText.h"
#include "history/Relisting.h"
#include "sale/SearchText.h"
#include "ui_SentSalesWindow.h"

SentSalesWindow::SentSalesWindow(offrel::SalesHistory& history, offrel::Table& cdsVente,
                                 const offrel::Table& cdsCategorie, SalesChange changeSales,
                                 QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::SentSalesWindow>()),
      history_(history),
      cdsVente_(cdsVente),
      cdsCategorie_(cdsCategorie),
      changeSales_(std::move(changeSales)) {
    ui->setupUi(this);
    model_ = new SentSalesModel(list_, this);
    QTableView* grid = ui->ListeVentes;
    grid->setModel(model_);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setWordWrap(false);
    grid->setColumnWidth(0, 130);
    grid->setColumnWidth(1, 420);
    grid->setColumnWidth(2, 100);
    grid->horizontalHeader()->setStretchLastSection(true);

    ConnectHandler(ui->EditRecherche, &QLineEdit::textChanged, this,
                   &SentSalesWindow::EditRechercheChange);
    ConnectHandler(ui->ButtonRemettre, &QPushButton::clicked, this,
                   &SentSalesWindow::ButtonRemettreClick);
    ConnectHandler(ui->ButtonSupprimer, &QPushButton::clicked, this,
                   &SentSalesWindow::ButtonSupprimerClick);
    ConnectHandler(ui->ButtonExporter, &QPushButton::clicked, this,
                   &SentSalesWindow::ButtonExporterClick);
    ConnectHandler(ui->ButtonFermer, &QPushButton::clicked, this, &QDialog::reject);
    ConnectHandler(grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                   &SentSalesWindow::UpdateButtons);
    // The lines show at once; the texts, many times larger, come while the seller looks.
    searchTexts_ = std::async(std::launch::async, offrel::SalesHistory::ReadSearchTexts,
                              history_.Path(), stopReading_.get_token());
    Reload();
}

SentSalesWindow::~SentSalesWindow() {
    stopReading_.request_stop();  // the reading then ends at its next sale
}

void SentSalesWindow::Reload() {
    offrel::SentSalesList reread = history_.List();
    reread.SetCategoryNames(cdsCategorie_);
    // Texts already taken serve the sales that stay; texts still coming will be matched to them.
    if (!searchTexts_.valid()) reread.SetSearchTexts(std::move(list_).SearchTexts());
    list_ = std::move(reread);
    search_.Forget();
    EditRechercheChange();
}

void SentSalesWindow::TakeSearchTexts() {
    if (searchTexts_.valid())
        RunReportingErrors([this] { list_.SetSearchTexts(searchTexts_.get()); });
}

void SentSalesWindow::EditRechercheChange() {
    const std::string typed = ToW1252(ui->EditRecherche->text());
    if (!offrel::SearchWords(typed).empty()) TakeSearchTexts();
    model_->Show(search_.Find(typed));
    ui->LabelNombre->setText(QStringLiteral("%1 / %2").arg(model_->rowCount()).arg(list_.size()));
    UpdateButtons();
}

void SentSalesWindow::UpdateButtons() {
    const bool selected = ui->ListeVentes->selectionModel()->hasSelection();
    for (QPushButton* button : {ui->ButtonRemettre, ui->ButtonSupprimer, ui->ButtonExporter})
        button->setEnabled(selected);
}

std::vector<std::int64_t> SentSalesWindow::SelectedIds() const {
    QModelIndexList rows = ui->ListeVentes->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    std::vector<std::int64_t> ids;
    ids.reserve(static_cast<std::size_t>(rows.size()));
    for (const QModelIndex& row : rows) ids.push_back(model_->IdAt(row.row()));
    return ids;
}

void SentSalesWindow::ButtonRemettreClick() {
    const std::vector<offrel::SentSale> sales = history_.Read(SelectedIds());
    if (sales.empty()) return;
    const std::vector<std::string> missing = offrel::MissingPhotos(sales);
    if (!missing.empty()) {
        QString list;
        for (const std::string& photo : missing) list += FromW1252(photo) + QLatin1Char('\n');
        Dialogs::Get().Report(
            this, QStringLiteral("Ces photos n'existent plus. Les ventes sont remises en vente "
                                 "quand même ; l'envoi les arrêtera tant que leurs photos "
                                 "manqueront :\n\n") +
                      list);
    }
    changeSales_([&] { offrel::Relist(cdsVente_, sales); });
}

void SentSalesWindow::ButtonSupprimerClick() {
    const std::vector<std::int64_t> ids = SelectedIds();
    if (ids.empty()) return;
    if (!Dialogs::Get().Confirm(this,
                                QStringLiteral("Supprimer de l'historique %1 vente(s) envoyée(s) ? "
                                               "Elles n'y seront plus.")
                                    .arg(ids.size())))
        return;
    history_.Remove(ids);
    Reload();
}

void SentSalesWindow::ButtonExporterClick() {
    const std::vector<offrel::SentSale> sales = history_.Read(SelectedIds());
    if (!sales.empty()) ExportSentSalesAsked(this, sales);
}
