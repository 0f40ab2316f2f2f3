#pragma once

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;

// The windows of the run, one instance each, created at start-up in the order TForm1, TForm3,
// TForm2, TForm4, TForm5, TForm6; the sale editor is replaced at every opening.
extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;
extern TForm4* Form4;
extern TForm5* Form5;
extern TForm6* Form6;
