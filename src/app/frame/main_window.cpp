#include "app/frame/main_window.h"

#include <wtsapi32.h>

#include <tuple>

#include "app/pages/log_page.h"
#include "app/frame/caption_mode.h"
#include "app/features/power_menu.h"
#include "app/features/program_commands.h"
#include "app/features/snapshot_item.h"
#include "app/frame/splash_window.h"
#include "app/features/task_manager_item.h"
#include "app/frame/window_messages.h"
#include "controls/cursor_scope.h"
#include "controls/message_dialogs.h"
#include "core/shell/startup_rules.h"
#include "resource_ids.h"
#include "system/security/admin_only_path.h"
#include "system/text/locale_text.h"

namespace vantrel::app {
namespace {

constexpr int kIdNameFilter = 1000;
constexpr int kIdInterval = 1001;
constexpr int kIdAutoSwitch = 1002;
constexpr int kIdPageTabs = 1003;
constexpr WORD kIdRefreshAll = 1004;  // F5

constexpr wchar_t kApplicationTitle[] = L"Vantrel";
// What the exit waits for workers in all, the update check's share included.
constexpr DWORD kExitWaitMs = 1000;

// Design sizes (96 DPI).
constexpr int kClientWidth = 823;
constexpr int kClientHeight = 567;
constexpr int kMinWidth = 700;
constexpr int kMinHeight = 400;
constexpr int kTopBand = 48;
constexpr int kBottomBand = 44;
constexpr int kMargin = 8;
constexpr int kRowHeight = 24;
constexpr int kNameFilterWidth = 200;

HICON LoadSharedIcon(int size) {
  // LR_SHARED: the class keeps drawing this icon after any one window is gone.
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON, size,
                                         size, LR_DEFAULTCOLOR | LR_SHARED));
}

}  // namespace

MainWindow::MainWindow(CommandLineSwitches switches, StartupEnvironment env)
    : switches_(switches), env_(std::move(env)), pages_(CreatePages()) {}

MainWindow::~MainWindow() {
  // The exit waits at most kExitWaitMs for workers in all. Those still running then own what they use and drop
  // their results; the update check is stopped first, since its server may never answer.
  DetachFindWindowFeed();
  cpuMeter_.Stop();
  if (updatePrompt_) updatePrompt_->Abort();
  handoff_.Finish(kExitWaitMs - update::UpdateCheck::kLeaveWaitMs);
  updatePrompt_.reset();
  if (accelerators_) ::DestroyAcceleratorTable(accelerators_);
  SetDialogOwner(nullptr);
}

bool MainWindow::CreateAndStart() {
  // The help switch shows its box instead of the window, which is never created.
  if (switches_.Has(Switch::Help)) {
    HideSplash();
    SetDialogOwner(nullptr);
    InfoDlg(CommandLineHelpText(), L"命令行开关");
    return false;
  }
  appIcon_ = LoadSharedIcon(32);
  appIconSmall_ = LoadSharedIcon(16);
  ClassInfo cls{kMainWindowClass};
  cls.icon = appIcon_;
  cls.smallIcon = appIconSmall_;
  cls.background = ::GetSysColorBrush(COLOR_BTNFACE);
  if (!Create(cls, WS_EX_CONTROLPARENT, kApplicationTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
              CW_USEDEFAULT, kClientWidth, kClientHeight, nullptr, nullptr))
    return false;
  SetDialogOwner(hwnd());
  return Start();
}

void MainWindow::ShowAtStart(int showCommand) {
  if (switches_.Has(Switch::HIDE)) {  // reachable from the tray icon only
    maximiseWhenShown_ = switches_.Has(Switch::MAX);
    return;
  }
  if (switches_.Has(Switch::MAX)) showCommand = SW_SHOWMAXIMIZED;
  else if (showCommand == SW_HIDE || showCommand == SW_SHOWDEFAULT) showCommand = SW_SHOWNORMAL;
  ::ShowWindow(hwnd(), showCommand);
  ::UpdateWindow(hwnd());
  FocusActiveList();
}

