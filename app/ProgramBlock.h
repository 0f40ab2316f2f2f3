#pragma once

#include <QString>
#include <memory>

#include "app/Settings.h"
#include "sale/EditorState.h"
#include "tables/ApplicationTables.h"

class SalesKeeping;

// The program block, the one owner of the run: it opens the tables and the remembered choices
// first, then creates the six
// windows in their order TForm1, TForm3, TForm2, TForm4, TForm5, TForm6 into the process-wide
// references (Forms.h), handing each what it uses; it destroys them in the reverse order and
// closes the tables last, so that no window or model outlives what it shows.
class ProgramBlock {
public:
    // Opens the tables from their files in dataDir and creates the windows; the update window's
    // creation runs the catalogue refresh. A table file that cannot be read throws before any
    // window exists. An error in the creation of a window after the main one is reported and
    // start-up goes on with the next window.
    explicit ProgramBlock(const QString& dataDir);
    // Destroys the windows, then closes the tables, which writes their files; a file that cannot
    // be written is reported and the other tables are still written.
    ~ProgramBlock();
    ProgramBlock(const ProgramBlock&) = delete;
    ProgramBlock& operator=(const ProgramBlock&) = delete;

    offrel::ApplicationTables& Tables() { return tables_; }
    offrel::EditorState& Editor() { return editorState_; }

    // Shows the main window and runs the event loop until it is closed; returns at once when the
    // main window was closed during start-up (no catalogue to work with).
    void Run();

private:
    void CreateForms(const QString& dataDir);
    void DestroyForms();
    void CloseTables();

    // Made once the tables are open; declared first so that it outlives their last save.
    std::unique_ptr<SalesKeeping> keeping_;
    offrel::ApplicationTables tables_;
    offrel::EditorState editorState_;
    Settings settings_;
};

// The program: the title, the lock on the data folder, the program block, the event loop, the
// end. Returns 1 when another copy of the program holds the data folder or the tables could not
// be opened (the message was shown), 0 otherwise.
int RunProgram();
