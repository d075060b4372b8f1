#include "controls/inspector.h"

#include <commctrl.h>

#include <algorithm>

#include "controls/paint_buffer.h"

namespace vantrel::ui {
namespace {
constexpr UINT_PTR kSubclass = 1;
}  // namespace

PropertyInspector::~PropertyInspector() {
  if (list_) ::RemoveWindowSubclass(list_, &PropertyInspector::ListProc, kSubclass);
}

bool PropertyInspector::Create(HWND parent, int id, const RECT& rect) {
  ClassInfo cls{L"VantrelInspector"};
  cls.style = CS_DBLCLKS;
  if (!Window::Create(cls, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left, rect.top,
                      rect.right - rect.left, rect.bottom - rect.top, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))))
    return false;
  dpi_ = Dpi::ForWindow(hwnd());
  RECT rc{};
  ::GetClientRect(hwnd(), &rc);
  list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT,
                            0, 0, rc.right, rc.bottom, hwnd(), reinterpret_cast<HMENU>(1), ::GetModuleHandleW(nullptr),
                            nullptr);
  if (!list_) return false;
  ::SetWindowSubclass(list_, &PropertyInspector::ListProc, kSubclass, reinterpret_cast<DWORD_PTR>(this));
  RecreateFonts();
  return true;
}

void PropertyInspector::RecreateFonts() {
  font_.reset(CreateUiFont(dpi_));
  boldFont_.reset(CreateUiFont(dpi_, 0, true));
  if (!list_) return;
  ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  int height = dpi_.Scale(18);
  if (font_) {
    win::WindowDc dc(list_);
    win::SelectScope sel(dc.get(), font_.get());
    TEXTMETRICW tm{};
    if (::GetTextMetricsW(dc.get(), &tm)) height = std::max(height, static_cast<int>(tm.tmHeight) + dpi_.Scale(4));
  }
  ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, height);
  ::InvalidateRect(list_, nullptr, TRUE);
}

void PropertyInspector::ApplyDpi(Dpi dpi) {
  dpi_ = dpi;
  RecreateFonts();
}

PropertyInspector::ItemId PropertyInspector::AddGroup(const std::wstring& caption, ItemId parent, bool expanded,
                                                      COLORREF background) {
  Item item;
  item.group = true;
  item.caption = caption;
  item.parent = Valid(parent) && items_[static_cast<size_t>(parent)].group ? parent : kNone;
  item.level = item.parent == kNone ? 0 : items_[static_cast<size_t>(item.parent)].level + 1;
  item.expanded = expanded;
  item.background = background;
  items_.push_back(std::move(item));
  Rebuild();
  return static_cast<ItemId>(items_.size() - 1);
}

PropertyInspector::ItemId PropertyInspector::AddItem(ItemId group, const std::wstring& caption,
                                                     const std::wstring& value) {
  Item item;
  item.caption = caption;
  item.value = value;
  item.parent = Valid(group) && items_[static_cast<size_t>(group)].group ? group : kNone;
  item.level = item.parent == kNone ? 0 : items_[static_cast<size_t>(item.parent)].level + 1;
  items_.push_back(std::move(item));
  Rebuild();
  return static_cast<ItemId>(items_.size() - 1);
}

void PropertyInspector::Clear() {
  items_.clear();
  Rebuild();
}

void PropertyInspector::BeginUpdate() { ++updateDepth_; }

void PropertyInspector::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) Rebuild();
}

bool PropertyInspector::Shown(ItemId id) const {
  const Item& item = items_[static_cast<size_t>(id)];
  if (!item.visible) return false;
  for (ItemId p = item.parent; p != kNone; p = items_[static_cast<size_t>(p)].parent) {
    const Item& g = items_[static_cast<size_t>(p)];
    if (!g.expanded || !g.visible) return false;
  }
  return true;
}

std::vector<PropertyInspector::ItemId> PropertyInspector::ShownItems() const {
  // Items are listed in the order they were added, which keeps each group's items after the group.
  std::vector<ItemId> out;
  for (size_t i = 0; i < items_.size(); ++i)
    if (Shown(static_cast<ItemId>(i))) out.push_back(static_cast<ItemId>(i));
  return out;
}

std::wstring PropertyInspector::AccessibleText(const Item& item) const {
  return item.group ? item.caption : item.caption + L": " + item.value;
}

