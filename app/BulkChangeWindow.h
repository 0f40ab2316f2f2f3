#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "base/Money.h"
#include "sale/BulkChange.h"
#include "tables/ApplicationTables.h"

namespace Ui {
class BulkChangeWindow;
}
class CategorySearchPanel;

// "Modifier en lot": one window for the selected sales, where each field is left alone unless
// its frame is ticked (an option, unless its box is ticked or unticked). It shows the lowest and
// highest price before and after the change, and "Appliquer" makes the change in every sale as
// one step: when some sale would not pass the editor's checks, nothing changes, the report says
// which and why, and the window stays open.
class BulkChangeWindow : public QDialog {
    Q_OBJECT

public:
    // Makes the change and says what came of it.
    using Apply = std::function<offrel::BulkOutcome(const offrel::BulkChange&)>;

    // positions: the selected sales of cdsVente; recent: the categories chosen last, latest first.
    BulkChangeWindow(offrel::ApplicationTables& tables, const std::vector<int>& positions,
                     const std::vector<std::int32_t>& recent, Apply apply,
                     QWidget* parent = nullptr);
    ~BulkChangeWindow() override;

    void PriceChange();
    void ComboBoxTypeVenteChange();
    void CategoryChosen(std::int32_t id, const std::string& libelle);
    void ButtonRetirerCategorieClick();
    void ButtonAppliquerClick();

    // What the ticked controls change; throws the conversion message of a value that cannot be
    // read.
    offrel::BulkChange ReadChange() const;

private:
    std::unique_ptr<Ui::BulkChangeWindow> ui;
    CategorySearchPanel* search_;
    Apply apply_;
    std::vector<std::optional<offrel::Money>> prices_;  // of the selected sales
    std::vector<std::int32_t> categories_;              // those of ListBoxCategories
};
