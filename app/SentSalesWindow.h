#pragma once

#include <QDialog>
#include <cstdint>
#include <future>
#include <memory>
#include <stop_token>
#include <vector>

#include "app/SalesChange.h"
#include "history/SalesHistory.h"
#include "history/SentSalesList.h"
#include "history/SentSalesSearch.h"
#include "tables/Table.h"

namespace Ui {
class SentSalesWindow;
}
class SentSalesModel;

// "Ventes envoyées": the sales the site accepted, latest first, searched as the main list is;
// the selected ones can go back into the sales table, leave the history or go to a sheet.
class SentSalesWindow : public QDialog {
    Q_OBJECT

public:
    // The history and the tables outlive the window; changeSales runs the relisting.
    SentSalesWindow(offrel::SalesHistory& history, offrel::Table& cdsVente,
                    const offrel::Table& cdsCategorie, SalesChange changeSales,
                    QWidget* parent = nullptr);
    ~SentSalesWindow() override;

    void EditRechercheChange();
    void ButtonRemettreClick();
    void ButtonSupprimerClick();
    void ButtonExporterClick();

private:
    // Reads the history again and shows what the search leaves of it.
    void Reload();
    // Waits for the texts that the search looks at, read beside the window since it opened; a
    // reading that failed is said, and the search goes on without them.
    void TakeSearchTexts();
    // The history's numbers of the selected sales, in the list's order.
    std::vector<std::int64_t> SelectedIds() const;
    void UpdateButtons();

    std::unique_ptr<Ui::SentSalesWindow> ui;
    offrel::SalesHistory& history_;
    offrel::Table& cdsVente_;
    const offrel::Table& cdsCategorie_;
    SalesChange changeSales_;
    offrel::SentSalesList list_;
    std::stop_source stopReading_;                  // when the window closes
    std::future<offrel::FoldedTexts> searchTexts_;  // until the list has them
    offrel::SentSalesSearch search_{list_};
    SentSalesModel* model_;
};
