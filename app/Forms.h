#pragma once

#include "base/Error.h"
#include "base/Windows1252.h"

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;

// The windows of the run, one instance each, created at start-up in the order TForm1, TForm3,
// TForm2, TForm4, TForm5, TForm6; the sale editor is replaced at every opening. A window whose
// creation failed is null for the whole run.
extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;
extern TForm4* Form4;
extern TForm5* Form5;
extern TForm6* Form6;

// The window that a command opens. One whose creation failed at start-up (its error was shown
// then) is never used: the command's error box says that it is missing.
template <typename Form>
Form& CreatedWindow(Form* form, const char* caption) {
    if (!form) {
        throw offrel::Error(offrel::FormatMessage(
            offrel::W("La fenêtre « %s » n'a pas pu être créée au démarrage du programme. "
                      "Fermez le programme et relancez-le"),
            {offrel::W(caption)}));
    }
    return *form;
}
