#pragma once

#include <QString>
#include <array>
#include <memory>
#include <optional>

#include "sale/SalesFinder.h"

class QSettings;

// How the seller left the list of sales: the columns shown (the designed two always are), the
// width of each and the sort.
struct SalesListChoices {
    std::array<bool, offrel::kListColumns> shown{true, true};
    std::array<int, offrel::kListColumns> widths{535, 135, 100, 140, 50, 70, 120, 60};
    std::optional<offrel::ListSort> sort;
    friend bool operator==(const SalesListChoices&, const SalesListChoices&) = default;
};

// The choices remembered from one run to the next, in one INI file of the data folder,
// "Offrel.ini". A missing or damaged file, or a value that makes no sense, gives the default
// without a word; the next choice writes the file anew.
class Settings {
public:
    explicit Settings(const QString& dataFolder);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    SalesListChoices SalesList() const;
    void SetSalesList(const SalesListChoices& choices);

    // "Réduire les photos" of the send window: off until the seller ticks it.
    bool ReducePhotos() const;
    void SetReducePhotos(bool reduce);

private:
    std::unique_ptr<QSettings> store_;
};
