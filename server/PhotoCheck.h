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
// exist, be a file that can be read, begin as a JPEG picture does and reach its end (a copy cut
// short would reach the site as a photo grey below the cut). Reads the table without moving its
// current row; opens the files by their Windows-1252 paths turned into the file system's UTF-8.
std::vector<PhotoProblem> CheckSalePhotos(const Table& cdsVente);

}  // namespace offrel