void PropertyInspector::Rebuild() {
  if (!list_ || updateDepth_ > 0) return;
  const ItemId selected = SelectedItem();
  const int top = static_cast<int>(::SendMessageW(list_, LB_GETTOPINDEX, 0, 0));
  ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  for (ItemId id : ShownItems()) {
    const LRESULT row = ::SendMessageW(
        list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AccessibleText(items_[static_cast<size_t>(id)]).c_str()));
    if (row >= 0) ::SendMessageW(list_, LB_SETITEMDATA, static_cast<WPARAM>(row), id);
  }
  ::SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(top, 0)), 0);
  if (selected != kNone) SelectItem(selected);
  ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list_, nullptr, TRUE);
}

int PropertyInspector::RowIndex(ItemId item) const {
  if (!list_) return -1;
  const int count = static_cast<int>(::SendMessageW(list_, LB_GETCOUNT, 0, 0));
  for (int row = 0; row < count; ++row)
    if (static_cast<ItemId>(::SendMessageW(list_, LB_GETITEMDATA, static_cast<WPARAM>(row), 0)) == item) return row;
  return -1;
}

void PropertyInspector::SetValue(ItemId item, const std::wstring& value) {
  if (!Valid(item) || items_[static_cast<size_t>(item)].value == value) return;
  items_[static_cast<size_t>(item)].value = value;
  if (updateDepth_ > 0 || !list_) return;
  // Replace the row's string in place (screen readers read it); the selection and scroll stay.
  const int row = RowIndex(item);
  if (row < 0) return;
  const bool wasSelected = ::SendMessageW(list_, LB_GETCURSEL, 0, 0) == row;
  ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(list_, LB_DELETESTRING, static_cast<WPARAM>(row), 0);
  ::SendMessageW(list_, LB_INSERTSTRING, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(AccessibleText(items_[static_cast<size_t>(item)]).c_str()));
  ::SendMessageW(list_, LB_SETITEMDATA, static_cast<WPARAM>(row), item);
  if (wasSelected) ::SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  RECT rc{};
  if (::SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc)) != LB_ERR)
    ::InvalidateRect(list_, &rc, FALSE);
}

std::wstring PropertyInspector::Value(ItemId item) const {
  return Valid(item) ? items_[static_cast<size_t>(item)].value : std::wstring();
}

std::wstring PropertyInspector::Caption(ItemId item) const {
  return Valid(item) ? items_[static_cast<size_t>(item)].caption : std::wstring();
}

void PropertyInspector::SetItemVisible(ItemId item, bool visible) {
  if (!Valid(item) || items_[static_cast<size_t>(item)].visible == visible) return;
  items_[static_cast<size_t>(item)].visible = visible;
  Rebuild();
}

void PropertyInspector::SetExpanded(ItemId group, bool expanded) {
  if (!IsGroup(group) || items_[static_cast<size_t>(group)].expanded == expanded) return;
  items_[static_cast<size_t>(group)].expanded = expanded;
  Rebuild();
}

bool PropertyInspector::Expanded(ItemId group) const {
  return IsGroup(group) && items_[static_cast<size_t>(group)].expanded;
}

bool PropertyInspector::IsGroup(ItemId item) const { return Valid(item) && items_[static_cast<size_t>(item)].group; }

void PropertyInspector::Toggle(ItemId group) {
  if (IsGroup(group)) SetExpanded(group, !Expanded(group));
}

void PropertyInspector::SetNameWidth(int designWidth) {
  nameWidth_ = std::max(designWidth, 0);
  if (list_) ::InvalidateRect(list_, nullptr, FALSE);
}

PropertyInspector::ItemId PropertyInspector::SelectedItem() const {
  if (!list_) return kNone;
  const LRESULT row = ::SendMessageW(list_, LB_GETCURSEL, 0, 0);
  if (row == LB_ERR) return kNone;
  return static_cast<ItemId>(::SendMessageW(list_, LB_GETITEMDATA, static_cast<WPARAM>(row), 0));
}

