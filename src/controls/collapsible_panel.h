// A panel with a header button that folds and unfolds its content. The content windows are children of hwnd();
// the panel sizes the one set with SetContent to the area below the header. Folding does not resize the panel
// itself: the owner lays out again in onExpandedChanged (HeaderHeight() is all a folded panel needs).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "controls/dpi.h"
#include "controls/window.h"
#include "system/raii.h"

namespace vantrel::ui {

class CollapsiblePanel : public Window {
 public:
  bool Create(HWND parent, int id, const RECT& rect, const std::wstring& caption, bool expanded = false);
  void SetContent(HWND content);
  HWND headerHwnd() const { return header_; }
  void SetExpanded(bool expanded);
  bool Expanded() const { return expanded_; }
  int HeaderHeight() const { return dpi_.Scale(22); }
  void ApplyDpi(Dpi dpi);
  std::function<void(bool expanded)> onExpandedChanged;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Layout();
  void DrawHeader(const DRAWITEMSTRUCT& dis);
  HWND header_ = nullptr;
  HWND content_ = nullptr;
  bool expanded_ = false;
  Dpi dpi_;
  win::UniqueFont font_;
};

}  // namespace vantrel::ui
