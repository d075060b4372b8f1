// Where Tab and Shift+Tab go in the main window: through the top band, the active page (its list, then its details
// panel) and the buttons below, in that order and round again. Only shown and enabled controls count, so that the
// focus never lands in a hidden one; a focus that sits in none of them goes to the first (or, backwards, the last).
#pragma once

#include <windows.h>

#include <initializer_list>
#include <vector>

namespace vantrel::app {

// The tab stops under each root in turn, each root's in the order of its children (their creation order).
std::vector<HWND> TabStops(std::initializer_list<HWND> roots);
// The stop after (or before) the one holding the focus; nullptr when there is none.
HWND NextTabStop(const std::vector<HWND>& stops, HWND focus, bool backward);

}  // namespace vantrel::app
