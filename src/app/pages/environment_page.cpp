#include "app/pages/environment_page.h"

#include <algorithm>

#include "app/pages/environment_texts.h"
#include "core/environment/environment.h"
#include "core/shell/pages.h"
#include "system/os/file_version.h"

namespace vantrel::app {
namespace texts = environment_texts;
namespace {

constexpr COLORREF kValueBackground = RGB(233, 233, 233);
const EnvironmentRecord& RecordOf(const ui::TreeNode& node) { return *node.As<EnvironmentRecord>(); }

}  // namespace

EnvironmentPage::EnvironmentPage() : TreePage(kPageEnvironment) {}

bool EnvironmentPage::OnCreate() {
  if (!CreateTree()) return false;
  ui::TreeGrid& grid = tree();
  using A = ui::ColumnAlign;
  grid.SetColumns({{texts::kColumns[0], A::Left, 200}, {texts::kColumns[1], A::Left, 601, 100, true}});
  grid.onGetText = [](const ui::TreeNode& node, int column) {
    const EnvironmentRecord& r = RecordOf(node);
    return column == 0 ? r.Variable : column == 1 ? r.Value : std::wstring();
  };
  grid.onFocusChanged = [this](ui::TreeNode* node) { ShowValue(node); };
  grid.SetSort(0, true);  // by name from the start

  // Read-only, wrapping (no horizontal scrolling), with a vertical scroll bar.
  valueBox_ =
      ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                        0, 0, 0, 0, hwnd(), reinterpret_cast<HMENU>(110), ::GetModuleHandleW(nullptr), nullptr);
  if (!valueBox_) return false;
  ::SendMessageW(valueBox_, EM_SETLIMITTEXT, 0, 0);  // the largest a value can be
  valueBrush_.reset(::CreateSolidBrush(kValueBackground));
  return true;
}

void EnvironmentPage::OnLayout(int width, int height) {
  const int box = std::min(host().Dpi().Scale(110), height / 2);
  const int treeBottom = std::max(0, height - box);
  ::MoveWindow(tree().hwnd(), 0, 0, width, treeBottom, TRUE);
  ::MoveWindow(valueBox_, 0, treeBottom, width, height - treeBottom, TRUE);
}

void EnvironmentPage::ApplyDpi(const ui::Dpi& dpi) {
  TreePage::ApplyDpi(dpi);  // gives every child the window's font: the value box takes its own again
  valueFont_.reset(ui::CreateUiFont(dpi, 0, false, texts::kValueFont));
  if (valueFont_) ::SendMessageW(valueBox_, WM_SETFONT, reinterpret_cast<WPARAM>(valueFont_.get()), TRUE);
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  OnLayout(rc.right, rc.bottom);
}

HBRUSH EnvironmentPage::OnStaticColour(HDC dc, HWND control) {
  if (control != valueBox_ || !valueBrush_) return nullptr;
  ::SetBkColor(dc, kValueBackground);
  return valueBrush_.get();
}

void EnvironmentPage::Refresh(Refresher step, const std::wstring& filter) {
  if (step == Refresher::Environment) RefreshEnvironment(filter);
}

void EnvironmentPage::RefreshEnvironment(const std::wstring& filter) {
  ui::TreeGrid& grid = tree();
  std::vector<EnvironmentRecord> records = EnvironmentRecords(GetEnvironmentList(), filter);
  const size_t count = records.size();
  {
    ui::TreeGrid::UpdateBlock block(grid);
    grid.Clear();
    for (EnvironmentRecord& r : records) grid.AddRow(nullptr, std::move(r));
  }
  // The previous focus is not kept: the first row of the sorted list.
  ::SetWindowTextW(valueBox_, L"");
  if (grid.VisibleRowCount() > 0) {
    grid.SetFocusedNode(grid.VisibleRow(0));
    grid.ScrollIntoView(grid.VisibleRow(0), true);
  }
  host().SetPageCaption(Position(), EnvironmentTabCaption(count));
}

void EnvironmentPage::ShowValue(ui::TreeNode* node) {
  ::SetWindowTextW(valueBox_, node ? RecordOf(*node).Value.c_str() : L"");
}

}  // namespace vantrel::app
