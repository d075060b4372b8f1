// The band of buttons below the pages: the active page's group from the left, then the buttons every page shares
// (the elevation button after the group, refresh and hide at the right). A click runs the button's handler.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

#include "controls/container.h"
#include "controls/dpi.h"

namespace vantrel::app {

class ActionBar {
 public:
  class Button {
   public:
    HWND hwnd() const { return hwnd_; }
    void SetEnabled(bool enabled) { ::EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    bool Enabled() const { return ::IsWindowEnabled(hwnd_) != FALSE; }
    void SetCaption(const std::wstring& caption) { ::SetWindowTextW(hwnd_, caption.c_str()); }
    // A hidden button leaves no gap; the bar lays itself out again.
    void SetVisible(bool visible);
    bool Visible() const { return visible_; }

   private:
    friend class ActionBar;
    ActionBar* bar_ = nullptr;
    HWND hwnd_ = nullptr;
    int designWidth_ = 110;
    bool visible_ = true;
    int group_ = -1;  // page index; -1 shared at the left, -2 shared at the right
    std::function<void()> onClick_;
  };

  // The buttons of one page.
  class Group {
   public:
    Button& Add(const std::wstring& caption, std::function<void()> onClick, int designWidth = 110);

   private:
    friend class ActionBar;
    ActionBar* bar_ = nullptr;
    int page_ = 0;
  };

  ActionBar();
  bool Create(HWND parent);
  HWND hwnd() const { return band_.hwnd(); }
  Group& GroupOf(int page);
  // Buttons shown on every page: after the page's group, or at the right edge.
  Button& AddShared(const std::wstring& caption, std::function<void()> onClick, bool atRight, int designWidth = 96);
  void ShowGroup(int page);
  void SetBounds(const RECT& band, const ui::Dpi& dpi);
  void SetFont(HFONT font);

 private:
  Button& AddButton(int group, const std::wstring& caption, std::function<void()> onClick, int designWidth);
  void Layout();
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

  ui::Container band_;
  std::deque<Button> buttons_;  // stable addresses
  std::deque<Group> groups_;
  int shownGroup_ = -1;
  ui::Dpi dpi_;
  HFONT font_ = nullptr;
};

}  // namespace vantrel::app
