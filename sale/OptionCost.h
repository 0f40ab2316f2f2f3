#pragma once

#include <array>
#include <string>
#include <vector>

#include "base/Money.h"
#include "tables/Table.h"

// The paid options of the third page and their running total, in Windows-1252 text.
namespace offrel::OptionCost {

constexpr int kBoxes = 7;

// The caption of box (1 to 7): "Libelle : Prix € (PrixBoutique € **)", both amounts with two
// decimals. Box N stands for row N of cdsOption; with fewer rows the last one repeats, with no
// row the name is empty and both amounts 0.00. Moves cdsOption to that row.
std::string Caption(Table& cdsOption, int box);
// The name alone.
std::string Label(Table& cdsOption, int box);

// The signed amount that ticking ("+") or unticking ("-") box adds to the total: the sign and
// the option's Prix as its shortest decimal text (the sign alone when Prix is empty).
std::string Step(Table& cdsOption, int box, bool checked);

// The total after adding the signed amount (a step's text) to it, rounded to two decimals as the
// page shows it: the total is rounded at every step. Throws the conversion message when the
// amount is not one, and a message when the total leaves the range of amounts.
Money MajCoutTotal(Money total, const std::string& amount);

// The total the page shows once the ticked boxes are ticked in turn from 0. A box whose amount
// cannot be added is passed over with its message in problems; without problems, its error is
// thrown.
Money TickedTotal(Table& cdsOption, const std::array<bool, kBoxes>& ticked,
                  std::vector<std::string>* problems = nullptr);

}  // namespace offrel::OptionCost
