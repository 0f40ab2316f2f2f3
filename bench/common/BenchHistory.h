#pragma once

#include <string>
#include <vector>

#include "bench/common/BenchSales.h"
#include "history/SaleRecord.h"
#include "history/SalesHistory.h"
#include "history/Sqlite.h"

namespace offrel::bench {

// The history of the sales file salesFile holding count sales as sellers list them, answered a
// second apart, filled in one transaction (an upload adds them one at a time). Returns its path.
inline std::string FilledHistory(const std::string& salesFile, int count) {
    const std::string file = SalesHistoryPath(salesFile);
    SalesHistory{file};  // the file and its table
    SqliteDatabase db(file);
    std::string values = "?, ?, ?";
    for (int k = 0; k < SaleRecordColumnCount(); ++k) values += ", ?";
    SqliteStatement insert(db, "INSERT INTO VentesEnvoyees (DateReponse, Identifiant, Recherche, " +
                                   SaleRecordColumns() + ") VALUES (" + values + ")");
    const std::vector<Sale> sales = BenchSales(count);
    SqliteTransaction transaction(db);
    for (int n = 0; n < count; ++n) {
        insert.Reset();
        insert.BindNumber(0, 1700000000 + n);
        const Sale& sale = sales[static_cast<std::size_t>(n)];
        insert.BindBytes(1, "vendeur");
        insert.BindBytes(2, FoldedSearchText(*sale.libelle, *sale.reference, *sale.description));
        BindSaleRecord(insert, 3, sale);
        insert.Step();
    }
    transaction.Commit();
    return file;
}

}  // namespace offrel::bench