void PropertyInspector::SelectItem(ItemId item) {
  const int row = RowIndex(item);
  if (row >= 0) ::SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

bool PropertyInspector::CopySelectedValue() {
  const ItemId item = SelectedItem();
  if (!Valid(item)) return false;
  const Item& it = items_[static_cast<size_t>(item)];
  return CopyTextToClipboard(hwnd(), it.group ? it.caption : it.value);
}

void PropertyInspector::Draw(const DRAWITEMSTRUCT& dis) {
  if (dis.itemID == static_cast<UINT>(-1)) return;
  const ItemId id = static_cast<ItemId>(dis.itemData);
  if (!Valid(id)) return;
  const Item& item = items_[static_cast<size_t>(id)];
  PaintBuffer buffer(dis.hDC, dis.rcItem);
  HDC dc = buffer.dc();
  const RECT rc = dis.rcItem;
  const bool selected = (dis.itemState & ODS_SELECTED) != 0;
  const bool focused = ::GetFocus() == list_;
  const int indent = dpi_.Scale(14);
  const int pad = dpi_.Scale(4);
  ::SetBkMode(dc, TRANSPARENT);
  win::SelectScope penSel(dc, ::GetStockObject(DC_PEN));

  if (item.group) {
    FillSolid(dc, rc, item.background == CLR_DEFAULT ? ::GetSysColor(COLOR_BTNFACE) : item.background);
    // The fold sign: a small box with minus or plus.
    const int box = dpi_.Scale(9);
    const int bx = rc.left + item.level * indent + (indent - box) / 2;
    const int by = rc.top + (rc.bottom - rc.top - box) / 2;
    ::SetDCPenColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    win::SelectScope brushSel(dc, ::GetStockObject(DC_BRUSH));
    ::SetDCBrushColor(dc, ::GetSysColor(COLOR_WINDOW));
    ::Rectangle(dc, bx, by, bx + box, by + box);
    ::SetDCPenColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::MoveToEx(dc, bx + 2, by + box / 2, nullptr);
    ::LineTo(dc, bx + box - 2, by + box / 2);
    if (!item.expanded) {
      ::MoveToEx(dc, bx + box / 2, by + 2, nullptr);
      ::LineTo(dc, bx + box / 2, by + box - 2);
    }
    RECT text{rc.left + (item.level + 1) * indent + pad, rc.top, rc.right - pad, rc.bottom};
    win::SelectScope fontSel(dc, boldFont_ ? boldFont_.get() : font_.get());
    ::SetTextColor(dc, selected && focused ? ::GetSysColor(COLOR_HIGHLIGHT) : ::GetSysColor(COLOR_WINDOWTEXT));
    ::DrawTextW(dc, item.caption.c_str(), static_cast<int>(item.caption.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  } else {
    FillSolid(dc, rc, ::GetSysColor(COLOR_WINDOW));
    const int split = rc.left + NameWidthPx();
    RECT nameRect{rc.left, rc.top, split, rc.bottom};
    RECT valueRect{split, rc.top, rc.right, rc.bottom};
    if (selected) FillSolid(dc, valueRect, ::GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    win::SelectScope fontSel(dc, font_.get());
    RECT nameText{rc.left + (item.level + 1) * indent + pad, rc.top, split - pad, rc.bottom};
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::DrawTextW(dc, item.caption.c_str(), static_cast<int>(item.caption.size()), &nameText,
                DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    RECT valueText{split + pad, rc.top, rc.right - pad, rc.bottom};
    ::SetTextColor(dc, selected && focused ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : kValueColor);
    ::DrawTextW(dc, item.value.c_str(), static_cast<int>(item.value.size()), &valueText,
                DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    // Grid lines: the column split and the row bottom.
    ::SetDCPenColor(dc, ::GetSysColor(COLOR_BTNFACE));
    ::MoveToEx(dc, split - 1, rc.top, nullptr);
    ::LineTo(dc, split - 1, rc.bottom);
    ::MoveToEx(dc, rc.left, rc.bottom - 1, nullptr);
    ::LineTo(dc, rc.right, rc.bottom - 1);
    (void)nameRect;
  }
  if ((dis.itemState & ODS_FOCUS) && focused) ::DrawFocusRect(dc, &rc);
}

LRESULT CALLBACK PropertyInspector::ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR ref) {
  auto* self = reinterpret_cast<PropertyInspector*>(ref);
  switch (msg) {
    case WM_LBUTTONDBLCLK: {
      const LRESULT hit = ::SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lParam);
      if (HIWORD(hit) == 0) {
        self->Toggle(static_cast<ItemId>(::SendMessageW(hwnd, LB_GETITEMDATA, LOWORD(hit), 0)));
        return 0;
      }
      break;
    }
    case WM_LBUTTONDOWN: {
      // A click on a group's fold sign folds it.
      const LRESULT hit = ::SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lParam);
      if (HIWORD(hit) == 0) {
        const ItemId id = static_cast<ItemId>(::SendMessageW(hwnd, LB_GETITEMDATA, LOWORD(hit), 0));
        if (self->IsGroup(id)) {
          const int x = static_cast<short>(LOWORD(lParam));
          const int level = self->items_[static_cast<size_t>(id)].level;
          if (x < (level + 1) * self->dpi_.Scale(14)) {
            const LRESULT result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
            self->Toggle(id);
            return result;
          }
        }
      }
      break;
    }
    case WM_KEYDOWN: {
      const ItemId id = self->SelectedItem();
      if (::GetKeyState(VK_CONTROL) < 0 && wParam == 'C') {
        self->CopySelectedValue();
        return 0;
      }
      if (self->IsGroup(id)) {
        if (wParam == VK_LEFT || wParam == VK_SUBTRACT) {
          self->SetExpanded(id, false);
          return 0;
        }
        if (wParam == VK_RIGHT || wParam == VK_ADD) {
          self->SetExpanded(id, true);
          return 0;
        }
        if (wParam == VK_RETURN) {
          self->Toggle(id);
          return 0;
        }
      }
      break;
    }
    case WM_NCDESTROY: ::RemoveWindowSubclass(hwnd, &PropertyInspector::ListProc, kSubclass); break;
    default: break;
  }
  return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT PropertyInspector::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (list_) {
        ::MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        ::InvalidateRect(list_, nullptr, FALSE);
      }
      return 0;
    case WM_SETFOCUS:
      if (list_) ::SetFocus(list_);
      return 0;
    case WM_ERASEBKGND: return 1;
    case WM_DRAWITEM: {
      const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (dis && dis->hwndItem == list_) Draw(*dis);
      return TRUE;
    }
    case WM_VKEYTOITEM: return -1;  // default handling of the key
    case WM_DPICHANGED_AFTERPARENT: ApplyDpi(Dpi::ForWindow(hwnd())); return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

// --- HeaderStrip ---

bool HeaderStrip::Create(HWND parent, int id, const RECT& rect, COLORREF background) {
  background_ = background;
  ClassInfo cls{L"VantrelHeaderStrip"};
  if (!Window::Create(cls, 0, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))))
    return false;
  ApplyDpi(Dpi::ForWindow(hwnd()));
  return true;
}

void HeaderStrip::ApplyDpi(Dpi dpi) {
  dpi_ = dpi;
  font_.reset(CreateUiFont(dpi_));
  boldFont_.reset(CreateUiFont(dpi_, 0, true));
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void HeaderStrip::SetIcon(HICON icon) {
  icon_ = icon;
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void HeaderStrip::SetLines(const std::wstring& title, const std::wstring& subtitle) {
  title_ = title;
  subtitle_ = subtitle;
  if (hwnd()) {
    ::SetWindowTextW(hwnd(), (title_ + L"\r\n" + subtitle_).c_str());  // what a screen reader reads
    ::InvalidateRect(hwnd(), nullptr, FALSE);
  }
}

void HeaderStrip::Paint(HDC target, const RECT& rc) {
  PaintBuffer buffer(target, rc);
  HDC dc = buffer.dc();
  FillSolid(dc, rc, background_);
  const int margin = dpi_.Scale(6);
  const int iconSize = dpi_.Scale(32);
  int x = rc.left + margin;
  if (icon_)
    ::DrawIconEx(dc, x, rc.top + (rc.bottom - rc.top - iconSize) / 2, icon_, iconSize, iconSize, 0, nullptr, DI_NORMAL);
  x += iconSize + margin;
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  const int mid = (rc.top + rc.bottom) / 2;
  RECT top{x, rc.top, rc.right - margin, mid};
  RECT bottom{x, mid, rc.right - margin, rc.bottom};
  {
    win::SelectScope sel(dc, boldFont_.get());
    ::DrawTextW(dc, title_.c_str(), static_cast<int>(title_.size()), &top,
                DT_SINGLELINE | DT_BOTTOM | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  win::SelectScope sel(dc, font_.get());
  ::DrawTextW(dc, subtitle_.c_str(), static_cast<int>(subtitle_.size()), &bottom,
              DT_SINGLELINE | DT_TOP | DT_END_ELLIPSIS | DT_NOPREFIX);
}

LRESULT HeaderStrip::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd(), &ps);
      RECT rc{};
      ::GetClientRect(hwnd(), &rc);
      if (dc) Paint(dc, rc);
      ::EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: ::InvalidateRect(hwnd(), nullptr, FALSE); return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

}  // namespace vantrel::ui
