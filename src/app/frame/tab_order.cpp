#include "app/frame/tab_order.h"

#include <algorithm>

namespace vantrel::app {
namespace {

bool Reachable(HWND w) { return ::IsWindowVisible(w) && ::IsWindowEnabled(w); }

void Collect(HWND parent, std::vector<HWND>& stops) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (!Reachable(child)) continue;
    // A stop is one place, whatever it holds (a combo box's edit, a list's header).
    if (::GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) stops.push_back(child);
    else Collect(child, stops);
  }
}

}  // namespace

std::vector<HWND> TabStops(std::initializer_list<HWND> roots) {
  std::vector<HWND> stops;
  for (HWND root : roots) {
    if (!root || !Reachable(root)) continue;
    if (::GetWindowLongPtrW(root, GWL_STYLE) & WS_TABSTOP) stops.push_back(root);
    else Collect(root, stops);
  }
  return stops;
}

HWND NextTabStop(const std::vector<HWND>& stops, HWND focus, bool backward) {
  if (stops.empty()) return nullptr;
  const auto holding = std::find_if(stops.begin(), stops.end(),
                                    [focus](HWND stop) { return focus && (stop == focus || ::IsChild(stop, focus)); });
  const size_t n = stops.size();
  if (holding == stops.end()) return backward ? stops.back() : stops.front();
  const size_t at = static_cast<size_t>(holding - stops.begin());
  return stops[backward ? (at + n - 1) % n : (at + 1) % n];
}

}  // namespace vantrel::app
