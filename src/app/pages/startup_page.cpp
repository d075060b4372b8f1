#include "app/pages/startup_page.h"

#include <algorithm>

#include "app/pages/startup_texts.h"
#include "app/ui/system_image_lists.h"
#include "controls/message_dialogs.h"
#include "core/shell/pages.h"
#include "system/startup/autorun_reader.h"
#include "system/text/locale_text.h"

namespace vantrel::app {
namespace texts = startup_texts;
namespace {

const AutorunRecord& RecordOf(const ui::TreeNode& node) { return *node.As<AutorunRecord>(); }

}  // namespace

StartupPage::StartupPage() : TreePage(kPageStartup) {}

bool StartupPage::OnCreate() {
  if (!CreateTree()) return false;
  ui::TreeGrid& grid = tree();
  using A = ui::ColumnAlign;
  grid.SetColumns({{texts::kColumns[Index(AutorunColumn::Name)], A::Left, 200},
                   {texts::kColumns[Index(AutorunColumn::CmdLine)], A::Left, 601, 100, true}});
  grid.onGetText = [](const ui::TreeNode& node, int column) {
    return AutorunCellText(RecordOf(node), IsGroupRow(node), column);
  };
  grid.onGetImage = [](const ui::TreeNode& node, int column) {
    return column == Index(AutorunColumn::Name) ? RecordOf(node).ImageIndex : -1;
  };
  grid.onGetCellStyle = [](const ui::TreeNode& node, int /*column*/) {
    ui::TreeGrid::CellStyle style;
    if (IsGroupRow(node)) {
      style.bold = true;
      style.background = static_cast<COLORREF>(kAutorunGroupColor);
    }
    return style;
  };
  grid.SetSpanEmptyCells(true);  // a group's place reads whole across the empty command-line cell
  grid.onFocusChanged = [this](ui::TreeNode* node) { ShowEntry(node); };
  grid.onChecked = [this](ui::TreeNode*) { UpdateDeleteButton(); };

  const RECT none{0, 0, 0, 0};
  if (!panel_.Create(hwnd(), 110, none, static_cast<COLORREF>(kAutorunPanelColor))) return false;
  ::ShowWindow(panel_.hwnd(), SW_SHOW);
  panel_.SetLines(L"", L"");

  delete_ = &actions().Add(
      texts::kDeleteButton, [this] { RemoveCheckedEntries(); }, 160);
  delete_->SetEnabled(false);  // waits for a checked entry
  // Del removes the focused entry as the button removes the checked ones.
  tree().onKey = [this](UINT key) {
    ui::TreeNode* node = tree().FocusedNode();
    if (key != VK_DELETE || !node || !node->hasCheckBox() || IsGroupRow(*node)) return false;
    RemoveEntries({RecordOf(*node)});
    return true;
  };
  return true;
}

void StartupPage::OnLayout(int width, int height) { LayoutAbovePanel(panel_.hwnd(), 44, width, height); }

void StartupPage::ApplyDpi(const ui::Dpi& dpi) {
  TreePage::ApplyDpi(dpi);
  panel_.ApplyDpi(dpi);
  Relayout();
}

void StartupPage::AddContextMenuItems(HWND /*target*/, ContextMenu& menu) {
  // Only rows with a box: registry and folder entries.
  AddCheckAllItems(menu, texts::kCheckAll, texts::kUncheckAll, [this] { UpdateDeleteButton(); });
}

void StartupPage::Refresh(Refresher step, const std::wstring& filter) {
  if (step == Refresher::Autoruns) RefreshAutoruns(filter);
}

void StartupPage::BeforeFullRefresh(const SystemImageLists& lists) {
  if (lists.Small) tree().SetImageList(lists.Small);
  largeImages_ = lists.Large;
  if (lists.AppIcon >= 0) appIcon_ = lists.AppIcon;
  if (lists.RegeditIcon >= 0) registryIcon_ = lists.RegeditIcon;
  if (lists.BrowserIcon >= 0) browserIcon_ = lists.BrowserIcon;
}

void StartupPage::RefreshAutoruns(const std::wstring& filter) {
  AutorunScanOptions options;
  options.Filter = filter;
  options.AppIcon = appIcon_;
  options.RegistryIcon = registryIcon_;
  options.BrowserIcon = browserIcon_;
  // Registry values, shortcuts and files are anyone's: a hostile one must not hold the window.
  read_.Request(host().Handoff(), [this, options]() -> std::function<void()> {
    auto scan = std::make_shared<AutorunScan>(ReadAutoruns(options));
    return [this, scan] { ShowScan(std::move(*scan)); };
  });
}

void StartupPage::ShowScan(AutorunScan scan) {
  for (const std::wstring& line : scan.LogLines) host().WriteLog(line);
  ui::TreeGrid& grid = tree();
  {
    ui::TreeGrid::UpdateBlock block(grid);
    grid.Clear();
    for (AutorunGroup& group : scan.Groups) {
      ui::TreeNode* groupRow = grid.AddRow(nullptr, std::move(group.Group));
      for (AutorunRecord& entry : group.Entries) {
        const bool box = AutorunHasCheckBox(entry, false);
        ui::TreeNode* row = grid.AddRow(groupRow, std::move(entry));
        if (box) grid.SetCheckBox(row, true);
      }
    }
    grid.ExpandAll(true);
  }
  // No earlier focus is restored: the first row in the view's order.
  if (grid.VisibleRowCount() > 0) {
    grid.SetFocusedNode(grid.VisibleRow(0));
    grid.ScrollIntoView(grid.VisibleRow(0), true);
  }
  UpdateDeleteButton();
  host().SetPageCaption(Position(), AutorunsTabCaption(AutorunEntryCount(scan.Groups)));
}

void StartupPage::ShowEntry(ui::TreeNode* node) {
  if (!node) return;
  const AutorunRecord& r = RecordOf(*node);
  const bool group = IsGroupRow(*node);
  panelIcon_.reset(largeImages_ ? ImageList_GetIcon(largeImages_, r.ImageIndex, ILD_NORMAL) : nullptr);
  panel_.SetIcon(panelIcon_.get());
  panel_.SetLines(AutorunDescriptionLine(r, group), AutorunCompanyLine(r, group));
}

void StartupPage::UpdateDeleteButton() { delete_->SetEnabled(!removal_.Busy() && tree().CheckedCount() > 0); }

void StartupPage::RemoveCheckedEntries() {
  // The entries are copied before the question: nothing the box lets run can change what is removed, and each is
  // compared with what was read before it is deleted.
  if (removal_.Busy()) return;
  const auto pause = host().Refresh().PauseTimer();
  std::vector<AutorunRecord> checked;
  for (ui::TreeNode* node = tree().First(); node; node = tree().Next(node))
    if (node->checked() && node->hasCheckBox() && !IsGroupRow(*node)) checked.push_back(RecordOf(*node));
  RemoveEntries(std::move(checked));
}

void StartupPage::RemoveEntries(std::vector<AutorunRecord> checked) {
  if (removal_.Busy() || checked.empty()) return;
  const auto pause = host().Refresh().PauseTimer();
  if (!ConfirmDlg(AutorunDeleteConfirmation(checked.size()))) return;
  removal_.Request(host().Handoff(), [this, checked = std::move(checked)]() -> std::function<void()> {
    auto outcomes = std::make_shared<std::vector<AutorunRemovalOutcome>>(RemoveAutoruns(checked));
    return [this, outcomes] { RemovalDone(*outcomes); };
  });
  UpdateDeleteButton();
}

void StartupPage::RemovalDone(const std::vector<AutorunRemovalOutcome>& outcomes) {
  for (const AutorunRemovalOutcome& outcome : outcomes) {
    if (outcome.Changed) ErrorDlg(AutorunRemoveErrorText(outcome.Name, kAutorunChangedReason));
    else if (!outcome.Ok) ErrorDlg(AutorunRemoveErrorText(outcome.Name, SystemErrorText(outcome.Error)));
  }
  host().RefreshCommand();
}

}  // namespace vantrel::app
