#pragma once

#include <QByteArray>

// A TrueType face whose glyph outlines are thickened by `strength` (a fraction of the em) the
// way a bold face's strokes are: every contour pushed out by half of it on each side, the
// baseline and the left side bearing kept, the advance widths untouched. The glyphs lose their
// hinting instructions, which would pull the strokes back to their former width. A face whose
// tables cannot be read whole comes back unchanged.
//
// Wine's Tahoma Bold has the bold advance widths but the regular outlines. Qt can thicken the
// strokes of such a face itself, but by an amount that does not follow a desktop's scale: at
// 200 % its bold is barely bolder than the regular face. Outlines thickened in the face are bold
// at every scale.
QByteArray ThickenedOutlines(const QByteArray& face, double strength);
