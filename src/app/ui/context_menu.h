// A pop-up menu built for one right click: items with their handlers, run when picked.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vantrel::app {

class ContextMenu {
 public:
  struct Item {
    std::wstring caption;  // empty: a separator
    std::function<void()> onPick;
    bool enabled = true;
  };
  void Add(std::wstring caption, std::function<void()> onPick, bool enabled = true);
  void AddSeparator();
  const std::vector<Item>& Items() const { return items_; }
  bool Empty() const { return items_.empty(); }
  // Runs the handler of the item with this caption; false when there is none or it is disabled.
  bool Pick(const std::wstring& caption) const;
  // Shows the menu at a screen point (keyboard: under the owner's focus) and runs the picked item.
  void Show(HWND owner, POINT at) const;

 private:
  std::vector<Item> items_;
};

}  // namespace vantrel::app
