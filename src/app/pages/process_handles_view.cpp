#include "app/pages/process_handles_view.h"

#include <exception>
#include <utility>

#include "app/pages/process_details_texts.h"
#include "app/pages/requested_row.h"
#include "system/text/locale_text.h"

namespace vantrel::app {
namespace texts = process_details_texts;

bool ProcessHandlesView::Create(HWND parent, PageHost& host) {
  host_ = &host;
  if (!tree_.Create(parent, 0)) return false;
  using A = ui::ColumnAlign;
  tree_.SetColumns({{texts::kHandleColumns[Index(HandleColumn::Type)], A::Left, 150},
                    {texts::kHandleColumns[Index(HandleColumn::Name)], A::Left, 574, 0, true},
                    {texts::kHandleColumns[Index(HandleColumn::Handle)], A::Right, 75}});
  tree_.onGetText = [](const ui::TreeNode& node, int column) {
    return HandleCellText(*node.As<HandleRecord>(), column);
  };
  tree_.onGetKey = [](const ui::TreeNode& node) { return HandleValueText(node.As<HandleRecord>()->Handle); };
  tree_.SetSort(Index(HandleColumn::Type), true);
  return true;
}

void ProcessHandlesView::Refresh(uint32_t pid) {
  if (pid == 0) return;  // the idle process leaves the sub-page as it is
  if (pid != listedPid_) {
    // Another process's rows never stand under this one while its listing runs.
    tree_.Clear();
    if (onCaption) onCaption(texts::kHandlesTab);
  }
  listedPid_ = pid;
  read_.Request(host_->Handoff(), [this, pid, options = options_]() -> std::function<void()> {
    try {
      HandleList list = ReadHandles(pid, options);
      return [this, handles = std::move(list.Handles)]() mutable { Fill(std::move(handles)); };
    } catch (const std::exception& e) {
      const std::wstring line = texts::kHandlesLogPrefix + ExceptionMessage(e);
      return [this, line] {
        Fill({});
        host_->WriteLog(line);
      };
    }
  });
}

void ProcessHandlesView::Fill(std::vector<HandleRecord> handles) {
  {
    ui::TreeGrid::UpdateBlock block(tree_);
    tree_.Clear();
    for (HandleRecord& h : handles) tree_.AddRow(nullptr, std::move(h));
    tree_.Sort();
  }
  FocusRequestedRow(tree_, focusAfterRead_);
  if (onCaption) onCaption(HandlesCaption(tree_.RowCount()));
}

}  // namespace vantrel::app
