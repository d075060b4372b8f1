#include "app/pages/processes_page.h"

#include <algorithm>
#include <vector>

#include "core/process/process_details.h"
#include "core/process/process_rules.h"
#include "core/process/process_texts.h"
#include "core/shell/startup_rules.h"
#include "system/os/system_facts.h"
#include "system/text/locale_text.h"

namespace vantrel::app {
namespace {

TProcessRecord& RecordOf(ui::TreeNode& node) { return *node.As<TProcessRecord>(); }

int64_t SelectedPid(HWND combo) {
  const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (index < 0 || index >= ::SendMessageW(combo, CB_GETCOUNT, 0, 0)) return -1;
  return static_cast<int64_t>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

}  // namespace

bool ProcessesPage::Create(HWND parent) {
  if (!TreePage::Create(parent)) return false;
  ui::TreeGrid& grid = tree();
  using A = ui::ColumnAlign;
  grid.SetColumns({{L"PID", A::Right, 90},      {L"会话", A::Right, 50},      {L"名称", A::Left, 150, 150},
                   {L"类型", A::Center, 60},    {L"用户名", A::Left, 100},    {L"创建", A::Left, 130},
                   {L"CPU 时间", A::Left, 60},  {L"工作集", A::Right, 75},    {L"文件名", A::Left, 500, 200, true}});
  grid.onGetText = [this](const ui::TreeNode& node, int column) {
    return ProcessCellText(*node.As<TProcessRecord>(), column, settings_, autoRefresh_);
  };
  grid.onGetImage = [](const ui::TreeNode& node, int column) {
    return column == pcName ? node.As<TProcessRecord>()->_ImageIndex : -1;
  };
  grid.onGetKey = [](const ui::TreeNode& node) { return std::to_wstring(node.As<TProcessRecord>()->PID); };
  grid.onFocusChanged = [this](ui::TreeNode* node) {
    ShowDetails(node);
    if (onRowsChanged) onRowsChanged();
  };
  grid.onChecked = [this](ui::TreeNode*) {
    if (onRowsChanged) onRowsChanged();
  };
  grid.onDoubleClick = [this](ui::TreeNode* node) {
    details_.SetExpanded(true);
    if (node) tree().ScrollIntoView(node, true);
  };

  // Below the list: the header strip and the details panel, collapsed at start.
  const RECT none{0, 0, 0, 0};
  if (!procPanel_.Create(parent, 1110, none) || !details_.Create(parent, 1111, none, L"进程详细信息", false) ||
      !inspProc_.Create(details_.hwnd(), 1112, none))
    return false;
  inspProc_.SetNameWidth(200);
  details_.SetContent(inspProc_.hwnd());
  details_.onExpandedChanged = [this](bool) { Layout(area_); };
  return true;
}

void ProcessesPage::Layout(const RECT& area) {
  area_ = area;
  const ui::Dpi dpi = ui::Dpi::ForWindow(tree().hwnd());
  const int strip = dpi.Scale(44);
  const int panel = details_.Expanded() ? std::min(dpi.Scale(300), static_cast<int>((area.bottom - area.top) / 2)) : details_.HeaderHeight();
  const int width = area.right - area.left;
  const int treeBottom = std::max(area.top, area.bottom - strip - panel);
  ::MoveWindow(tree().hwnd(), area.left, area.top, width, treeBottom - area.top, TRUE);
  ::MoveWindow(procPanel_.hwnd(), area.left, treeBottom, width, strip, TRUE);
  ::MoveWindow(details_.hwnd(), area.left, treeBottom + strip, width, area.bottom - treeBottom - strip, TRUE);
}

void ProcessesPage::Show(bool visible) {
  TreePage::Show(visible);
  ::ShowWindow(procPanel_.hwnd(), visible ? SW_SHOW : SW_HIDE);
  ::ShowWindow(details_.hwnd(), visible ? SW_SHOW : SW_HIDE);
}

void ProcessesPage::ShowDetails(ui::TreeNode* node) {
  // Without a focused row the panel keeps what it shows.
  const TProcessRecord* r = node ? node->As<TProcessRecord>() : nullptr;
  if (!r) return;
  procIcon_.reset(largeImages_ ? ImageList_GetIcon(largeImages_, r->_ImageIndex, ILD_NORMAL) : nullptr);
  procPanel_.SetIcon(procIcon_.get());
  procPanel_.SetLines(ProcessDescriptionLine(*r), ProcessCompanyLine(*r));
  inspProc_.BeginUpdate();
  inspProc_.Clear();
  std::vector<ui::PropertyInspector::ItemId> groups;
  for (const TDetailGroup& g : ProcessDetailGroups(*r, settings_)) {
    const auto parent = g.Parent >= 0 ? groups[static_cast<size_t>(g.Parent)] : ui::PropertyInspector::kNone;
    groups.push_back(inspProc_.AddGroup(g.Caption, parent, g.Expanded, g.Shaded ? RGB(0xE9, 0xE9, 0xE9) : CLR_DEFAULT));
    for (const TDetailItem& item : g.Items) {
      const auto id = inspProc_.AddItem(groups.back(), item.Caption, item.Value);
      if (!item.Visible) inspProc_.SetItemVisible(id, false);
    }
  }
  inspProc_.EndUpdate();

  // The windows page follows the focused process (no selection when it has no windows).
  if (const HWND combo = context ? context().windowFilter : nullptr) {
    int select = -1;
    const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count && select < 0; ++i)
      if (static_cast<uint32_t>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == r->PID)
        select = static_cast<int>(i);
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
  }
  if (onFocusedProcessChanged) onFocusedProcessChanged();
}

void ProcessesPage::RefreshProcesses(const std::wstring& filter) {
  const Context ctx = context ? context() : Context{};
  settings_ = ReadUserFormatSettings();
  autoRefresh_ = ctx.autoRefresh;
  const std::wstring& currentUser = SystemFacts().CurrentUserName;
  const uint32_t ownPid = ::GetCurrentProcessId();
  ui::TreeGrid& grid = tree();

  const int64_t windowFilterPid = ctx.windowFilter ? SelectedPid(ctx.windowFilter) : -1;
  std::vector<std::pair<std::wstring, uint32_t>> windowed;
  const ui::TreeViewState view = grid.SaveView();
  {
    ui::TreeGrid::UpdateBlock block(grid);
    grid.Clear();
    TProcessParentFinder parents(ctx.treeMode, filter);
    std::vector<ui::TreeNode*> rows;
    static const TProcesses kNoSessionProcesses;
    snapshot_.Walk(ctx.sessionProcesses ? *ctx.sessionProcesses : kNoSessionProcesses,
                   [&](const TProcessRecord& record) -> TProcessRecord* {
                     if (record.WinCount > 0)
                       windowed.emplace_back(record.Name + L" (" + std::to_wstring(record.PID) + L")", record.PID);
                     if (!ProcessPassesFilter(record, ctx.processFilter, currentUser, filter)) return nullptr;
                     const int parent = parents.Add(record);
                     ui::TreeNode* node = grid.AddRow(parent >= 0 ? rows[static_cast<size_t>(parent)] : nullptr, record);
                     rows.push_back(node);
                     if (!ctx.autoRefresh && ProcessRowGetsCheckBox(record.PID, ownPid, record.CanBeKilled))
                       grid.SetCheckBox(node, true);
                     return node->As<TProcessRecord>();
                   },
                   [this](const std::wstring& line) {
                     if (log) log(line);
                   });
    // Colours follow what the second phase completed (responding, owner).
    for (ui::TreeNode* node : rows) {
      const uint32_t colour = ProcessRowColour(RecordOf(*node), currentUser);
      grid.SetTextColor(node, colour == kProcessDefaultColour ? CLR_DEFAULT : static_cast<COLORREF>(colour));
    }
    grid.ExpandAll(true);
  }
  if (ctx.sessionProcesses) ctx.sessionProcesses->clear();
  if (grid.RowCount() > 0) grid.RestoreView(view, /*keepTop=*/ctx.timerEnabled);
  if (ctx.windowFilter) FillWindowFilter(ctx.windowFilter, std::move(windowed), windowFilterPid);
  if (onCaptionChanged) onCaptionChanged(L" 进程 (" + std::to_wstring(grid.RowCount()) + L") ");
  if (onRowsChanged) onRowsChanged();
}

void ProcessesPage::FillWindowFilter(HWND combo, std::vector<std::pair<std::wstring, uint32_t>> entries,
                                     int64_t keepPid) {
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  int select = -1;
  ui::TreeNode* focused = tree().FocusedNode();
  const int64_t focusedPid = focused ? static_cast<int64_t>(RecordOf(*focused).PID) : -1;
  int focusedIndex = -1;
  for (const auto& [caption, pid] : entries) {
    const LRESULT index = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption.c_str()));
    if (index < 0) continue;
    ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), pid);
    if (pid == keepPid) select = static_cast<int>(index);
    if (pid == focusedPid) focusedIndex = static_cast<int>(index);
  }
  ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(select >= 0 ? select : focusedIndex), 0);
}

