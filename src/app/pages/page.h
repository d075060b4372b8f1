// A page of the main window: its child windows sit over the page control's display area.
#pragma once

#include <windows.h>

#include <string>

#include "controls/dpi.h"
#include "controls/tree_grid.h"

namespace vantrel::app {

class Page {
 public:
  virtual ~Page() = default;
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  // Creates the page's windows, hidden, as children of the main window.
  virtual bool Create(HWND parent) = 0;
  virtual void Layout(const RECT& area) = 0;
  virtual void Show(bool visible) = 0;
  // The window that takes the keyboard focus when the page becomes active (its tree), or nullptr.
  virtual HWND FocusTarget() const { return nullptr; }

 protected:
  Page() = default;
};

// A page whose one tree fills it.
class TreePage : public Page {
 public:
  bool Create(HWND parent) override;
  void Layout(const RECT& area) override;
  void Show(bool visible) override;
  HWND FocusTarget() const override { return tree_.hwnd(); }
  ui::TreeGrid& tree() { return tree_; }

 protected:
  explicit TreePage(int controlId) : controlId_(controlId) {}

 private:
  int controlId_;
  ui::TreeGrid tree_;
};

}  // namespace vantrel::app
