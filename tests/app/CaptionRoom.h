#pragma once

#include <QStringList>

class QWidget;

// The captions of a window that need more room than they have: every visible label, button,
// check box, radio button, tab and group box title, measured with its own font metrics against
// the rectangle in which its style draws it (a word-wrapped text by the height of its lines at
// that width), and that rectangle against every widget that holds it, which would clip it. One
// line per cut caption: the control, its text, the room it needs and the room it has.
QStringList CutCaptions(const QWidget* window);
