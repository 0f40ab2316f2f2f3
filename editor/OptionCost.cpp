#include "editor/OptionCost.h"

#include <algorithm>

#include "tables/Conversions.h"
#include "tables/Error.h"
#include "tables/Windows1252.h"

namespace OptionCost {

namespace {

// Moves cdsOption to the row of the box; false when the table has no row.
bool MoveToBox(offrel::Table& cdsOption, int box) {
    const int count = cdsOption.RecordCount();
    if (count == 0) return false;
    cdsOption.MoveTo(std::min(box, count) - 1);
    return true;
}

}  // namespace

std::string Caption(offrel::Table& cdsOption, int box) {
    std::string name;
    offrel::Money price, shopPrice;
    if (MoveToBox(cdsOption, box)) {
        name = cdsOption.FieldByName("Libelle").AsString();
        price = cdsOption.FieldByName("Prix").AsCurrency();
        shopPrice = cdsOption.FieldByName("PrixBoutique").AsCurrency();
    }
    return name + " : " + offrel::CurrToStrTwoDecimals(price) + offrel::W(" € (") +
           offrel::CurrToStrTwoDecimals(shopPrice) + offrel::W(" € **)");
}

std::string Step(offrel::Table& cdsOption, int box, bool checked) {
    std::string text = checked ? "+" : "-";
    if (MoveToBox(cdsOption, box)) {
        offrel::Field price = cdsOption.FieldByName("Prix");
        if (!price.IsNull()) text += offrel::CurrToStr(price.AsCurrency());
    }
    return text;
}

std::string MajCoutTotal(const std::string& total, const std::string& amount) {
    const offrel::Money step = offrel::StrToCurr(amount);
    const offrel::Money before = offrel::StrToCurr(total);
    std::int64_t sum = 0;
    if (__builtin_add_overflow(before.Ticks(), step.Ticks(), &sum) ||
        sum < -offrel::Money::Largest().Ticks())
        throw offrel::Error(offrel::W("Le coût total dépasse le plus grand montant possible"));
    return offrel::CurrToStrTwoDecimals(offrel::Money::FromTicks(sum));
}

}  // namespace OptionCost
