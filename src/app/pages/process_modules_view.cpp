#include "app/pages/process_modules_view.h"

#include <exception>
#include <utility>

#include "app/pages/process_details_texts.h"
#include "app/pages/requested_row.h"
#include "system/process/module_list.h"
#include "system/text/locale_text.h"

namespace vantrel::app {
namespace texts = process_details_texts;

bool ProcessModulesView::Create(HWND parent, PageHost& host) {
  host_ = &host;
  // The label lies under the list and shows where the list is hidden.
  label_ = ::CreateWindowExW(0, L"STATIC", texts::kModules64Bit, WS_CHILD | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0,
                             0, 0, 0, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!label_ || !tree_.Create(parent, 0)) return false;
  ::SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(host.UiFont()), FALSE);
  using A = ui::ColumnAlign;
  tree_.SetColumns({{texts::kModuleColumns[Index(ModuleColumn::Name)], A::Left, 150},
                    {texts::kModuleColumns[Index(ModuleColumn::Desc)], A::Left, 200},
                    {texts::kModuleColumns[Index(ModuleColumn::Company)], A::Left, 150},
                    {texts::kModuleColumns[Index(ModuleColumn::Version)], A::Left, 100},
                    {texts::kModuleColumns[Index(ModuleColumn::ImageName)], A::Left, 199, 0, true}});
  tree_.onGetText = [](const ui::TreeNode& node, int column) {
    return ModuleCellText(*node.As<ModuleRecord>(), column);
  };
  tree_.onGetKey = [](const ui::TreeNode& node) { return node.As<ModuleRecord>()->ImageName; };
  tree_.onDoubleClick = [this](ui::TreeNode* node) {
    if (node && tree_.FocusedNode() && onOpenHandles) onOpenHandles();
  };
  tree_.SetSort(Index(ModuleColumn::Name), true);
  return true;
}

void ProcessModulesView::Layout(const RECT& area) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  ::MoveWindow(tree_.hwnd(), area.left, area.top, w, h, TRUE);
  ::MoveWindow(label_, area.left, area.top, w, h, TRUE);
}

void ProcessModulesView::Show(bool visible) {
  visible_ = visible;
  ::ShowWindow(tree_.hwnd(), visible && listShown_ ? SW_SHOW : SW_HIDE);
  ::ShowWindow(label_, visible && !listShown_ ? SW_SHOW : SW_HIDE);
}

void ProcessModulesView::ShowList(bool shown) {
  listShown_ = shown;
  Show(visible_);
}

void ProcessModulesView::Refresh(uint32_t pid, const std::wstring& processName, bool is64bit) {
  if (onCaption) onCaption(texts::kModulesPending);
  // Another process's rows never stand under this one while its listing runs.
  if (pid != listedPid_) tree_.Clear();
  listedPid_ = pid;
  if (!CanListModules(is64bit)) {
    ShowList(false);  // the caption stays " Modules "
    return;
  }
  read_.Request(host_->Handoff(), [this, pid, processName, is64bit]() -> std::function<void()> {
    try {
      ModuleList list = ReadModules(pid, is64bit);
      return
          [this, modules = std::move(list.Modules), processName]() mutable { Fill(std::move(modules), processName); };
    } catch (const std::exception& e) {
      const std::wstring line = texts::kModulesLogPrefix + ExceptionMessage(e);
      return [this, line, processName] {
        Fill({}, processName);
        host_->WriteLog(line);
      };
    }
  });
}

void ProcessModulesView::Fill(std::vector<ModuleRecord> modules, const std::wstring& processName) {
  ui::TreeNode* main = nullptr;
  {
    ui::TreeGrid::UpdateBlock block(tree_);
    tree_.Clear();
    for (ModuleRecord& m : modules) {
      const bool isMain = !main && IsMainModule(m, processName);
      ui::TreeNode* node = tree_.AddRow(nullptr, std::move(m));
      if (isMain) main = node;
    }
    tree_.Sort();
  }
  if (main) {
    tree_.SetFocusedNode(main);
    tree_.ScrollIntoView(main, true);
  }
  FocusRequestedRow(tree_, focusAfterRead_);
  ShowList(true);
  if (onCaption) onCaption(ModulesCaption(tree_.RowCount()));
}

}  // namespace vantrel::app
