#include "app/BackupsWindow.h"

#include <QHeaderView>

#include "app/DateTimeText.h"
#include "gui/Dialogs.h"
#include "gui/HandlerConnection.h"
#include "ui_BackupsWindow.h"

BackupsWindow::BackupsWindow(offrel::SalesBackups& backups, offrel::Table& cdsVente,
                             SalesChange changeSales, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::BackupsWindow>()),
      backups_(backups),
      cdsVente_(cdsVente),
      changeSales_(std::move(changeSales)) {
    ui->setupUi(this);
    ui->ListeSauvegardes->verticalHeader()->hide();
    ui->ListeSauvegardes->setColumnWidth(0, 180);
    ui->ListeSauvegardes->horizontalHeader()->setStretchLastSection(true);
    ConnectHandler(ui->ButtonRestaurer, &QPushButton::clicked, this,
                   &BackupsWindow::ButtonRestaurerClick);
    ConnectHandler(ui->ListeSauvegardes, &QTableWidget::itemDoubleClicked, this,
                   &BackupsWindow::ButtonRestaurerClick);
    ConnectHandler(ui->ButtonFermer, &QPushButton::clicked, this, &QDialog::reject);
    Fill();
}

BackupsWindow::~BackupsWindow() = default;

void BackupsWindow::Fill() {
    shown_ = backups_.List();
    QTableWidget* list = ui->ListeSauvegardes;
    list->setRowCount(static_cast<int>(shown_.size()));
    for (int row = 0; row < list->rowCount(); ++row) {
        const offrel::SalesBackup& backup = shown_[static_cast<std::size_t>(row)];
        list->setItem(row, 0, new QTableWidgetItem(DateTimeText(backup.savedAt)));
        auto* count = new QTableWidgetItem(backup.saleCount ? QString::number(*backup.saleCount)
                                                            : QStringLiteral("illisible"));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        list->setItem(row, 1, count);
    }
    if (!shown_.empty()) list->selectRow(0);
    ui->ButtonRestaurer->setEnabled(!shown_.empty());
}

void BackupsWindow::ButtonRestaurerClick() {
    const int row = ui->ListeSauvegardes->currentRow();
    if (row < 0 || row >= static_cast<int>(shown_.size())) return;
    const offrel::SalesBackup backup = shown_[static_cast<std::size_t>(row)];
    if (!Dialogs::Get().Confirm(
            this, QStringLiteral("Remplacer les %1 vente(s) de la liste par celles de la "
                                 "sauvegarde du %2 ? Le fichier actuel est d'abord gardé parmi "
                                 "les sauvegardes.")
                      .arg(cdsVente_.RecordCount())
                      .arg(DateTimeText(backup.savedAt))))
        return;
    try {
        changeSales_([&] { backups_.Restore(cdsVente_, backup); });
    } catch (...) {
        // The current file may have been kept already: the list shows it.
        Fill();
        throw;
    }
    accept();
}
