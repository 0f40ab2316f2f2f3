#pragma once

#include <array>
#include <string>

#include "sale/EditorState.h"
#include "tables/Table.h"

namespace offrel {

// The characters of the typed texts that Windows-1252 lacks, each once, in UTF-8 and separated
// by a space (CharactersBeyondWindows1252): the site cannot receive them, and the texts of the
// entry hold "?" in their place.
struct UnsendableCharacters {
    std::string libelle;
    std::string description;
    std::string reference;
};

// What the five pages hold, in Windows-1252 text; the defaults are those of an opening on an
// empty table.
struct SaleEntry {
    std::string libelle;
    std::string description;  // lines joined by CR LF
    std::string reference;
    std::string quantite = "1";
    std::string prix;
    std::array<bool, 7> options{};
    int typeVente = 0;  // item index: 0 auction, 1 fixed price
    int duree = 2;      // item index of the duration list, -1 when none is chosen
    bool renouvelable = true;
    UnsendableCharacters unsendable;  // filled where the texts come from the widgets
};

// The lines of the failed checks, each followed by CR LF, in the order of the checks; empty
// when the sale can be saved. In UTF-8, unlike the rest of the core's text: the characters that
// the site cannot receive show as typed. A quantity that is not a whole number throws its
// conversion message at once, whatever else is wrong. Besides the designed checks: characters
// that the site cannot receive, and a description longer than its column.
std::string SaleEntryErrors(const SaleEntry& entry, const EditorState& state);

// Writes the sale over the current row of cdsVente (ModeModification) or into a new row inserted
// before it, and posts it. The stored categories and photos are exactly those of the editor: a
// slot emptied while changing a sale clears its field.
void SaveSale(Table& cdsVente, const SaleEntry& entry, const EditorState& state);

}  // namespace offrel