void ProcessesPage::ApplyTreeLayout(bool treeLayout) {
  ui::TreeGrid& grid = tree();
  if (treeLayout) {
    grid.SetSort(-1, true);
    grid.SetColumnWidth(pcPID, 55);
    grid.SetColumnWidth(pcName, 300);
    grid.SetTreeColumn(pcName);
    grid.SetShowExpandButtons(true);
  } else {
    grid.SetColumnWidth(pcPID, 90);
    grid.SetColumnWidth(pcName, 150);
    grid.SetTreeColumn(pcPID);
    grid.SetShowExpandButtons(false);
  }
  grid.SetTreeLayout(treeLayout);
}

void ProcessesPage::SetCheckBoxes(bool autoRefresh, uint32_t ownPid) {
  autoRefresh_ = autoRefresh;
  ui::TreeGrid& grid = tree();
  ui::TreeGrid::UpdateBlock block(grid);
  for (ui::TreeNode* node = grid.First(); node; node = grid.Next(node)) {
    const TProcessRecord& r = RecordOf(*node);
    grid.SetCheckBox(node, !autoRefresh && ProcessRowGetsCheckBox(r.PID, ownPid, r.CanBeKilled));
  }
}

ui::TreeNode* ProcessesPage::FindProcessNode(int64_t pid) {
  if (pid < 0) return nullptr;
  return tree().FindNode([pid](const ui::TreeNode& node) { return node.As<TProcessRecord>()->PID == pid; });
}

namespace {
TProcessTarget TargetOf(const TProcessRecord& r) { return {r.PID, r.CPUTimes.CreateTime, r.Name}; }
}  // namespace

std::vector<TProcessTarget> ProcessesPage::CheckedTargets() {
  std::vector<TProcessTarget> targets;
  for (ui::TreeNode* node = tree().First(); node; node = tree().Next(node))
    if (node->checked()) targets.push_back(TargetOf(RecordOf(*node)));
  return targets;
}

std::vector<TProcessTarget> ProcessesPage::FocusedTarget() {
  ui::TreeNode* node = tree().FocusedNode();
  if (!node) return {};
  return {TargetOf(RecordOf(*node))};
}

bool ProcessesPage::FocusedRowCanBeKilled() {
  ui::TreeNode* node = tree().FocusedNode();
  return node && RecordOf(*node).CanBeKilled;
}

}  // namespace vantrel::app
