#include "tables/TableHistory.h"

#include "tables/ControlsSuspended.h"

namespace offrel {

TableHistory::TableHistory(Table& table) : table_(table) {
    table_.SetRecorder(this);
}

TableHistory::~TableHistory() {
    table_.SetRecorder(nullptr);
}

void TableHistory::BeginStep() {
    if (depth_++ > 0) return;
    open_ = Step();
    recording_ = &open_;
}

void TableHistory::EndStep(const std::string& label) {
    if (depth_ == 0 || --depth_ > 0) return;
    recording_ = nullptr;
    if (open_.live == 0) return;
    open_.label = label;
    open_.images.shrink_to_fit();
    open_.changes.shrink_to_fit();
    undo_.push_back(std::move(open_));
    open_ = Step();
    if (undo_.size() > kMaxSteps) undo_.pop_front();
    redo_.clear();
}

void TableHistory::Record(Action action, int position, bool withImage) {
    Step& step = *recording_;
    const std::size_t at = step.images.size();
    if (withImage) table_.AppendRowImage(position, step.images);
    step.changes.push_back({action, position, at, step.images.size() - at});
    ++step.live;
}

void TableHistory::RowInserted(int position) {
    if (recording_)
        Record(Action::Delete, position, false);
    else
        PassInsertion(position);
}

void TableHistory::RowAboutToBeModified(int position) {
    // A change outside a step moves no row; undoing an earlier step puts that row back as the
    // step found it.
    if (recording_) Record(Action::Replace, position, true);
}

void TableHistory::RowAboutToBeDeleted(int position) {
    if (recording_)
        Record(Action::Insert, position, true);
    else
        PassDeletion(position);
}

void TableHistory::RowsReset() {
    // Positions no longer name the same rows.
    undo_.clear();
    redo_.clear();
    if (recording_) {
        recording_->changes.clear();
        recording_->images.clear();
        recording_->live = 0;
    }
}

std::string TableHistory::Undo() {
    return Apply(undo_, redo_);
}

std::string TableHistory::Redo() {
    return Apply(redo_, undo_);
}

std::string TableHistory::Apply(std::deque<Step>& from, std::deque<Step>& to) {
    if (from.empty() || recording_) return {};
    Step step = std::move(from.back());
    from.pop_back();
    Step back;
    back.label = step.label;
    recording_ = &back;
    try {
        ControlsSuspended suspended(table_);
        for (auto change = step.changes.rbegin(); change != step.changes.rend(); ++change) {
            const std::uint8_t* image = step.images.data() + change->image;
            switch (change->action) {
                case Action::Insert:
                    table_.InsertRowImage(change->position, image, change->size);
                    break;
                case Action::Delete:
                    table_.MoveTo(change->position);
                    table_.Delete();
                    break;
                case Action::Replace:
                    table_.ReplaceRowImage(change->position, image, change->size);
                    break;
                case Action::Dropped:
                    break;
            }
        }
    } catch (...) {
        recording_ = nullptr;
        undo_.clear();
        redo_.clear();
        throw;
    }
    recording_ = nullptr;
    back.images.shrink_to_fit();
    to.push_back(std::move(back));
    if (to.size() > kMaxSteps) to.pop_front();
    return step.label;
}

// Each chain of steps starts from the table as it is: its top step applies first, then the one
// below it. A change made outside the steps is moved through them one after the other.
void TableHistory::PassDeletion(int position) {
    for (std::deque<Step>* steps : {&undo_, &redo_}) {
        int at = position;
        for (auto step = steps->rbegin(); step != steps->rend() && at >= 0; ++step)
            at = ThroughDeletion(*step, at);
        DropEmptySteps(*steps);
    }
}

void TableHistory::PassInsertion(int position) {
    for (std::deque<Step>* steps : {&undo_, &redo_}) {
        int at = position;
        for (auto step = steps->rbegin(); step != steps->rend(); ++step)
            at = ThroughInsertion(*step, at);
    }
}

void TableHistory::Drop(Step& step, Change& change) {
    change.action = Action::Dropped;
    --step.live;
}

int TableHistory::ThroughDeletion(Step& step, int position) {
    for (auto change = step.changes.rbegin(); change != step.changes.rend(); ++change) {
        switch (change->action) {
            case Action::Insert:
                if (position >= change->position)
                    ++position;
                else
                    --change->position;
                break;
            case Action::Delete:
                if (position == change->position) {
                    Drop(step, *change);
                    return -1;
                }
                if (position < change->position)
                    --change->position;
                else
                    --position;
                break;
            case Action::Replace:
                // The row is gone for good: what it was before must not come back.
                if (position == change->position)
                    Drop(step, *change);
                else if (position < change->position)
                    --change->position;
                break;
            case Action::Dropped:
                break;
        }
    }
    return position;
}

int TableHistory::ThroughInsertion(Step& step, int position) {
    for (auto change = step.changes.rbegin(); change != step.changes.rend(); ++change) {
        switch (change->action) {
            case Action::Insert:
                // A row put back at the same place goes before the new one.
                if (change->position <= position)
                    ++position;
                else
                    ++change->position;
                break;
            case Action::Delete:
                if (change->position >= position)
                    ++change->position;
                else
                    --position;
                break;
            case Action::Replace:
                if (change->position >= position) ++change->position;
                break;
            case Action::Dropped:
                break;
        }
    }
    return position;
}

void TableHistory::DropEmptySteps(std::deque<Step>& steps) {
    std::erase_if(steps, [](const Step& step) { return step.live == 0; });
}

std::size_t TableHistory::MemoryUsed() const {
    std::size_t bytes = sizeof(*this);
    for (const std::deque<Step>* steps : {&undo_, &redo_}) {
        for (const Step& step : *steps) {
            bytes += sizeof(Step) + step.label.capacity() + step.images.capacity() +
                     step.changes.capacity() * sizeof(Change);
        }
    }
    return bytes;
}

}  // namespace offrel
