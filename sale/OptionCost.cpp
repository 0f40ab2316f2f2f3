#include "sale/OptionCost.h"

#include <algorithm>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"

namespace offrel::OptionCost {

namespace {

// Moves cdsOption to the row of the box; false when the table has no row.
bool MoveToBox(Table& cdsOption, int box) {
    const int count = cdsOption.RecordCount();
    if (count == 0) return false;
    cdsOption.MoveTo(std::min(box, count) - 1);
    return true;
}

}  // namespace

std::string Caption(Table& cdsOption, int box) {
    std::string name;
    Money price, shopPrice;
    if (MoveToBox(cdsOption, box)) {
        name = cdsOption.FieldByName("Libelle").AsString();
        price = cdsOption.FieldByName("Prix").AsCurrency();
        shopPrice = cdsOption.FieldByName("PrixBoutique").AsCurrency();
    }
    return name + " : " + CurrToStrTwoDecimals(price) + W(" € (") +
           CurrToStrTwoDecimals(shopPrice) + W(" € **)");
}

std::string Step(Table& cdsOption, int box, bool checked) {
    std::string text = checked ? "+" : "-";
    if (MoveToBox(cdsOption, box)) {
        Field price = cdsOption.FieldByName("Prix");
        if (!price.IsNull()) text += CurrToStr(price.AsCurrency());
    }
    return text;
}

std::string MajCoutTotal(const std::string& total, const std::string& amount) {
    const Money step = StrToCurr(amount);
    const Money before = StrToCurr(total);
    std::int64_t sum = 0;
    if (__builtin_add_overflow(before.Ticks(), step.Ticks(), &sum) ||
        sum < -Money::Largest().Ticks())
        throw Error(W("Le coût total dépasse le plus grand montant possible"));
    return CurrToStrTwoDecimals(Money::FromTicks(sum));
}

std::string TickedTotal(Table& cdsOption, const std::array<bool, kBoxes>& ticked,
                        std::vector<std::string>* problems) {
    std::string total = "0.00";
    for (int box = 1; box <= kBoxes; ++box) {
        if (!ticked[box - 1]) continue;
        try {
            total = MajCoutTotal(total, Step(cdsOption, box, true));
        } catch (const Error& error) {
            if (!problems) throw;
            problems->push_back(error.what());
        }
    }
    return total;
}

}  // namespace offrel::OptionCost
