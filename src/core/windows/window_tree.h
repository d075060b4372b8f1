// The windows page's hierarchy: each window under its parent or owner when that window is listed too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/windows/window_info.h"

namespace vantrel {

struct WindowLink {
  uint32_t Handle = 0;
  uint32_t ParentWin = 0;  // parent or owner, taken as a 32-bit handle; 0 for none
};

// The links of the listed windows; the parent or owner is taken as a 32-bit handle.
std::vector<WindowLink> WindowLinks(const std::vector<WindowInfo>& windows);

// Parent index of each entry (-1: a root). Entries are placed in list order, each as the last child of the first
// listed entry whose handle equals its parent. A link that would close a cycle (a parent inside the entry's own
// subtree, itself included) is refused and the entry stays a root: no entry is ever lost. Near-linear time.
std::vector<int> BuildWindowHierarchy(const std::vector<WindowLink>& links);

struct WindowTreeRow {
  int Index = 0;  // entry index
  int Level = 0;  // 0 for roots
};
// The rows in tree order (roots and children in list order, each subtree right after its root), every entry once.
std::vector<WindowTreeRow> WindowTreeOrder(const std::vector<int>& parents);

}  // namespace vantrel
