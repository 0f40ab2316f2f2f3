#pragma once

#include <QFont>

// Makes Tahoma available (the metric-compatible copy of fonts-wine where the system has none)
// and Qt's own dialogs speak French. Called once, before the first window.
void LoadFontsAndTranslations();

// Tahoma at a size in pixels, as the windows were laid out for.
QFont TahomaFont(int pixels, bool bold = false);
