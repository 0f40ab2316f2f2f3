#pragma once

#include <string>

#include "base/Money.h"
#include "tables/Table.h"

namespace offrel {

// What the send window shows before "Démarrer": how many sales wait and what their options
// cost at the standard tariff.
struct Batch {
    int sales = 0;
    Money options;
};

// Each sale's options cost what page 5 of the editor shows for it (its boxes 1 to 7 ticked in
// turn, the total rounded to two decimals at each step); the batch adds these up. Reads
// cdsVente without moving its current row; moves cdsOption. Throws the conversion message of an
// option whose price cannot be read, as ticking its box does.
Batch BatchOf(const Table& cdsVente, Table& cdsOption);

// "12 ventes — options : 34.50 €".
std::string BatchLine(const Batch& batch);

}  // namespace offrel
