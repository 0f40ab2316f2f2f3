#pragma once

#include <string>
#include <vector>

#include "tables/Table.h"

namespace offrel {

// A photo of a sale that the upload could not send.
struct PhotoProblem {
    int sale;  // position in cdsVente
    std::string libelle;
    int slot;  // 1 to 8
    std::string path;
    std::string reason;  // French, lower case: "fichier introuvable"
};

// Checks, before anything is sent, the photo files named by every sale of cdsVente: each must
// exist, be a file that can be read, and begin as a JPEG picture does. Reads the table without
// moving its current row; opens the files by their Windows-1252 paths turned into the file
// system's UTF-8.
std::vector<PhotoProblem> CheckSalePhotos(const Table& cdsVente);

// The list that the box shows: each sale's title, then a line for each of its photos with the
// slot, the path and the reason.
std::string PhotoProblemsList(const std::vector<PhotoProblem>& problems);

}  // namespace offrel
