#pragma once

#include <QString>

// The application's title, "Offrel Brivax": the caption of its message boxes and report windows,
// and the name of its menu entry, by which the desktop lists the running program. It is not set
// as Qt's application display name, which Qt would append to every window's title on the
// desktop ("Offrel Brivax - Liste des ventes — Offrel Brivax").
QString ApplicationTitle();

// Names the running program to the desktop by its menu entry (offrel.desktop, "Offrel Brivax").
void SetApplicationTitle();
