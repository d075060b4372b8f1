// The record of one window on the windows page, its style names and the texts the page shows for it.
#pragma once

#include "core/base/enum_index.h"
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct WindowRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct WindowInfo {
  std::wstring ClassName;
  std::wstring Text;
  uint32_t Handle = 0;
  uint32_t Process = 0;
  uint32_t Thread = 0;
  int64_t ParentWin = 0;  // the parent of a child window, the owner of a top-level window, else 0
  int64_t WndProc = 0;
  int64_t Instance = 0;
  int64_t ID = 0;
  int64_t UserData = 0;
  int64_t Style = 0;
  int64_t ExStyle = 0;
  WindowRect Rect;  // screen coordinates
  WindowRect ClientRect;
  int64_t Atom = 0;
  int64_t ClassBytes = 0;
  int64_t WinBytes = 0;
  int64_t ClassWndProc = 0;
  int64_t ClassInstance = 0;
  int64_t Background = 0;
  int64_t Cursor = 0;
  int64_t Icon = 0;
  int64_t ClassStyle = 0;
  // Filled only when names were asked for.
  std::vector<std::wstring> Styles;
  std::vector<std::wstring> ExStyles;
  std::vector<std::wstring> ClassStyles;
  bool Visible = false;
};

// Names of the set bits, in the fixed order of the tables; a name is added when all bits of its value are set.
std::vector<std::wstring> WindowStyleNames(int64_t style);
// Empty for an extended style of 0 or below; otherwise the set flags plus the left/right, reading-order and
// scroll-bar pairs (one name of each pair).
std::vector<std::wstring> WindowExStyleNames(int64_t exStyle);
std::vector<std::wstring> ClassStyleNames(int64_t classStyle);

// "0x" and upper-case hexadecimal digits without leading zeros ("0x1A2B"; "0x0"). A negative value shows its
// 64-bit two's complement ("0xFFFFFFFF80001000").
std::wstring HexText(int64_t value);

enum class WindowColumn : int { Handle, ClassName, Text };
inline constexpr int kWindowColumnCount = 3;
std::wstring WindowCellText(const WindowInfo& info, int column);
// Handle and class columns are bold when the text, trimmed, is not empty.
bool WindowCellBold(const WindowInfo& info, int column);
// Invisible windows' rows are grey unless selected.
bool WindowRowGrey(const WindowInfo& info, bool selected);
inline constexpr uint32_t kWindowGreyColor = 0x808080;  // RGB 128,128,128, red in the low byte
// Image of the tree column: 1 visible, 0 invisible.
int WindowImageIndex(const WindowInfo& info);

// Caption of the show/hide button for the focused window.
std::wstring WindowVisibilityCaption(bool visible);  // "隐藏" or "显示"
// "Do you really want to %s window [%d]%s?" with the button's caption, the handle in decimal and the class.
std::wstring WindowActionConfirmation(const std::wstring& buttonCaption, uint32_t handle,
                                      const std::wstring& className);
// " 窗口 (%d) "
std::wstring WindowsTabCaption(size_t count);

struct WindowInspectorItem {
  std::wstring Group;  // "常规" or "矩形"
  std::wstring Caption;
  std::wstring Value;
};
// The details inspector's items in their order: nine general items, then width and height.
std::vector<WindowInspectorItem> WindowInspectorItems(const WindowInfo& info);

}  // namespace vantrel
