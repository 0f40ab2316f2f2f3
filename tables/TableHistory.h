#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "tables/Table.h"

namespace offrel {

// The changes made to a table during a run, to undo and redo them one step at a time. A step is
// everything the table changed between BeginStep and EndStep. It is kept as the way back: the
// positions to delete, and the images of the rows to put back as they were, only for rows that
// are not in the table, so the history stays small beside the table.
//
// A change made outside a step (an upload deleting the sales the site accepted, an edit in the
// debug window) is not a step: the steps are moved around it, so that they still apply, and a
// row it deleted never comes back through undo or redo.
class TableHistory : private TableRecorder {
public:
    static constexpr std::size_t kMaxSteps = 50;

    explicit TableHistory(Table& table);
    ~TableHistory() override;
    TableHistory(const TableHistory&) = delete;
    TableHistory& operator=(const TableHistory&) = delete;

    // Everything the table changes until the matching EndStep is one step, named label (an
    // inner pair adds to the outer step). A step that changed nothing is not kept; any other
    // becomes the step to undo and ends what could be redone. The oldest steps go beyond
    // kMaxSteps.
    void BeginStep();
    void EndStep(const std::string& label);

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    std::size_t UndoCount() const { return undo_.size(); }
    std::size_t RedoCount() const { return redo_.size(); }

    // Undoes the last step, or redoes the last one undone, as one bulk change of the table (its
    // grids redrawn once at the end), and returns its label; "" when there is none. When a row
    // cannot be put back, the history is emptied and the error thrown: the table keeps what was
    // done.
    std::string Undo();
    std::string Redo();

    // The bytes the history holds, its steps and their images.
    std::size_t MemoryUsed() const;

private:
    enum class Action : std::uint8_t { Insert, Delete, Replace, Dropped };
    // One row change of the way back: insert the image at position, delete the row at position,
    // or put the image over it.
    struct Change {
        Action action;
        int position;
        std::size_t image;  // offset in the step's images
        std::size_t size;
    };
    // Applied from its last change to its first, as they were recorded from the change they undo.
    struct Step {
        std::string label;
        std::vector<Change> changes;
        std::vector<std::uint8_t> images;
        std::size_t live = 0;  // changes not dropped
    };

    void RowInserted(int position) override;
    void RowAboutToBeModified(int position) override;
    void RowAboutToBeDeleted(int position) override;
    void RowsReset() override;

    void Record(Action action, int position, bool withImage);
    // Applies the top step of from and pushes the step that takes it back onto to.
    std::string Apply(std::deque<Step>& from, std::deque<Step>& to);
    // Changes outside a step: each chain of steps moved around them.
    void PassDeletion(int position);
    void PassInsertion(int position);
    // Moves one step over a change made at position of the table it applies to, and returns
    // where that change stands in the table the step leads to; -1 when the step deleted the same
    // row, after which both tables are the same.
    static int ThroughDeletion(Step& step, int position);
    static int ThroughInsertion(Step& step, int position);
    static void Drop(Step& step, Change& change);
    static void DropEmptySteps(std::deque<Step>& steps);

    Table& table_;
    std::deque<Step> undo_;  // the last step at the back
    std::deque<Step> redo_;
    Step* recording_ = nullptr;
    Step open_;  // the step between BeginStep and EndStep
    int depth_ = 0;
};

}  // namespace offrel
