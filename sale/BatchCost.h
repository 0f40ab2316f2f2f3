#pragma once

#include <string>
#include <vector>

#include "base/Money.h"
#include "tables/Table.h"

namespace offrel {

// What the send window shows before "Démarrer": how many sales wait and what their options
// cost at the standard tariff.
struct Batch {
    int sales = 0;
    Money options;
    bool selected = false;  // the sales chosen in the list, not all of them
};

// Each sale's options cost what page 5 of the editor shows for it (its boxes 1 to 7 ticked in
// turn, the total rounded to two decimals at each step); the batch adds these up. Reads
// cdsVente without moving its current row; moves cdsOption. Throws the conversion message of an
// option whose price cannot be read, as ticking its box does.
Batch BatchOf(const Table& cdsVente, Table& cdsOption);
// The same for the sales at positions of cdsVente.
Batch BatchOfSelection(const Table& cdsVente, Table& cdsOption, const std::vector<int>& positions);

// "12 ventes — options : 34.50 €", "3 ventes sélectionnées — options : 4.50 €".
std::string BatchLine(const Batch& batch);

}  // namespace offrel
