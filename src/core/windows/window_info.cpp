#include "core/windows/window_info.h"

#include <utility>

#include "core/os/ascii.h"

namespace vantrel {
namespace {

using StyleName = std::pair<const wchar_t*, uint64_t>;

constexpr StyleName kStyles[] = {
    {L"WS_BORDER", 0x00800000},       {L"WS_CHILD", 0x40000000},    {L"WS_CLIPCHILDREN", 0x02000000},
    {L"WS_CLIPSIBLINGS", 0x04000000}, {L"WS_DISABLED", 0x08000000}, {L"WS_DLGFRAME", 0x00400000},
    {L"WS_GROUP", 0x00020000},        {L"WS_HSCROLL", 0x00100000},  {L"WS_MAXIMIZE", 0x01000000},
    {L"WS_MAXIMIZEBOX", 0x00010000},  {L"WS_MINIMIZE", 0x20000000}, {L"WS_MINIMIZEBOX", 0x00020000},
    {L"WS_POPUP", 0x80000000},        {L"WS_SYSMENU", 0x00080000},  {L"WS_TABSTOP", 0x00010000},
    {L"WS_THICKFRAME", 0x00040000},   {L"WS_VISIBLE", 0x10000000},  {L"WS_VSCROLL", 0x00200000},
};

constexpr StyleName kExStylesFirst[] = {
    {L"WS_EX_ACCEPTFILES", 0x10},  {L"WS_EX_DLGMODALFRAME", 0x1}, {L"WS_EX_NOPARENTNOTIFY", 0x4},
    {L"WS_EX_TOPMOST", 0x8},       {L"WS_EX_TRANSPARENT", 0x20},  {L"WS_EX_MDICHILD", 0x40},
    {L"WS_EX_TOOLWINDOW", 0x80},   {L"WS_EX_WINDOWEDGE", 0x100},  {L"WS_EX_CLIENTEDGE", 0x200},
    {L"WS_EX_CONTEXTHELP", 0x400},
};
constexpr StyleName kExStylesLast[] = {
    {L"WS_EX_CONTROLPARENT", 0x10000}, {L"WS_EX_STATICEDGE", 0x20000}, {L"WS_EX_APPWINDOW", 0x40000}};

constexpr StyleName kClassStyles[] = {
    {L"CS_BYTEALIGNCLIENT", 0x1000}, {L"CS_VREDRAW", 0x1},    {L"CS_HREDRAW", 0x2},
    {L"CS_KEYCVTWINDOW", 0x4},       {L"CS_DBLCLKS", 0x8},    {L"CS_OWNDC", 0x20},
    {L"CS_CLASSDC", 0x40},           {L"CS_PARENTDC", 0x80},  {L"CS_NOKEYCVT", 0x100},
    {L"CS_NOCLOSE", 0x200},          {L"CS_SAVEBITS", 0x800}, {L"CS_BYTEALIGNWINDOW", 0x2000},
    {L"CS_GLOBALCLASS", 0x4000},
};

template <size_t N>
void AddSetNames(uint64_t value, const StyleName (&table)[N], std::vector<std::wstring>& out) {
  for (const StyleName& s : table)
    if ((value & s.second) == s.second) out.emplace_back(s.first);
}

std::wstring Decimal(int64_t v) { return std::to_wstring(v); }

}  // namespace

std::vector<std::wstring> WindowStyleNames(int64_t style) {
  std::vector<std::wstring> names;
  AddSetNames(static_cast<uint64_t>(style), kStyles, names);
  return names;
}

std::vector<std::wstring> WindowExStyleNames(int64_t exStyle) {
  std::vector<std::wstring> names;
  if (exStyle <= 0) return names;
  const uint64_t v = static_cast<uint64_t>(exStyle);
  AddSetNames(v, kExStylesFirst, names);
  names.emplace_back(v & 0x1000 ? L"WS_EX_RIGHT" : L"WS_EX_LEFT");
  names.emplace_back(v & 0x2000 ? L"WS_EX_RTLREADING" : L"WS_EX_LTRREADING");
  names.emplace_back(v & 0x4000 ? L"WS_EX_LEFTSCROLLBAR" : L"WS_EX_RIGHTSCROLLBAR");
  AddSetNames(v, kExStylesLast, names);
  return names;
}

std::vector<std::wstring> ClassStyleNames(int64_t classStyle) {
  std::vector<std::wstring> names;
  AddSetNames(static_cast<uint64_t>(classStyle), kClassStyles, names);
  return names;
}

std::wstring HexText(int64_t value) {
  uint64_t v = static_cast<uint64_t>(value);
  std::wstring digits;
  do {
    digits.insert(digits.begin(), L"0123456789ABCDEF"[v & 0xF]);
    v >>= 4;
  } while (v);
  return L"0x" + digits;
}

std::wstring WindowCellText(const WindowInfo& info, int column) {
  switch (column) {
    case Index(WindowColumn::Handle): return HexText(info.Handle);
    case Index(WindowColumn::ClassName): return info.ClassName;
    case Index(WindowColumn::Text): return info.Text;
    default: return {};
  }
}

bool WindowCellBold(const WindowInfo& info, int column) {
  return (column == Index(WindowColumn::Handle) || column == Index(WindowColumn::ClassName)) &&
         !detail::Trim(info.Text).empty();
}

bool WindowRowGrey(const WindowInfo& info, bool selected) { return !info.Visible && !selected; }

int WindowImageIndex(const WindowInfo& info) { return info.Visible ? 1 : 0; }

std::wstring WindowVisibilityCaption(bool visible) { return visible ? L"隐藏" : L"显示"; }

std::wstring WindowActionConfirmation(const std::wstring& buttonCaption, uint32_t handle,
                                      const std::wstring& className) {
  return L"Do you really want to " + buttonCaption + L" window [" + std::to_wstring(handle) + L"]" + className + L"?";
}

std::wstring WindowsTabCaption(size_t count) { return L" 窗口 (" + std::to_wstring(count) + L") "; }

std::vector<WindowInspectorItem> WindowInspectorItems(const WindowInfo& info) {
  const std::wstring general = L"常规", rect = L"矩形";
  return {
      {general, L"句柄", HexText(info.Handle)},
      {general, L"文本", info.Text},
      {general, L"Class", info.ClassName},
      {general, L"进程", Decimal(info.Process)},
      {general, L"线程", Decimal(info.Thread)},
      {general, L"父窗口", HexText(info.ParentWin)},
      {general, L"窗口程序", HexText(info.WndProc)},
      {general, L"实例句柄", HexText(info.Instance)},
      {general, L"识别", HexText(info.ID)},
      {rect, L"宽度", Decimal(int64_t{info.Rect.Right} - info.Rect.Left)},
      {rect, L"高度", Decimal(int64_t{info.Rect.Bottom} - info.Rect.Top)},
  };
}

}  // namespace vantrel
