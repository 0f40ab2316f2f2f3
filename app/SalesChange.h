#pragma once

#include <functional>

// How a window other than the main one changes the sales: the main window runs the change so
// that Ventes.cds is written when it changed and the change becomes one step of its history.
using SalesChange = std::function<void(const std::function<void()>& change)>;
