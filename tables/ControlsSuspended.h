#pragma once

#include "tables/Table.h"

namespace offrel {

// DisableControls for the lifetime of the object; EnableControls however the scope is left, so
// that the grids following the table are redrawn once, at the end of a bulk change.
class ControlsSuspended {
public:
    explicit ControlsSuspended(Table& table) : table_(table) { table_.DisableControls(); }
    ~ControlsSuspended() { table_.EnableControls(); }
    ControlsSuspended(const ControlsSuspended&) = delete;
    ControlsSuspended& operator=(const ControlsSuspended&) = delete;

private:
    Table& table_;
};

}  // namespace offrel
