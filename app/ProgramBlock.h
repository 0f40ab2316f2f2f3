#pragma once

#include <QString>

// Creates the six windows in their order; the update window's creation runs the catalogue
// refresh. An error in a window's creation is reported and start-up goes on with the next one;
// false when the main window itself could not be built (its message was shown).
bool CreateForms(const QString& dataDir);

// Destroys the windows; destroying the main window closes the tables, writing their files.
void DestroyForms();

// The program block: title, windows, event loop until the main window is closed, end.
int RunProgram();
