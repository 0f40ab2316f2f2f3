#pragma once

#include <array>

// The columns of a sales sheet, numbered from 0. The first 18 are those of the sales file that
// the import has always read; the further ones carry the rest of a sale, so that a sheet
// exported and read back gives the same sales.
namespace offrel::SalesSheetColumn {

constexpr int kCategorie = 0;  // Categorie1
constexpr int kLibelle = 1;
constexpr int kReference = 2;
constexpr int kDescription = 3;
constexpr int kPhoto1 = 4;  // Photo1 to Photo3 in 4 to 6
constexpr int kPrix = 7;
constexpr int kPrixNet = 8;  // the fixed-price mark
constexpr int kDuree = 9;    // in days
constexpr int kRenouvelable = 10;
constexpr int kFirstOption = 11;  // 11 to 17
// The options (from 0) of columns 11 to 17: the fourth and fifth cross over.
constexpr std::array<int, 7> kOptionOfColumn = {0, 1, 2, 4, 3, 5, 6};

constexpr int kCategorie2 = 18;  // Categorie2 and Categorie3 in 18 and 19
constexpr int kPhoto4 = 20;      // Photo4 to Photo8 in 20 to 24
constexpr int kQuantite = 25;
constexpr int kPrixBoutique = 26;
constexpr int kOption8 = 27;
constexpr int kCount = 28;

// The header line's names, in UTF-8, as a spreadsheet shows them.
constexpr std::array<const char*, kCount> kNames = {
    "Catégorie",
    "Titre",
    "Référence",
    "Description",
    "Photo 1",
    "Photo 2",
    "Photo 3",
    "Prix",
    "Prix net (Y)",
    "Durée (jours)",
    "Renouvellement automatique (Y)",
    "Option 1 (Y)",
    "Option 2 (Y)",
    "Option 3 (Y)",
    "Option 5 (Y)",
    "Option 4 (Y)",
    "Option 6 (Y)",
    "Option 7 (Y)",
    "Catégorie 2",
    "Catégorie 3",
    "Photo 4",
    "Photo 5",
    "Photo 6",
    "Photo 7",
    "Photo 8",
    "Quantité",
    "Prix boutique",
    "Option 8 (Y)",
};

// The mark of a yes: only this exact text counts.
constexpr char kMark[] = "Y";

}  // namespace offrel::SalesSheetColumn
