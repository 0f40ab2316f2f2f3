#pragma once

#include <vector>

#include "history/SalesHistory.h"
#include "tables/Table.h"

class QWidget;

// Asks where to write a sales sheet (.csv) and writes the sales of cdsVente at these positions
// there, every sale when there is none. Nothing is written when the seller cancels.
void ExportSalesAsked(QWidget* parent, const offrel::Table& cdsVente,
                      const std::vector<int>& positions);
// The same for sales of the history, every field as sent.
void ExportSentSalesAsked(QWidget* parent, const std::vector<offrel::SentSale>& sales);
