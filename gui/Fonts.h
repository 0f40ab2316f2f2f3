#pragma once

#include <QByteArray>
#include <QFont>

// Makes Tahoma available (the metric-compatible copy of fonts-wine where the system has none)
// and Qt's own dialogs speak French. Called once, before the first window.
void LoadFontsAndTranslations();

// The TrueType face marked semibold instead of bold (weight class 600, bold bits cleared), so that
// Qt thickens its strokes when bold is asked for. A face whose tables cannot be read comes back
// unchanged.
QByteArray MarkedSemibold(QByteArray face);

// Tahoma at a size in pixels, as the windows were laid out for.
QFont TahomaFont(int pixels, bool bold = false);
