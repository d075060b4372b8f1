#include "app/pages/services_page.h"

#include <algorithm>

#include "app/pages/services_texts.h"
#include "app/ui/system_image_lists.h"
#include "controls/message_dialogs.h"
#include "core/shell/activity_log.h"
#include "core/shell/pages.h"
#include "system/com_ptr.h"
#include "system/services/service_actions.h"
#include "system/services/service_reader.h"
#include "system/text/locale_text.h"

namespace vantrel::app {
namespace texts = services_texts;
namespace {

constexpr int kIdPanel = 120;
// After an action the manager needs a moment before the list shows the new state.
constexpr DWORD kSettleMs = 1000;

const ServiceRecord& RecordOf(const ui::TreeNode& node) { return *node.As<ServiceRecord>(); }

std::wstring WindowText(HWND hwnd) {
  wchar_t buf[64] = {};
  ::GetWindowTextW(hwnd, buf, 64);
  return buf;
}

}  // namespace

ServicesPage::ServicesPage() : TreePage(kPageServices) {}

bool ServicesPage::OnCreate() {
  if (!CreateTree()) return false;
  ui::TreeGrid& grid = tree();
  using A = ui::ColumnAlign;
  std::vector<ui::TreeGridColumn> columns;
  for (int c = 0; c < kServiceColumnCount; ++c) {
    const bool last = c == Index(ServiceColumn::CmdLine);
    columns.push_back(
        {kServiceColumns[c].Caption, A::Left, kServiceColumns[c].Width, last ? kServiceCmdLineMinWidth : 0, last});
  }
  grid.SetColumns(std::move(columns));
  grid.onGetText = [](const ui::TreeNode& node, int column) { return ServiceCellText(RecordOf(node), column); };
  grid.onGetImage = [](const ui::TreeNode& node, int column) {
    return column == Index(ServiceColumn::Name) ? RecordOf(node).ImageIndexValue : -1;
  };
  grid.onGetKey = [](const ui::TreeNode& node) { return RecordOf(node).Name; };
  grid.onFocusChanged = [this](ui::TreeNode*) { FollowFocusedRow(); };
  grid.SetSort(Index(ServiceColumn::Name), true);

  if (!panel_.Create(hwnd(), kIdPanel, RECT{0, 0, 0, 0}, static_cast<COLORREF>(kServicePanelColour))) return false;
  ::ShowWindow(panel_.hwnd(), SW_SHOW);
  panel_.SetLines(L"", L"");

  control_ = &actions().Add(texts::kControlButton, [this] { ControlFocusedService(); });
  uninstall_ = &actions().Add(texts::kUninstallButton, [this] { UninstallFocusedService(); });
  manager_ = &actions().Add(texts::kManagerButton, [this] { OpenServiceManager(); });
  FollowFocusedRow();
  return true;
}

void ServicesPage::OnLayout(int width, int height) { LayoutAbovePanel(panel_.hwnd(), 44, width, height); }

void ServicesPage::ApplyDpi(const ui::Dpi& dpi) {
  TreePage::ApplyDpi(dpi);
  panel_.ApplyDpi(dpi);
  Relayout();
}

void ServicesPage::BeforeFullRefresh(const SystemImageLists& lists) {
  reader_->ForgetConfigurations();
  if (lists.Small) tree().SetImageList(lists.Small);
  largeImages_ = lists.Large;
  if (lists.AppIcon >= 0) defaultImage_ = lists.AppIcon;
}

void ServicesPage::Refresh(Refresher step, const std::wstring& filter) {
  if (step == Refresher::Services) RefreshServices(filter);
}

void ServicesPage::RefreshServices(const std::wstring& filter) {
  ServiceReadOptions options;
  options.Filter = filter;
  options.DefaultImageIndex = defaultImage_;
  // The timer's refresh keeps the top row; known now, as the read ends after the refresh.
  const bool keepTop = host().Refresh().InPeriodicRefresh();
  read_.Request(host().Handoff(), [this, reader = reader_, options, keepTop]() -> std::function<void()> {
    try {
      auto read = std::make_shared<ServicesRead>(reader->Read(options));
      return [this, read, keepTop] { ShowServices(std::move(*read), keepTop); };
    } catch (const std::exception& e) {
      const std::wstring line = LogLine(L"RefreshServices", ExceptionMessage(e));
      return [this, line] { host().WriteLog(line); };
    }
  });
}

void ServicesPage::ShowServices(ServicesRead read, bool keepTop) {
  ui::TreeGrid& grid = tree();
  const ui::TreeViewState view = grid.SaveView();
  {
    ui::TreeGrid::UpdateBlock block(grid);
    grid.Clear();
    for (ServiceRecord& record : read.Services) {
      const uint32_t colour = ServiceRowColour(record);
      ui::TreeNode* node = grid.AddRow(nullptr, std::move(record));
      if (colour != kServiceDefaultColour) grid.SetTextColor(node, static_cast<COLORREF>(colour));
    }
  }
  if (grid.RowCount() > 0) {
    // The remembered name in any letter case, else the first row.
    ui::TreeViewState restore = view;
    if (view.hasFocused) {
      ui::TreeNode* same = FindServiceNode(view.focusedKey);
      restore.hasFocused = same != nullptr;
      if (same) restore.focusedKey = RecordOf(*same).Name;
    }
    grid.RestoreView(restore, keepTop);
  }
  ++readsShown_;
  FollowFocusedRow();
  host().SetPageCaption(Position(), ServicesCaption(grid.RowCount()));
}

ui::TreeNode* ServicesPage::FindServiceNode(const std::wstring& name) {
  // In list order, as the user sees it.
  for (ui::TreeNode* node = tree().First(); node; node = tree().Next(node))
    if (::CompareStringOrdinal(RecordOf(*node).Name.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) return node;
  return nullptr;
}

void ServicesPage::FollowFocusedRow() {
  ui::TreeNode* node = tree().FocusedNode();
  const ServiceRecord* record = node ? &RecordOf(*node) : nullptr;
  // The page's buttons show only while the page does, so the page counts as active here.
  const ServiceButtons b = ServiceButtonState(record, true, WindowText(control_->hwnd()));
  control_->SetCaption(b.ControlCaption);
  control_->SetVisible(b.ControlVisible);
  uninstall_->SetVisible(b.UninstallVisible);
  manager_->SetVisible(b.ManagerVisible);
  // While an action runs, a second one waits for its result.
  control_->SetEnabled(b.ControlEnabled && !action_.Running());
  uninstall_->SetEnabled(b.UninstallEnabled && !action_.Running());
  if (record) ShowPanel(record);
}

void ServicesPage::ShowPanel(const ServiceRecord* record) {
  panelIcon_.reset(largeImages_ ? ImageList_GetIcon(largeImages_, record->ImageIndexValue, ILD_NORMAL) : nullptr);
  panel_.SetIcon(panelIcon_.get());
  panel_.SetLines(ServiceDescriptionLine(*record), ServiceCompanyLine(*record));
}

void ServicesPage::ControlFocusedService() {
  // The target is copied before the question: a refresh while the box is up cannot change it.
  const auto pause = host().Refresh().PauseTimer();
  ui::TreeNode* node = tree().FocusedNode();
  if (!node || action_.Running()) return;
  const ServiceTarget target = MakeServiceTarget(RecordOf(*node), WindowText(control_->hwnd()));
  if (ServiceControlAction(target.Status) == ServiceAction::None) return;
  if (!ConfirmDlg(ServiceControlConfirmText(target))) return;
  RunAction(target, false);
}

void ServicesPage::UninstallFocusedService() {
  const auto pause = host().Refresh().PauseTimer();
  ui::TreeNode* node = tree().FocusedNode();
  if (!node || action_.Running()) return;
  const ServiceTarget target = MakeServiceTarget(RecordOf(*node), WindowText(uninstall_->hwnd()));
  if (!ConfirmDlg(ServiceUninstallConfirmText(target))) return;
  RunAction(target, true);
}

void ServicesPage::RunAction(const ServiceTarget& target, bool uninstall) {
  // The manager may take long (a service that hangs in its start): the window keeps answering meanwhile.
  action_.Run(
      host(),
      [target, uninstall] {
        ServiceOutcome outcome;
        if (uninstall) outcome = UninstallService(target.Name);
        else if (ServiceControlAction(target.Status) == ServiceAction::Stop) outcome = StopService(target.Name);
        else outcome = StartOrContinueService(target.Name);
        ::Sleep(kSettleMs);
        return outcome;
      },
      [target, uninstall](const ServiceOutcome& outcome) {
        // An uninstall that failed shows in the list: the service is still there.
        if (!outcome.Ok && !uninstall) ErrorDlg(ServiceControlErrorText(target, SystemErrorText(outcome.Error)));
        return ActionRunner::After::Refresh;
      });
}

void ServicesPage::OpenServiceManager() {
  // The shell and the started console are another process's business: never waited on here.
  host().Handoff().Run([]() -> WindowThreadHandoff::Result {
    const win::ComScope com;  // the shell's file associations
    const bool started = OpenServicesConsole();
    return [started] {
      if (!started) ErrorDlg(texts::kConsoleFailed);
    };
  });
}

}  // namespace vantrel::app
