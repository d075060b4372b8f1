#include "app/pages/processes_page.h"

#include <algorithm>
#include <vector>

#include "app/pages/process_details_texts.h"
#include "app/pages/processes_texts.h"
#include "app/ui/system_image_lists.h"
#include "controls/message_dialogs.h"
#include "core/os/ascii.h"
#include "core/process/kill_rule.h"
#include "core/process/process_details.h"
#include "core/process/process_rules.h"
#include "core/process/process_texts.h"
#include "core/shell/pages.h"
#include "core/shell/startup_rules.h"
#include "system/os/system_facts.h"
#include "system/text/locale_text.h"

namespace vantrel::app {
namespace texts = processes_texts;
namespace {

constexpr int kIdProcessFilter = 10;
constexpr int kIdTreeSwitch = 11;
// WMI's connection and query for one process; its worker is bounded on its own as well.
constexpr DWORD kCommandLineAskBoundMs = 15000;

ProcessRecord& RecordOf(ui::TreeNode& node) { return *node.As<ProcessRecord>(); }
ProcessTarget TargetOf(const ProcessRecord& r) { return {r.PID, r.CPUTimes.CreateTime, r.Name, r.Critical}; }

std::vector<NamedProcess> NamesOf(const std::vector<ProcessTarget>& targets) {
  std::vector<NamedProcess> names;
  for (const ProcessTarget& t : targets) names.push_back({t.PID, t.Name});
  return names;
}

// Each critical target is asked about by name; those the user keeps are dropped. False when none is left.
bool ConfirmCriticalTargets(std::vector<ProcessTarget>& targets) {
  const DWORD self = ::GetCurrentProcessId();
  for (ProcessTarget& t : targets)
    if (JudgeKill(t.PID, self, t.Critical) == KillVerdict::AskCritical)
      t.CriticalConfirmed = ConfirmDlg(CriticalKillQuestion({t.PID, t.Name}));
  std::erase_if(targets, [](const ProcessTarget& t) { return t.Critical && !t.CriticalConfirmed; });
  return !targets.empty();
}

}  // namespace

ProcessesPage::ProcessesPage() : TreePage(kPageProcesses) {}

bool ProcessesPage::OnCreate() {
  host().Feeds().sessionProcesses.wanted = [this] { return snapshot_.WantsSessionProcesses(); };
  if (!CreateTree() || !CreateStrip()) return false;
  ui::TreeGrid& grid = tree();
  using A = ui::ColumnAlign;
  grid.SetColumns({{L"PID", A::Right, 90},
                   {L"会话", A::Right, 50},
                   {L"名称", A::Left, 150, 150},
                   {L"类型", A::Center, 60},
                   {L"用户名", A::Left, 100},
                   {L"创建", A::Left, 130},
                   {L"CPU 时间", A::Left, 60},
                   {L"工作集", A::Right, 75},
                   {L"文件名", A::Left, 500, 200, true}});
  grid.onGetText = [this](const ui::TreeNode& node, int column) {
    return ProcessCellText(*node.As<ProcessRecord>(), column, settings_, autoRefresh_);
  };
  grid.onGetImage = [](const ui::TreeNode& node, int column) {
    return column == Index(ProcessColumn::Name) ? node.As<ProcessRecord>()->ImageIndexValue : -1;
  };
  grid.onGetKey = [](const ui::TreeNode& node) { return std::to_wstring(node.As<ProcessRecord>()->PID); };
  grid.onFocusChanged = [this](ui::TreeNode* node) {
    // The end of a rebuild already told of the rebuilt focused row; restoring the view tells of it again.
    if (restoringView_ && node == tree().FocusedNode() && node == detailsNode_) return;
    // The details read the command line through WMI, which pumps messages: no refresh may free the rows meanwhile.
    const auto lists = host().Refresh().HoldLists();
    detailsNode_ = node;
    ShowDetails(node);
    UpdateKillButton();
  };
  grid.onChecked = [this](ui::TreeNode*) { UpdateKillButton(); };
  grid.onKey = [this](UINT key) { return OnListKey(key); };
  grid.onDoubleClick = [this](ui::TreeNode* node) {
    details_.SetExpanded(true);
    if (node) tree().ScrollIntoView(node, true);
  };

  // Below the list: the header strip and the details panel, collapsed at start.
  const RECT none{0, 0, 0, 0};
  if (!header_.Create(hwnd(), 110, none) || !details_.Create(hwnd(), 111, none, texts::kDetailsPanel, false) ||
      !inspector_.Create(details_.hwnd(), 112, none) ||
      !detailsPages_.Create(details_.hwnd(), host(), inspector_.hwnd()))
    return false;
  ::ShowWindow(header_.hwnd(), SW_SHOW);
  ::ShowWindow(details_.hwnd(), SW_SHOW);
  inspector_.SetNameWidth(200);
  details_.SetContent(detailsPages_.hwnd());
  details_.onExpandedChanged = [this](bool expanded) {
    detailsPages_.SetShown(expanded);
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    OnLayout(rc.right, rc.bottom);
  };

  kill_ = &actions().Add(
      texts::kKillButton, [this] { TerminateProcesses(); }, 200);
  kill_->SetEnabled(false);  // waits for a row
  host().Feeds().processRowRequests.SetAnswer([this](const ProcessRowRequest& r) { return ShowRequestedRow(r); });
  return true;
}

bool ProcessesPage::CreateStrip() {
  const HWND strip = Strip();
  if (!strip) return false;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  processFilter_ =
      ::CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0,
                        0, 0, strip, reinterpret_cast<HMENU>(kIdProcessFilter), instance, nullptr);
  for (const wchar_t* item : texts::kProcessFilters)
    ::SendMessageW(processFilter_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  ::SendMessageW(processFilter_, CB_SETCURSEL, 0, 0);
  treeLabel_ = ::CreateWindowExW(0, L"STATIC", texts::kTreeSwitchLabel,
                                 WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_RIGHT | SS_CENTERIMAGE, 0, 0, 0, 0, strip,
                                 nullptr, instance, nullptr);
  const RECT none{0, 0, 0, 0};
  if (!processFilter_ || !treeLabel_ || !treeSwitch_.Create(strip, kIdTreeSwitch, none)) return false;
  ::ShowWindow(treeSwitch_.hwnd(), SW_SHOW);
  treeSwitch_.SetAccessibleName(texts::kTreeSwitchLabel);
  treeSwitch_.onChanged = [this](bool on) {
    ApplyTreeLayout(on);
    host().RefreshCommand();
  };
  return true;
}

void ProcessesPage::OnLayout(int width, int height) {
  const ui::Dpi& dpi = host().Dpi();
  const int strip = dpi.Scale(44);
  const int panel = details_.Expanded() ? std::min(dpi.Scale(300), height / 2) : details_.HeaderHeight();
  const int treeBottom = std::max(0, height - strip - panel);
  ::MoveWindow(tree().hwnd(), 0, 0, width, treeBottom, TRUE);
  ::MoveWindow(header_.hwnd(), 0, treeBottom, width, strip, TRUE);
  ::MoveWindow(details_.hwnd(), 0, treeBottom + strip, width, height - treeBottom - strip, TRUE);
}

void ProcessesPage::OnLayoutStrip(int /*width*/, int height) {
  LayoutStripRow(height, {processFilter_, 160, 200, treeLabel_, 72, treeSwitch_.hwnd()});
}

void ProcessesPage::ApplyDpi(const ui::Dpi& dpi) {
  TreePage::ApplyDpi(dpi);
  treeSwitch_.ApplyDpi(dpi);
  header_.ApplyDpi(dpi);
  details_.ApplyDpi(dpi);
  inspector_.ApplyDpi(dpi);
  detailsPages_.ApplyDpi(dpi);
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  OnLayout(rc.right, rc.bottom);
}

void ProcessesPage::OnCommand(WORD id, WORD code, HWND /*control*/) {
  if (id == kIdProcessFilter && code == CBN_SELCHANGE) host().RefreshCommand();
}

void ProcessesPage::Start(const CommandLineSwitches& switches, const StartupEnvironment& env) {
  // Without administrative rights the list starts on the user's own processes.
  const bool lacksRights = env.elevationButtonVisible && env.elevationButtonVisible();
  ::SendMessageW(processFilter_, CB_SETCURSEL, Index(lacksRights ? ProcessFilter::LoggedOnUser : ProcessFilter::All),
                 0);
  if (switches.Has(Switch::TREE)) treeSwitch_.SetOn(true);
  ApplyTreeLayout(treeSwitch_.On());
}

void ProcessesPage::AddContextMenuItems(HWND /*target*/, ContextMenu& menu) {
  if (const auto& openFinder = host().Feeds().processRowRequests.openFinder) menu.Add(texts::kFindItem, openFinder);
  // Check marks exist only while automatic refresh is off, and stay as they are while an ending runs.
  if (host().AutoRefresh() || ending_.Running()) return;
  AddCheckAllItems(menu, texts::kCheckAll, texts::kUncheckAll, [this] { UpdateKillButton(); });
}

void ProcessesPage::Refresh(Refresher step, const std::wstring& filter) {
  if (step == Refresher::Processes) RefreshProcesses(filter);
}

void ProcessesPage::BeforeFullRefresh(const SystemImageLists& lists) {
  if (lists.Small) tree().SetImageList(lists.Small);
  largeImages_ = lists.Large;
  if (lists.AppIcon >= 0) snapshot_.Options.DefaultImageIndex = lists.AppIcon;
}

void ProcessesPage::OnAutoRefreshChanged(bool on) {
  killCaptionFollowsMode_ = true;
  SetCheckBoxes(on);
  UpdateKillButton();
}

void ProcessesPage::UpdateKillButton() {
  const bool autoOn = host().AutoRefresh();
  if (killCaptionFollowsMode_) kill_->SetCaption(autoOn ? texts::kKillFocused : texts::kKillChecked);
  kill_->SetEnabled(!ending_.Running() && (autoOn ? FocusedRowCanBeKilled() : tree().CheckedCount() > 0));
}

void ProcessesPage::ShowDetails(ui::TreeNode* node) {
  // Without a focused row the panel keeps what it shows. The panel works on a copy: the row goes with the next
  // refresh.
  const ProcessRecord* row = node ? node->As<ProcessRecord>() : nullptr;
  if (!row) return;
  ProcessRecord copy = *row;
  ProcessRecord* r = &copy;
  // The process's memory is read here; WMI, when only it may know the line, answers later.
  const CommandLineState line = r->IsAccessible ? snapshot_.CompleteCommandLine(*r) : CommandLineState::Unknown;
  headerIcon_.reset(largeImages_ ? ImageList_GetIcon(largeImages_, r->ImageIndexValue, ILD_NORMAL) : nullptr);
  header_.SetIcon(headerIcon_.get());
  header_.SetLines(ProcessDescriptionLine(*r), ProcessCompanyLine(*r));
  inspector_.BeginUpdate();
  inspector_.Clear();
  commandLineItem_ = ui::PropertyInspector::kNone;
  std::vector<ui::PropertyInspector::ItemId> groups;
  for (const DetailGroup& g : ProcessDetailGroups(*r, settings_)) {
    const auto parent = g.Parent >= 0 ? groups[static_cast<size_t>(g.Parent)] : ui::PropertyInspector::kNone;
    groups.push_back(
        inspector_.AddGroup(g.Caption, parent, g.Expanded, g.Shaded ? RGB(0xE9, 0xE9, 0xE9) : CLR_DEFAULT));
    for (const DetailItem& item : g.Items) {
      const auto id = inspector_.AddItem(groups.back(), item.Caption, item.Value);
      if (!item.Visible) inspector_.SetItemVisible(id, false);
      if (item.Caption == process_details_texts::kCommandLineItem) commandLineItem_ = id;
    }
  }
  inspector_.EndUpdate();
  detailsIdentity_ = {r->PID, r->CPUTimes.CreateTime};
  if (line == CommandLineState::AskWmi) AskCommandLine(*r);
  detailsPages_.ShowProcess(*r);
  // A refresh focuses the same process again: the windows page already follows it.
  if (r->PID != publishedPid_) host().Feeds().focusedProcess.Publish(r->PID);
  publishedPid_ = r->PID;
}

void ProcessesPage::AskCommandLine(const ProcessRecord& r) {
  const uint32_t pid = r.PID;
  const uint64_t createTime = r.CPUTimes.CreateTime;
  commandLineRead_.Request(host().Handoff(),
                           [this, reader = snapshot_.WmiReader(), pid, createTime]() -> std::function<void()> {
                             const WmiProcessTexts texts = reader->Ask(pid, kCommandLineAskBoundMs);
                             return [this, pid, createTime, texts] { OnCommandLine(pid, createTime, texts); };
                           });
}

void ProcessesPage::OnCommandLine(uint32_t pid, uint64_t createTime, const WmiProcessTexts& texts) {
  snapshot_.MergeWmiTexts(pid, createTime, texts);
  // The details moved on to another process meanwhile: its line, kept now, shows when it is focused again.
  if (detailsIdentity_ != std::make_pair(pid, createTime)) return;
  ui::TreeNode* node = FindProcessNode(pid);
  ProcessRecord* row = node ? node->As<ProcessRecord>() : nullptr;
  if (row && row->CPUTimes.CreateTime == createTime) {
    snapshot_.CompleteCommandLine(*row);
    inspector_.SetValue(commandLineItem_, row->CommandLine);
  } else if (!texts.CommandLine.empty()) {
    inspector_.SetValue(commandLineItem_, texts.CommandLine);
  }
}

std::wstring ProcessesPage::DetailsCommandLine() const {
  return commandLineItem_ == ui::PropertyInspector::kNone ? std::wstring() : inspector_.Value(commandLineItem_);
}

void ProcessesPage::RefreshProcesses(const std::wstring& filter) {
  settings_ = ReadUserFormatSettings();
  autoRefresh_ = host().AutoRefresh();
  ApplyTreeLayout(treeSwitch_.On());
  const vantrel::ProcessFilter processFilter =
      ProcessFilterAt(static_cast<int>(::SendMessageW(processFilter_, CB_GETCURSEL, 0, 0)));
  const std::wstring& currentUser = SystemFacts().CurrentUserName;
  const uint32_t ownPid = ::GetCurrentProcessId();
  ProcessRecords& sessionProcesses = host().Feeds().sessionProcesses.records;
  ui::TreeGrid& grid = tree();

  std::vector<ProcessChoice> windowed;
  std::vector<std::pair<size_t, const ProcessRecord*>> windowedShown;  // their icons come with the second phase
  const ui::TreeViewState view = grid.SaveView();
  {
    ui::TreeGrid::UpdateBlock block(grid);
    detailsNode_ = nullptr;  // its row goes with the rows
    grid.Clear();
    ProcessParentFinder parents(treeSwitch_.On(), filter);
    std::vector<ui::TreeNode*> rows;
    snapshot_.Walk(
        sessionProcesses,
        [&](const ProcessRecord& record) -> ProcessRecord* {
          if (record.WinCount > 0)
            windowed.push_back(
                {record.Name + L" (" + std::to_wstring(record.PID) + L")", record.PID, record.ImageIndexValue});
          if (!ProcessPassesFilter(record, processFilter, currentUser, filter)) return nullptr;
          const int parent = parents.Add(record);
          ui::TreeNode* node = grid.AddRow(parent >= 0 ? rows[static_cast<size_t>(parent)] : nullptr, record);
          rows.push_back(node);
          if (record.WinCount > 0) windowedShown.emplace_back(windowed.size() - 1, node->As<ProcessRecord>());
          if (!autoRefresh_ && ProcessRowGetsCheckBox(record.PID, ownPid, record.CanBeKilled))
            grid.SetCheckBox(node, true);
          if (onRowAdded) onRowAdded(record);
          return node->As<ProcessRecord>();
        },
        [this](const std::wstring& line) { host().WriteLog(line); });
    // Colours follow what the second phase completed (responding, owner).
    for (ui::TreeNode* node : rows) {
      const uint32_t colour = ProcessRowColour(RecordOf(*node), currentUser);
      grid.SetTextColor(node, colour == kProcessDefaultColour ? CLR_DEFAULT : static_cast<COLORREF>(colour));
    }
    grid.ExpandAll(true);
  }
  for (const auto& [choice, record] : windowedShown) windowed[choice].image = record->ImageIndexValue;
  sessionProcesses.clear();
  std::stable_sort(windowed.begin(), windowed.end(), [](const ProcessChoice& a, const ProcessChoice& b) {
    return detail::LessNoCase(a.caption, b.caption);
  });
  host().Feeds().windowedProcesses.Publish(std::move(windowed));
  host().Feeds().processRows.Publish(grid.RowCount());
  if (grid.RowCount() > 0) {
    restoringView_ = true;
    grid.RestoreView(view, /*keepTop=*/host().Refresh().InPeriodicRefresh());
    restoringView_ = false;
  }
  host().SetPageCaption(Position(), texts::kCaptionBefore + std::to_wstring(grid.RowCount()) + texts::kCaptionAfter);
  UpdateKillButton();
  // A row asked for before this refresh: shown now, or dropped when its process is gone.
  if (requestedRow_ && FindProcessNode(requestedRow_->pid)) ShowRequestedRow(*requestedRow_);
  requestedRow_.reset();
}

void ProcessesPage::ApplyTreeLayout(bool treeLayout) {
  ui::TreeGrid& grid = tree();
  if (grid.TreeLayout() == treeLayout &&
      grid.TreeColumn() == (treeLayout ? Index(ProcessColumn::Name) : Index(ProcessColumn::PID)))
    return;
  if (treeLayout) {
    grid.SetSort(-1, true);
    grid.SetColumnWidth(Index(ProcessColumn::PID), 55);
    grid.SetColumnWidth(Index(ProcessColumn::Name), 300);
    grid.SetTreeColumn(Index(ProcessColumn::Name));
    grid.SetShowExpandButtons(true);
  } else {
    grid.SetColumnWidth(Index(ProcessColumn::PID), 90);
    grid.SetColumnWidth(Index(ProcessColumn::Name), 150);
    grid.SetTreeColumn(Index(ProcessColumn::PID));
    grid.SetShowExpandButtons(false);
  }
  grid.SetTreeLayout(treeLayout);
}

void ProcessesPage::SetCheckBoxes(bool autoRefresh) {
  autoRefresh_ = autoRefresh;
  const uint32_t ownPid = ::GetCurrentProcessId();
  ui::TreeGrid& grid = tree();
  ui::TreeGrid::UpdateBlock block(grid);
  for (ui::TreeNode* node = grid.First(); node; node = grid.Next(node)) {
    const ProcessRecord& r = RecordOf(*node);
    grid.SetCheckBox(node, !autoRefresh && ProcessRowGetsCheckBox(r.PID, ownPid, r.CanBeKilled));
  }
}

ui::TreeNode* ProcessesPage::FindProcessNode(int64_t pid) {
  if (pid < 0) return nullptr;
  return tree().FindNode([pid](const ui::TreeNode& node) { return node.As<ProcessRecord>()->PID == pid; });
}

std::vector<ProcessTarget> ProcessesPage::CheckedTargets() {
  std::vector<ProcessTarget> targets;
  for (ui::TreeNode* node = tree().First(); node; node = tree().Next(node))
    if (node->checked()) targets.push_back(TargetOf(RecordOf(*node)));
  return targets;
}

std::vector<ProcessTarget> ProcessesPage::FocusedTarget() {
  ui::TreeNode* node = tree().FocusedNode();
  if (!node) return {};
  return {TargetOf(RecordOf(*node))};
}

bool ProcessesPage::FocusedRowCanBeKilled() {
  ui::TreeNode* node = tree().FocusedNode();
  return node && RecordOf(*node).CanBeKilled && !ProcessMayNeverBeEnded(RecordOf(*node).PID, ::GetCurrentProcessId());
}

void ProcessesPage::TerminateProcesses() {
  if (ending_.Running()) return;  // one ending at a time; its button is disabled meanwhile
  std::vector<ProcessTarget> targets;
  {
    // The timer stays off while the box asks, and the targets are copied before it: a refresh during the box can
    // neither free the rows nor swap the process under the user's answer.
    const auto pause = host().Refresh().PauseTimer();
    const bool focusedOnly = host().AutoRefresh();
    targets = focusedOnly ? FocusedTarget() : CheckedTargets();
    if (targets.empty()) return;
    const DWORD self = ::GetCurrentProcessId();
    std::erase_if(targets, [self](const ProcessTarget& t) {
      return JudgeKill(t.PID, self, t.Critical) == KillVerdict::Never;  // even when a checked parent reaches them
    });
    if (targets.empty()) return;
    const std::wstring question =
        focusedOnly ? std::wstring(texts::kConfirmFocused)
                    : texts::kConfirmCheckedBefore + std::to_wstring(targets.size()) + texts::kConfirmCheckedAfter;
    if (!ConfirmDlg(question + L"\r\n\r\n" + KillTargetList(NamesOf(targets)))) return;
    if (!ConfirmCriticalTargets(targets)) return;
  }

  // The waits (up to 5 s for windows to close, then 1 s for the system to let the processes go before the list is
  // read again) are the worker's; the window keeps answering.
  ending_.Run(
      host(),
      [targets] {
        std::vector<TerminateOutcome> outcomes = CloseOrTerminateProcesses(targets, 5000);
        ::Sleep(1000);
        return outcomes;
      },
      [this, targets](const std::vector<TerminateOutcome>& outcomes) {
        ReportEnding(targets, outcomes);
        return ActionRunner::After::Refresh;
      });
}

void ProcessesPage::FollowEnding() {
  tree().SetChecksEnabled(!ending_.Running());
  UpdateKillButton();
}

void ProcessesPage::ReportEnding(const std::vector<ProcessTarget>& targets,
                                 const std::vector<TerminateOutcome>& outcomes) {
  for (size_t i = 0; i < outcomes.size() && i < targets.size(); ++i) {
    if (outcomes[i].Result != TerminateResult::Failed) continue;
    ErrorDlg(L"Process [" + std::to_wstring(targets[i].PID) + L"]" + targets[i].Name + L" cannot be terminated.\r\n" +
             SystemErrorText(outcomes[i].Error));
  }
}

}  // namespace vantrel::app
