// A read-only property inspector: grouped name/value rows in two columns, groups that fold, values in navy. Built
// on an owner-drawn list box, so keyboard focus, scrolling and screen readers ("name: value") come from the system.
// Values can be selected and copied (Ctrl+C) but never edited.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "controls/dpi.h"
#include "controls/window.h"
#include "system/raii.h"

namespace vantrel::ui {

class PropertyInspector : public Window {
 public:
  using ItemId = int;
  static constexpr ItemId kNone = -1;
  static constexpr COLORREF kValueColor = RGB(0, 0, 128);  // navy

  PropertyInspector() = default;
  ~PropertyInspector() override;

  bool Create(HWND parent, int id, const RECT& rect = RECT{0, 0, 100, 100});
  HWND listHwnd() const { return list_; }

  // Adds a group (a sub-group when parent is a group); background CLR_DEFAULT: the button face colour.
  ItemId AddGroup(const std::wstring& caption, ItemId parent = kNone, bool expanded = true,
                  COLORREF background = CLR_DEFAULT);
  ItemId AddItem(ItemId group, const std::wstring& caption, const std::wstring& value = std::wstring());
  void Clear();
  void BeginUpdate();
  void EndUpdate();

  void SetValue(ItemId item, const std::wstring& value);
  std::wstring Value(ItemId item) const;
  std::wstring Caption(ItemId item) const;
  void SetItemVisible(ItemId item, bool visible);
  void SetExpanded(ItemId group, bool expanded);
  bool Expanded(ItemId group) const;
  bool IsGroup(ItemId item) const;

  // Width of the name column in design pixels (default 200).
  void SetNameWidth(int designWidth);
  int NameWidthPx() const { return dpi_.Scale(nameWidth_); }

  // The items shown, in order (folded groups hide their contents).
  std::vector<ItemId> ShownItems() const;
  ItemId SelectedItem() const;
  void SelectItem(ItemId item);
  bool CopySelectedValue();
  void ApplyDpi(Dpi dpi);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Item {
    bool group = false;
    std::wstring caption;
    std::wstring value;
    ItemId parent = kNone;
    int level = 0;
    bool expanded = true;
    bool visible = true;
    COLORREF background = CLR_DEFAULT;
  };
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR ref);
  bool Valid(ItemId id) const { return id >= 0 && static_cast<size_t>(id) < items_.size(); }
  bool Shown(ItemId id) const;
  void Rebuild();
  void Draw(const DRAWITEMSTRUCT& dis);
  void Toggle(ItemId group);
  std::wstring AccessibleText(const Item& item) const;
  void RecreateFonts();
  int RowIndex(ItemId item) const;

  std::vector<Item> items_;
  HWND list_ = nullptr;
  Dpi dpi_;
  int nameWidth_ = 200;
  int updateDepth_ = 0;
  win::UniqueFont font_;
  win::UniqueFont boldFont_;
};

// A strip with a large icon, a bold first line and a second line, on a flat background.
class HeaderStrip : public Window {
 public:
  bool Create(HWND parent, int id, const RECT& rect, COLORREF background = RGB(0xE9, 0xE9, 0xE9));
  void SetIcon(HICON icon);  // not owned; nullptr for none
  void SetLines(const std::wstring& title, const std::wstring& subtitle);
  const std::wstring& title() const { return title_; }
  const std::wstring& subtitle() const { return subtitle_; }
  void ApplyDpi(Dpi dpi);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc, const RECT& rc);
  COLORREF background_ = RGB(0xE9, 0xE9, 0xE9);
  HICON icon_ = nullptr;
  std::wstring title_ = L"<n/a>";
  std::wstring subtitle_ = L"<n/a>";
  Dpi dpi_;
  win::UniqueFont font_;
  win::UniqueFont boldFont_;
};

}  // namespace vantrel::ui
