#pragma once

#include <string>

#include "history/Sqlite.h"
#include "tables/Sale.h"

// A sale as a record of the history: one column per column of cdsVente, under the same name and
// in the same order; whole numbers, codes, amounts (in ten-thousandths) and marks as numbers,
// texts and photo paths as their Windows-1252 bytes, an empty value as NULL.
namespace offrel {

// "ID INTEGER, Libelle BLOB, ...": the columns for a CREATE TABLE.
std::string SaleRecordDefinitions();
// "ID, Libelle, ...": the columns for a SELECT or an INSERT.
std::string SaleRecordColumns();
// How many columns a sale takes.
int SaleRecordColumnCount();

// Binds every field of the sale to the statement's parameters from first on.
void BindSaleRecord(SqliteStatement& statement, int first, const Sale& sale);
// The sale held by the statement's columns from first on.
Sale ReadSaleRecord(const SqliteStatement& statement, int first);

}  // namespace offrel