// The start-up sequence, in its fixed order.
bool MainWindow::Start() {
  dpi_ = env_.windowDpi ? ui::Dpi(env_.windowDpi(hwnd())) : ui::Dpi::ForWindow(hwnd());
  font_.reset(ui::CreateUiFont(dpi_));
  refresh_.Attach(hwnd());
  handoff_.Attach(hwnd());
  if (!CreateControls()) return false;
  PlaceInWorkArea();

  tabs_.SetLogTabVisible(switches_.Has(Switch::DEBUG));
  OnIntervalChanged();  // the interval shown is the one used
  SetActivePage(kPageProcesses);

  // Debug privilege, so that other users' processes can be opened; the outcome is not needed.
  if (env_.enableDebugPrivilege) env_.enableDebugPrivilege();
  elevation_->SetVisible(env_.elevationButtonVisible && env_.elevationButtonVisible());
  cpuMeter_.Start(feeds_.cpuLoad, [this](const std::wstring& line) { WriteLog(line); });
  for (auto& page : pages_) page->Start(switches_, env_);
  sessionNotificationsRegistered_ = env_.registerSessionNotification && env_.registerSessionNotification(hwnd());

  if (switches_.Has(Switch::AUTO)) {
    autoSwitch_.SetOn(true);
    OnAutoRefreshChanged(true);
  }
  if (switches_.Has(Switch::CPUICON)) tray_.SetLoadDisplay(true);
  if (switches_.Has(Switch::SES)) SetActivePage(kPageSessions);
  if (switches_.Has(Switch::PERF)) SetActivePage(kPagePerformance);

  const auto lists = refresh_.BeginRefresh(RefreshKind::AllPages);
  const auto pause = refresh_.PauseTimer();
  RefreshPages(RefreshKind::AllPages);
  updatePrompt_ = UpdatePrompt::Start(hwnd(), kApplicationTitle, switches_, env_, handoff_);
  return true;
}

