#pragma once

#include <QString>

// The names of the changes the main window makes to the sales, as the line of the top band
// tells that one was undone or redone: "Suppression de 3 ventes annulée".

// "Suppression d'une vente", "Copie de 3 ventes": the kind of change and how many sales.
QString ChangeName(const QString& kind, int sales);

// "Suppression de 3 ventes annulée", or "… rétablie".
QString UndoneLine(const QString& change, bool undone);
