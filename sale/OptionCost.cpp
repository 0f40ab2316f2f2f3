#include "sale/OptionCost.h"

#include <algorithm>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"
#include "tables/Rows.h"

namespace offrel::OptionCost {

namespace {

// Moves cdsOption to the row of the box; false when the table has no row.
bool MoveToBox(Table& cdsOption, int box) {
    const int count = cdsOption.RecordCount();
    if (count == 0) return false;
    cdsOption.MoveTo(std::min(box, count) - 1);
    return true;
}

OptionRow OptionOfBox(Table& cdsOption, int box) {
    OptionRow option;
    if (MoveToBox(cdsOption, box)) option = ReadOption(cdsOption, cdsOption.RecNo());
    return option;
}

}  // namespace

std::string Label(Table& cdsOption, int box) {
    return OptionOfBox(cdsOption, box).libelle.value_or("");
}

std::string Caption(Table& cdsOption, int box) {
    const OptionRow option = OptionOfBox(cdsOption, box);
    return option.libelle.value_or("") + " : " +
           CurrToStrTwoDecimals(option.prix.value_or(Money())) + W(" € (") +
           CurrToStrTwoDecimals(option.prixBoutique.value_or(Money())) + W(" € **)");
}

std::string Step(Table& cdsOption, int box, bool checked) {
    std::string text = checked ? "+" : "-";
    if (MoveToBox(cdsOption, box)) {
        const std::optional<Money> price = ReadOption(cdsOption, cdsOption.RecNo()).prix;
        if (price) text += CurrToStr(*price);
    }
    return text;
}

Money MajCoutTotal(Money total, const std::string& amount) {
    const Money step = StrToCurr(amount);
    std::int64_t sum = 0;
    if (__builtin_add_overflow(total.Ticks(), step.Ticks(), &sum) ||
        sum < -Money::Largest().Ticks())
        throw Error(W("Le coût total dépasse le plus grand montant possible"));
    return RoundedToCents(Money::FromTicks(sum));
}

Money TickedTotal(Table& cdsOption, const std::array<bool, kBoxes>& ticked,
                  std::vector<std::string>* problems) {
    Money total;
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