void MainWindow::PlaceInWorkArea() {
  RECT work{};
  if (env_.workArea) work = env_.workArea();
  else ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT design{0, 0, dpi_.Scale(kClientWidth), dpi_.Scale(kClientHeight)};
  ::AdjustWindowRectEx(&design, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT);
  const bool remote = env_.isRemoteSession && env_.isRemoteSession();
  const int screenWidth = env_.workArea ? work.right - work.left : ::GetSystemMetrics(SM_CXSCREEN);
  const ScreenRect bounds = MainWindowBounds({work.left, work.top, work.right, work.bottom}, screenWidth, remote,
                                             design.right - design.left, static_cast<int>(dpi_.value()));
  ::SetWindowPos(hwnd(), nullptr, bounds.left, bounds.top, bounds.Width(), bounds.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MainWindow::CreateControls() {
  CreateTopBand();
  if (!tabs_.Create(hwnd(), kIdPageTabs) || !actionBar_.Create(hwnd())) return false;
  ::SendMessageW(tabs_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  for (auto& page : pages_)
    if (!page->Create(*this, actionBar_)) return false;
  CreateSharedButtons();
  actionBar_.SetFont(font_.get());
  // The page control at the bottom of the z-order, the pages over its display area.
  ::SetWindowPos(tabs_.hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  ACCEL f5{FVIRTKEY, VK_F5, kIdRefreshAll};
  accelerators_ = ::CreateAcceleratorTableW(&f5, 1);

  std::wstring fileVersion, copyright;
  if (env_.programVersion) std::tie(fileVersion, copyright) = env_.programVersion();
  programMenu_.Attach(hwnd(), kApplicationTitle, ProgramButtonHint(kApplicationTitle, fileVersion, copyright),
                      CaptionModeFor(env_.desktopComposesFrame));
  programMenu_.ApplyDpi(dpi_);
  tray_.Create(hwnd(), appIconSmall_, kApplicationTitle, env_.trayShellNotify);
  FollowCpuLoad();
  AddProgramCommands(programMenu_, tray_, hwnd(), {kApplicationTitle, fileVersion, copyright, appIconSmall_});
  AttachFindWindowFeed(AddSnapshotItem(programMenu_, hwnd(), env_.snapshotFolder));
  AddPowerMenu(programMenu_, tray_, hwnd(), env_);
  syncReplacementMark_ = AddTaskManagerReplacementItem(
      programMenu_, tray_, env_.replacementKey,
      env_.replacementFileIsAdminOnly ? env_.replacementFileIsAdminOnly : AdminOnlyPathFn(IsAdminOnlyPath));
  systemMenu_.Attach(hwnd(), programMenu_.menu());
  return true;
}

void MainWindow::CreateTopBand() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  iconImage_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ICON | SS_REALSIZECONTROL | SS_NOTIFY, 0,
                                 0, 0, 0, hwnd(), nullptr, instance, nullptr);
  ::SendMessageW(iconImage_, STM_SETICON, reinterpret_cast<WPARAM>(appIcon_), 0);
  const RECT none{0, 0, 0, 0};
  nameFilter_.Create(hwnd(), kIdNameFilter, none, L"名称过滤器");
  nameFilter_.onEnter = nameFilter_.onLeftButton = nameFilter_.onRightButton = [this] { RefreshActivePage(); };
  intervalLabel_ =
      ::CreateWindowExW(0, L"STATIC", L"自动刷新", WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_RIGHT | SS_CENTERIMAGE, 0,
                        0, 0, 0, hwnd(), nullptr, instance, nullptr);
  intervalEdit_.Create(hwnd(), kIdInterval, none, kIntervalMinSeconds, kIntervalMaxSeconds, kIntervalInitialSeconds);
  intervalEdit_.onChanged = [this](int) { OnIntervalChanged(); };
  autoSwitch_.Create(hwnd(), kIdAutoSwitch, none);
  autoSwitch_.SetAccessibleName(L"自动刷新");
  autoSwitch_.onChanged = [this](bool on) { OnAutoRefreshChanged(on); };
  for (HWND w : {nameFilter_.hwnd(), intervalEdit_.hwnd(), autoSwitch_.hwnd(), intervalLabel_})
    ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  ::ShowWindow(intervalEdit_.hwnd(), SW_SHOW);
  ::ShowWindow(autoSwitch_.hwnd(), SW_SHOW);
  hints_.Add(hwnd(), iconImage_, L"BU BU BU!");
  for (HWND part : {intervalEdit_.editHwnd(), intervalEdit_.upDownHwnd()})
    hints_.Add(hwnd(), part, L"在几秒钟内自动刷新间隔");
}

void MainWindow::CreateSharedButtons() {
  elevation_ = &actionBar_.AddShared(
      L"提升权限", [this] { RunElevatedCopy(hwnd(), instance_, env_.startElevatedCopy); }, false, 110);
  actionBar_.AddShared(
      L"刷新", [this] { RefreshAllPages(); }, true);
  actionBar_.AddShared(
      L"隐藏", [this] { tray_.HideWindow(); }, true);
}

void MainWindow::ApplyDpi(const ui::Dpi& dpi) {
  dpi_ = dpi;
  font_.reset(ui::CreateUiFont(dpi_));
  for (HWND w : {nameFilter_.hwnd(), intervalEdit_.hwnd(), autoSwitch_.hwnd(), intervalLabel_, tabs_.hwnd()})
    ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  nameFilter_.ApplyDpi(dpi_);
  intervalEdit_.ApplyDpi(dpi_);
  autoSwitch_.ApplyDpi(dpi_);
  actionBar_.SetFont(font_.get());
  programMenu_.ApplyDpi(dpi_);
  for (auto& page : pages_) page->ApplyDpi(dpi_);
}

void MainWindow::LayoutControls() {
  if (!tabs_.hwnd()) return;
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const int w = client.right, h = client.bottom;
  auto S = [this](int v) { return dpi_.Scale(v); };
  auto move = [](HWND hw, int x, int y, int cx, int cy) { ::MoveWindow(hw, x, y, cx, cy, TRUE); };
  const int row = S(kRowHeight);
  // The caption buttons' strip, where the desktop composes the frame, sits above everything else.
  const int top = programMenu_.bar().StripHeight();
  if (HWND strip = programMenu_.bar().stripHwnd()) move(strip, 0, 0, w, top);
  const int y = top + (S(kTopBand) - row) / 2;

  // Top band: icon, name filter (for the pages it filters), the active page's strip, the refresh controls.
  move(iconImage_, S(kMargin), top + (S(kTopBand) - S(32)) / 2, S(32), S(32));
  int x = w - S(kMargin) - S(52);
  move(autoSwitch_.hwnd(), x, y, S(52), row);
  x -= S(6) + S(64);
  move(intervalEdit_.hwnd(), x, y, S(64), row);
  x -= S(6) + S(80);
  move(intervalLabel_, x, y, S(80), row);
  const int left = S(48);
  const bool filtered = PageAt(activePage_).UsesNameFilter();
  move(nameFilter_.hwnd(), left, y, S(kNameFilterWidth), row);
  ::ShowWindow(nameFilter_.hwnd(), filtered ? SW_SHOW : SW_HIDE);
  const int stripLeft = filtered ? left + S(kNameFilterWidth + 8) : left;
  const RECT strip{stripLeft, top, std::max(stripLeft, x - S(kMargin)), top + S(kTopBand)};

  move(tabs_.hwnd(), S(4), top + S(kTopBand), w - S(8), std::max(0, h - top - S(kTopBand) - S(kBottomBand)));
  const RECT area = tabs_.DisplayArea();
  for (auto& page : pages_) page->Layout(area, strip);
  actionBar_.SetBounds({0, h - S(kBottomBand), w, h}, dpi_);
}

void MainWindow::SetActivePage(int page) {
  if (!tabs_.Select(page)) return;
  activePage_ = page;
  OnActivePageChanged();
}

void MainWindow::OnActivePageChanged() {
  for (auto& page : pages_) page->Activate(page->Position() == activePage_);
  actionBar_.ShowGroup(activePage_);
  LayoutControls();
  FocusActiveList();
}

void MainWindow::SetLogTabVisible(bool visible) { SetPageTabVisible(kPageLog, visible); }

void MainWindow::SetPageTabVisible(int page, bool visible) {
  // Hiding the active tab moves to the first page, as a page control does.
  if (!visible && activePage_ == page) SetActivePage(kPageProcesses);
  tabs_.SetTabVisible(page, visible);
  tabs_.Select(activePage_);
}

// --- the refresh cycle ---

void MainWindow::RefreshPages(RefreshKind kind) {
  ui::CursorScope wait;
  if (RefreshClearsLog(feeds_.processRows.Value() > 0)) feeds_.log.Publish({LogEvent::Kind::Clear, {}});
  if (kind == RefreshKind::AllPages) {
    const SystemImageLists lists = SystemImageLists::Read();
    for (auto& page : pages_) page->BeforeFullRefresh(lists);
  }
  refresh_.Run(
      PlanRefresh(kind, activePage_, nameFilter_.Text()), [this](const RefreshStep& s) { RunRefreshStep(s); },
      [this](const std::wstring& line) { WriteLog(line); }, false);
  FocusActiveList();
}

void MainWindow::RunRefreshStep(const RefreshStep& step) {
  if (refreshExecutor) refreshExecutor(step);
  else PageAt(RefresherPage(step.refresher)).Refresh(step.refresher, step.filter);
}

// Every refresh starts here, through the gate: one that arrives while another runs (a WMI wait pumps messages)
// is dropped when the timer asked for it and runs once afterwards when the user or an action did.
void MainWindow::RefreshActivePage() {
  const auto lists = refresh_.BeginRefresh(RefreshKind::ActivePage);
  if (!lists) return;
  const auto pause = refresh_.PauseTimer();
  RefreshPages(RefreshKind::ActivePage);
}

void MainWindow::RefreshAllPages() {
  const auto lists = refresh_.BeginRefresh(RefreshKind::AllPages);
  if (!lists) return;
  ShowSplash(hwnd());
  const auto pause = refresh_.PauseTimer();
  RefreshPages(RefreshKind::AllPages);
  HideSplash();
}

void MainWindow::RunDeferredRefresh() {
  const std::optional<RefreshKind> next = refresh_.TakeDeferredRefresh();
  if (next == RefreshKind::AllPages) RefreshAllPages();
  else if (next) RefreshActivePage();
}

void MainWindow::OnRefreshTimer() {
  const auto lists = refresh_.BeginRefresh(RefreshKind::Periodic);
  if (!lists) return;
  ui::CursorScope busy(IDC_APPSTARTING);
  refresh_.Run(
      PlanTimerRefresh(activePage_, nameFilter_.Text()), [this](const RefreshStep& s) { RunRefreshStep(s); },
      [this](const std::wstring& line) { WriteLog(line); }, true);
}

void MainWindow::OnAutoRefreshChanged(bool on) {
  refresh_.SetAutoRefresh(on);
  for (auto& page : pages_) page->OnAutoRefreshChanged(on);
}

void MainWindow::OnIntervalChanged() {
  refresh_.SetIntervalMs(static_cast<UINT>(RefreshIntervalMs(intervalEdit_.Value())));
}

void MainWindow::FocusActiveList() {
  if (!::IsWindowVisible(hwnd())) return;  // not shown yet: nothing to focus
  if (HWND target = PageHasTree(activePage_) ? PageAt(activePage_).FocusTarget() : nullptr) {
    ::SetFocus(target);
    return;
  }
  // A page without a list: the focus must not stay behind in the previous page's or the name filter's window.
  const HWND focus = ::GetFocus();
  if (focus && ::IsChild(hwnd(), focus) && !::IsWindowVisible(focus)) MoveFocusByTab(false);
}

void MainWindow::FollowCpuLoad() {
  feeds_.cpuLoad.Follow([this](const CpuLoad& load) {
    tray_.ShowLoad(load.average);
    programMenu_.SetClockText(DateTimeToStrDef(L"", Now()) + L" - CPU: " + std::to_wstring(load.average) + L"%");
  });
}

void MainWindow::BeginBackgroundWork() {
  if (backgroundWork_++ == 0) ::SetCursor(::LoadCursorW(nullptr, IDC_APPSTARTING));
}

void MainWindow::EndBackgroundWork() {
  if (backgroundWork_ > 0 && --backgroundWork_ == 0) ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
}

void MainWindow::WriteLog(const std::wstring& text) { feeds_.log.Publish({LogEvent::Kind::Line, text}); }

void MainWindow::OnKeyUp(WPARAM key) {
  // Ctrl+L, and no other modifier, shows or hides the log page.
  if (key != 'L') return;
  const bool ctrl = ::GetKeyState(VK_CONTROL) & 0x8000;
  const bool other =
      (::GetKeyState(VK_SHIFT) | ::GetKeyState(VK_MENU) | ::GetKeyState(VK_LWIN) | ::GetKeyState(VK_RWIN)) & 0x8000;
  if (ctrl && !other) SetLogTabVisible(!tabs_.LogTabVisible());
}

void MainWindow::OnClose() {
  if (sessionNotificationsRegistered_ && env_.unregisterSessionNotification) env_.unregisterSessionNotification(hwnd());
  sessionNotificationsRegistered_ = false;
}

bool MainWindow::PreTranslateMessage(MSG& msg) {
  if (find_ && find_->PreTranslateMessage(msg)) return true;
  if (!hwnd() || (msg.hwnd != hwnd() && !::IsChild(hwnd(), msg.hwnd))) return false;
  if (OnShortcutKey(msg)) return true;
  if (msg.message == WM_KEYUP) OnKeyUp(msg.wParam);
  if (accelerators_ && ::TranslateAcceleratorW(hwnd(), accelerators_, &msg)) return true;
  return ::IsDialogMessageW(hwnd(), &msg) != FALSE;
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && syncReplacementMark_) syncReplacementMark_();
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kIdRefreshAll) RefreshAllPages();
      else if (!programMenu_.OnCommand(LOWORD(wParam))) tray_.OnCommand(LOWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
      if (hdr->hwndFrom == tabs_.hwnd() && hdr->code == TCN_SELCHANGE) SetActivePage(tabs_.SelectedPage());
      return 0;
    }
    case WM_TIMER:
      if (wParam == RefreshCycle::kTimerId) OnRefreshTimer();
      else OnShortcutTimer(wParam);
      return 0;
    case kRunHandedOverWork: handoff_.RunReadyResults(); return 0;
    case kRunDeferredRefresh: RunDeferredRefresh(); return 0;
    case WM_SETCURSOR:
      // Work on a worker for the window: the window still answers, so the cursor says "busy, but usable".
      if (backgroundWork_ > 0 && LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_APPSTARTING));
        return TRUE;
      }
      break;
    case WM_SIZE: LayoutControls(); return 0;
    case WM_SHOWWINDOW:
      // Started hidden and maximised: the first show, from the tray or a second start, maximises.
      if (wParam && maximiseWhenShown_) {
        maximiseWhenShown_ = false;
        ::ShowWindowAsync(hwnd(), SW_SHOWMAXIMIZED);
      }
      break;
    case WM_SYSCOMMAND:
      if (IsMenuKeyRequest(wParam, lParam)) {
        programMenu_.bar().Click(0);
        return 0;
      }
      if (IsProgramMenuSysCommand(wParam) && programMenu_.OnCommand(LOWORD(wParam))) return 0;
      break;
    case WM_INITMENUPOPUP:
      if (HIWORD(lParam)) systemMenu_.Refresh();
      break;
    case WM_GETMINMAXINFO: {
      auto* mmi = reinterpret_cast<MINMAXINFO*>(lParam);
      mmi->ptMinTrackSize = {dpi_.Scale(kMinWidth), dpi_.Scale(kMinHeight)};
      return 0;
    }
    case WM_DPICHANGED: {
      ApplyDpi(ui::Dpi(HIWORD(wParam)));
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      LayoutControls();
      return 0;
    }
    case WM_WTSSESSION_CHANGE:
      feeds_.sessionChanges.Publish({static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam)});
      return 0;
    case WM_CLOSE:
      OnClose();
      ::DestroyWindow(hwnd());
      return 0;
    case WM_DESTROY:
      // Before anything that can wait: a start from now on becomes the running instance.
      if (instance_) instance_->Release();
      ::PostQuitMessage(0);
      return 0;
  }
  if (tray_.OnMessage(msg, wParam, lParam)) return 0;
  return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace vantrel::app
