// A row asked for before its list was read (the find window's "show this handle"): focused once the list has it.
#pragma once

#include <string>

#include "controls/tree_grid.h"

namespace vantrel::app {

// Focuses and centres the row of key, if any, and forgets the key either way: only the next listing answers it.
inline void FocusRequestedRow(ui::TreeGrid& list, std::wstring& key) {
  if (key.empty()) return;
  if (ui::TreeNode* node = list.FindByKey(key)) {
    list.SetFocusedNode(node);
    list.ScrollIntoView(node, true);
  }
  key.clear();
}

}  // namespace vantrel::app
