#include "app/main_window.h"

#include <shellapi.h>
#include <shlobj.h>
#include <wtsapi32.h>

#include <exception>
#include <memory>
#include <thread>
#include <initializer_list>
#include <tuple>

#include "app/splash_window.h"
#include "system/process/process_actions.h"
#include "system/text/locale_text.h"
#include "controls/message_dialogs.h"
#include "core/shell/activity_log.h"
#include "core/shell/startup_rules.h"
#include "resource_ids.h"

namespace vantrel::app {
namespace {

enum ControlId : int {
  kIdFilter = 1000,
  kIdProcFilter,
  kIdTreeSwitch,
  kIdWinFilter,
  kIdWinInvSwitch,
  kIdInterval,
  kIdAutoSwitch,
  kIdPageControl,
  kIdKill,
  kIdDel,
  kIdSendMsg,
  kIdSesDiscon,
  kIdSesLogoff,
  kIdSvcCtrl,
  kIdSvcDel,
  kIdSvcMan,
  kIdWinVis,
  kIdWinClose,
  kIdRunAsAdmin,
  kIdRefresh,
  kIdClose,
  kIdCheckAll,
  kIdUncheckAll,
  kIdAcRefresh,
  kIdNewTask,
  kIdHelp,
  kIdAbout,
  kIdExit,
};

constexpr wchar_t kApplicationTitle[] = L"Vantrel";

// Restores the cursor it replaced when the scope ends, also when a refresh fails.
class CursorScope {
 public:
  explicit CursorScope(const wchar_t* cursor) : old_(::SetCursor(::LoadCursorW(nullptr, cursor))) {}
  ~CursorScope() { ::SetCursor(old_ ? old_ : ::LoadCursorW(nullptr, IDC_ARROW)); }
  CursorScope(const CursorScope&) = delete;
  CursorScope& operator=(const CursorScope&) = delete;

 private:
  HCURSOR old_;
};

// Runs a function when the scope ends.
template <typename F>
class Finally {
 public:
  explicit Finally(F f) : f_(std::move(f)) {}
  ~Finally() { f_(); }
  Finally(const Finally&) = delete;
  Finally& operator=(const Finally&) = delete;

 private:
  F f_;
};

constexpr const wchar_t* kProcessFilters[] = {L"所有进程", L"非系统进程", L"系统进程", L"登录用户进程", L"无响应进程"};

// Design sizes (96 DPI).
constexpr int kClientWidth = 823;
constexpr int kClientHeight = 567;
constexpr int kMinWidth = 700;
constexpr int kMinHeight = 400;
constexpr int kTopBar = 48;
constexpr int kBottomBar = 44;
constexpr int kMargin = 8;
constexpr int kRowHeight = 24;

}  // namespace

Twnd_tm_Main::Twnd_tm_Main(TCommandLineSwitches switches, StartupEnvironment env)
    : switches_(switches), env_(std::move(env)) {
  for (int p = 0; p < kPageCount; ++p) captions_[static_cast<size_t>(p)] = std::wstring(kPageCaptions[p]);
}

Twnd_tm_Main::~Twnd_tm_Main() {
  if (macReader_.joinable()) {
    // Give the MAC reader a few seconds to finish so that it never runs into the program's exit; a reader stuck
    // in the network layer is left to the end of the process.
    for (int waited = 0; waited < 5000 && !*macReaderDone_; waited += 20) ::Sleep(20);
    if (*macReaderDone_) macReader_.join();
    else macReader_.detach();
  }
  if (accelerators_) ::DestroyAcceleratorTable(accelerators_);
  SetDialogOwner(nullptr);
}

bool Twnd_tm_Main::CreateAndStart() {
  // 1. Help switch: the help box instead of the window, which is never created.
  if (switches_.Has(Switch::Help)) {
    HideSplash();
    SetDialogOwner(nullptr);
    InfoDlg(CommandLineHelpText(), L"命令行开关");
    return false;
  }
  appIcon_.reset(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
  appIconSmall_.reset(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
  ClassInfo cls{L"Twnd_tm_Main"};
  cls.icon = appIcon_.get();
  cls.smallIcon = appIconSmall_.get();
  cls.background = ::GetSysColorBrush(COLOR_BTNFACE);
  if (!Create(cls, WS_EX_CONTROLPARENT, kApplicationTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
              CW_USEDEFAULT, kClientWidth, kClientHeight, nullptr, nullptr))
    return false;
  SetDialogOwner(hwnd());
  return FormCreate();
}

void Twnd_tm_Main::ShowAtStart(int showCommand) {
  if (switches_.Has(Switch::HIDE)) return;  // reachable from the tray icon only
  if (switches_.Has(Switch::MAX)) showCommand = SW_SHOWMAXIMIZED;
  else if (showCommand == SW_HIDE || showCommand == SW_SHOWDEFAULT) showCommand = SW_SHOWNORMAL;
  ::ShowWindow(hwnd(), showCommand);
  ::UpdateWindow(hwnd());
  FocusActiveTree();
}

// The start-up sequence, in its fixed order.
// (Step 1, the help switch, runs before the window is created: see CreateAndStart.)
bool Twnd_tm_Main::FormCreate() {
  dpi_ = ui::Dpi::ForWindow(hwnd());
  CreateControls();

  // 2. Geometry: the design client size, then width, height and centring from the work area.
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT design{0, 0, dpi_.Scale(kClientWidth), dpi_.Scale(kClientHeight)};
  ::AdjustWindowRectEx(&design, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT);
  const bool remote = env_.isRemoteSession && env_.isRemoteSession();
  const TRect bounds = MainWindowBounds({work.left, work.top, work.right, work.bottom}, ::GetSystemMetrics(SM_CXSCREEN),
                                        remote, design.right - design.left, static_cast<int>(dpi_.value()));
  ::SetWindowPos(hwnd(), nullptr, bounds.left, bounds.top, bounds.Width(), bounds.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);

  // 3. Hint of the program-menu button.
  if (env_.programVersion) std::tie(fileVersion_, copyright_) = env_.programVersion();
  programButtonHint_ = ProgramButtonHint(kApplicationTitle, fileVersion_, copyright_);
  pncaToolbar_.SetHint(0, programButtonHint_);

  // 4. The log tab only with DEBUG.
  SetLogTabVisible(switches_.Has(Switch::DEBUG));

  // 5-6. Working lists and per-row records need no set-up here: every row owns its typed record.
  // 7. Update check: added with the update component.
  // 8-11. CPU identification, usage meter, frequency source and monitor grids: added with the performance page.

  // Timer interval from the spin edit, so that the interval shown is the one used.
  seChange();

  // 12. Processes page active; the application icon at the top left.
  SetActivePage(kPageProcesses);
  ::SendMessageW(iconImage_, STM_SETICON, reinterpret_cast<WPARAM>(appIcon_.get()), 0);

  // 13. Debug privilege, so that other users' processes can be opened; the outcome is not needed.
  if (env_.enableDebugPrivilege) env_.enableDebugPrivilege();

  // 14. Elevation button; without administrative rights the list starts on the user's own processes.
  const bool elevationVisible = env_.elevationButtonVisible && env_.elevationButtonVisible();
  ::ShowWindow(bRunAsAdmin_, elevationVisible ? SW_SHOW : SW_HIDE);
  ::SendMessageW(cbProcFilter_, CB_SETCURSEL, elevationVisible ? 3 : 0, 0);

  // 15. System summary labels.
  if (env_.osCaption) ::SetWindowTextW(lOS_, env_.osCaption().c_str());
  if (env_.sessionLabel) ::SetWindowTextW(lSes_, env_.sessionLabel().c_str());
  if (env_.systemFactLines) {
    const auto lines = env_.systemFactLines();
    performance_.SetFacts(lines[0], lines[1], lines[2], L"");
  }
  ReadMacAddressesInBackground();

  // 16. Details panels start collapsed: added with the details panels.

  // 17. Session-change notifications for every session.
  RegisterSessionNotifications();

  // 18. Page-dependent controls, tray icon (added with the tray), indicator sizes.
  pcChange();
  FormResize();

  // 19. Switches, in this order.
  if (switches_.Has(Switch::AUTO)) {
    cbxAuto_.SetOn(true);
    SetAutoRefresh(true);
  }
  if (switches_.Has(Switch::TREE)) cbxTree_.SetOn(true);
  if (switches_.Has(Switch::SES)) SetActivePage(kPageSessions);
  if (switches_.Has(Switch::PERF)) SetActivePage(kPagePerformance);
  // MAX is applied when the window is first shown; CPUICON with the tray icon.

  // 20. First full refresh; the tree switch now refreshes on click.
  started_ = true;
  processes_.ApplyTreeLayout(cbxTree_.On());
  RefreshData(-1);
  return true;
}

void Twnd_tm_Main::RegisterSessionNotifications() {
  // The registration itself retries, a bounded number of times, while the service is not up yet.
  FSN = env_.registerSessionNotification && env_.registerSessionNotification(hwnd());
}

HWND Twnd_tm_Main::CreateButton(int id, const wchar_t* caption, HWND* slot) {
  *slot = ::CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, hwnd(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
  return *slot;
}

HWND Twnd_tm_Main::CreateLabel(const wchar_t* text, HWND* slot, DWORD style) {
  *slot = ::CreateWindowExW(0, L"STATIC", text, WS_CHILD | SS_NOPREFIX | style, 0, 0, 0, 0, hwnd(), nullptr,
                            ::GetModuleHandleW(nullptr), nullptr);
  return *slot;
}

void Twnd_tm_Main::CreateControls() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  // Above the pages.
  iconImage_ = ::CreateWindowExW(0, L"STATIC", L"BU BU BU!", WS_CHILD | WS_VISIBLE | SS_ICON | SS_REALSIZECONTROL, 0,
                                 0, 0, 0, hwnd(), nullptr, instance, nullptr);
  CreateLabel(L"", &lOS_, SS_LEFTNOWORDWRAP);
  CreateLabel(L"", &lSes_, SS_LEFTNOWORDWRAP);
  const RECT none{0, 0, 0, 0};
  eFilter_.Create(hwnd(), kIdFilter, none, L"名称过滤器");
  eFilter_.onEnter = [this] { cmRefresh(); };
  eFilter_.onLeftButton = [this] { cmRefresh(); };
  eFilter_.onRightButton = [this] { cmRefresh(); };
  cbProcFilter_ = ::CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0,
                                    0, 0, hwnd(), reinterpret_cast<HMENU>(kIdProcFilter), instance, nullptr);
  for (const wchar_t* item : kProcessFilters)
    ::SendMessageW(cbProcFilter_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  ::SendMessageW(cbProcFilter_, CB_SETCURSEL, 0, 0);
  CreateLabel(L"显示为树", &pTree_, SS_RIGHT | SS_CENTERIMAGE);
  cbxTree_.Create(hwnd(), kIdTreeSwitch, none);
  cbxTree_.onChanged = [this](bool) {
    if (started_) cmRefresh();
  };
  cbWinFilter_ = ::CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0,
                                   0, 0, hwnd(), reinterpret_cast<HMENU>(kIdWinFilter), instance, nullptr);
  CreateLabel(L"显示不可见窗口", &pWinInv_, SS_RIGHT | SS_CENTERIMAGE);
  cbxWinInv_.Create(hwnd(), kIdWinInvSwitch, none);
  cbxWinInv_.onChanged = [this](bool) {
    if (started_) cmRefresh();
  };
  CreateLabel(L"自动刷新", &pAuto_, SS_RIGHT | SS_CENTERIMAGE | WS_VISIBLE);
  se_.Create(hwnd(), kIdInterval, none, kIntervalMinSeconds, kIntervalMaxSeconds, kIntervalInitialSeconds);
  se_.onChanged = [this](int) { seChange(); };
  cbxAuto_.Create(hwnd(), kIdAutoSwitch, none);
  cbxAuto_.onChanged = [this](bool on) { SetAutoRefresh(on); };

  // The pages: the page control at the bottom of the z-order, each page's windows over its display area.
  pc_ = ::CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0,
                          hwnd(), reinterpret_cast<HMENU>(kIdPageControl), instance, nullptr);
  for (int p = 0; p < kPageLog; ++p) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = captions_[static_cast<size_t>(p)].data();
    ::SendMessageW(pc_, TCM_INSERTITEMW, static_cast<WPARAM>(p), reinterpret_cast<LPARAM>(&item));
    tabPages_.push_back(p);
  }
  for (int p = 0; p < kPageCount; ++p) PageAt(p).Create(hwnd());
  ::SetWindowPos(pc_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  log_.onCaptionChanged = [this](const std::wstring& caption) { SetTabCaption(kPageLog, caption); };
  processes_.context = [this] {
    ProcessesPage::Context ctx;
    ctx.processFilter = static_cast<int>(::SendMessageW(cbProcFilter_, CB_GETCURSEL, 0, 0));
    ctx.treeMode = cbxTree_.On();
    ctx.autoRefresh = cbxAuto_.On();
    ctx.timerEnabled = timerEnabled_;
    ctx.windowFilter = cbWinFilter_;
    return ctx;
  };
  processes_.onCaptionChanged = [this](const std::wstring& caption) { SetTabCaption(kPageProcesses, caption); };
  processes_.onRowsChanged = [this] { UpdateKillButton(); };
  processes_.log = [this](const std::wstring& line) { WriteLog(line); };
  processes_.onFocusedProcessChanged = [this] { ExecuteRefreshStep({Refresher::Windows, L""}); };

  // Below the pages.
  CreateButton(kIdKill, L"确认终止进程", &bKill_);
  CreateButton(kIdDel, L"删除检查自动运行", &bDel_);
  CreateButton(kIdSendMsg, L"发送信息...", &bSendMsg_);
  CreateButton(kIdSesDiscon, L"断开", &bSesDiscon_);
  CreateButton(kIdSesLogoff, L"注销", &bSesLogoff_);
  CreateButton(kIdSvcCtrl, L"启动", &bSvcCtrl_);
  CreateButton(kIdSvcDel, L"卸载", &bSvcDel_);
  CreateButton(kIdSvcMan, L"服务管理器", &bSvcMan_);
  CreateButton(kIdWinVis, L"隐藏", &bWinVis_);
  CreateButton(kIdWinClose, L"关闭", &bWinClose_);
  CreateButton(kIdRunAsAdmin, L"提升权限", &bRunAsAdmin_);
  CreateButton(kIdRefresh, L"刷新", &bRefresh_);
  CreateButton(kIdClose, L"隐藏", &bClose_);
  ::ShowWindow(bRefresh_, SW_SHOW);
  ::ShowWindow(bClose_, SW_SHOW);
  // Buttons that act on a row wait for one.
  for (HWND b : {bKill_, bDel_, bSendMsg_, bSesDiscon_, bSesLogoff_, bWinVis_, bWinClose_}) ::EnableWindow(b, FALSE);

  using C = FrameControl;
  auto set = [this](C c, HWND h) { frameControls_[static_cast<size_t>(c)] = h; };
  set(C::bKill, bKill_);
  set(C::cbProcFilter, cbProcFilter_);
  set(C::pTree, pTree_);
  set(C::eFilter, eFilter_.hwnd());
  set(C::cbWinFilter, cbWinFilter_);
  set(C::pWinInv, pWinInv_);
  set(C::bWinVis, bWinVis_);
  set(C::bWinClose, bWinClose_);
  set(C::bSvcCtrl, bSvcCtrl_);
  set(C::bSvcDel, bSvcDel_);
  set(C::bSvcMan, bSvcMan_);
  set(C::bSendMsg, bSendMsg_);
  set(C::bSesDiscon, bSesDiscon_);
  set(C::bSesLogoff, bSesLogoff_);
  set(C::bDel, bDel_);
  set(C::lOS, lOS_);
  set(C::lSes, lSes_);

  // Check all / uncheck all, the process tree's menu while automatic refresh is off.
  treeMenu_.reset(::CreatePopupMenu());
  ::AppendMenuW(treeMenu_.get(), MF_STRING, kIdCheckAll, L"检查所有");
  ::AppendMenuW(treeMenu_.get(), MF_STRING, kIdUncheckAll, L"全部取消");

  ACCEL f5{FVIRTKEY, VK_F5, kIdAcRefresh};
  accelerators_ = ::CreateAcceleratorTableW(&f5, 1);

  CreateCaptionToolbar();
  ApplyFonts();
}

void Twnd_tm_Main::CreateCaptionToolbar() {
  // The program menu; the items of features not built yet join it with them.
  Menu_.reset(::CreatePopupMenu());
  ::AppendMenuW(Menu_.get(), MF_STRING, kIdNewTask, L"新建任务...");
  ::AppendMenuW(Menu_.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(Menu_.get(), MF_STRING, kIdHelp, L"命令行帮助...");
  ::AppendMenuW(Menu_.get(), MF_STRING, kIdAbout, L"关于...");
  ::AppendMenuW(Menu_.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(Menu_.get(), MF_STRING, kIdExit, L"退出");

  ui::CaptionButton menuButton;
  menuButton.caption = kApplicationTitle;
  menuButton.dropDown = Menu_.get();
  menuButton.handCursor = true;
  pncaToolbar_.AddButton(menuButton);
  ui::CaptionButton clock;
  clock.width = 250;
  clock.enabled = false;
  pncaToolbar_.AddButton(clock);
  pncaToolbar_.onDrawButton = [this](ui::CaptionToolbar& bar, int button, HDC dc, const RECT& barRect,
                                     const RECT& buttonRect) { pncaToolbarDrawButton(bar, button, dc, barRect, buttonRect); };
  pncaToolbar_.Attach(hwnd(), ui::CaptionToolbar::Mode::NonClient);
}

void Twnd_tm_Main::pncaToolbarDrawButton(ui::CaptionToolbar& bar, int button, HDC dc, const RECT&,
                                         const RECT& buttonRect) {
  RECT text = buttonRect;
  text.right -= dpi_.Scale(14);
  if (button == 0) text.bottom -= dpi_.Scale(2);
  ui::CaptionToolbar::DrawButtonText(dc, bar.Button(button).caption, text, RGB(255, 255, 255),
                                     ui::CaptionToolbar::CaptionComposited());
}

void Twnd_tm_Main::ReadMacAddressesInBackground() {
  if (!env_.macAddressLine) return;
  macReaderDone_ = std::make_shared<std::atomic<bool>>(false);
  // The worker only reads and posts; a window that is gone by then never receives the line, which is freed here.
  macReader_ = std::thread([read = env_.macAddressLine, target = hwnd(), done = macReaderDone_] {
    auto line = std::make_unique<std::wstring>(read());
    if (::PostMessageW(target, kMacLineMessage, 0, reinterpret_cast<LPARAM>(line.get()))) line.release();
    *done = true;
  });
}

void Twnd_tm_Main::bKillClick() { TerminateProcesses(); }

void Twnd_tm_Main::TerminateProcesses() {
  // The timer stays off for the whole action, and the targets are copied before the question: a refresh during
  // the box can neither free the rows nor swap the process under the user's answer.
  const bool timerWasOn = timerEnabled_;
  timerEnabled_ = false;
  ApplyTimer();
  Finally restore([this, timerWasOn] {
    timerEnabled_ = timerWasOn;
    ApplyTimer();
  });
  std::vector<TProcessTarget> targets = timerWasOn ? processes_.FocusedTarget() : processes_.CheckedTargets();
  if (targets.empty()) return;
  const std::wstring question = timerWasOn ? std::wstring(L"你真的想要终止选择的进程?")
                                           : L"你真的想终止 " + std::to_wstring(targets.size()) + L" 检查进程?";
  if (!ConfirmDlg(question)) return;
  {
    CursorScope wait(IDC_WAIT);
    // The program itself and the system's own processes are never ended, even when a checked parent reaches them.
    const DWORD self = ::GetCurrentProcessId();
    std::erase_if(targets, [self](const TProcessTarget& t) { return t.PID < 10 || t.PID == self; });
    const std::vector<TTerminateOutcome> outcomes = CloseOrTerminateProcesses(targets, 5000);
    for (size_t i = 0; i < outcomes.size(); ++i) {
      if (outcomes[i].Result != trFailed) continue;
      ErrorDlg(L"Process [" + std::to_wstring(targets[i].PID) + L"]" + targets[i].Name + L" cannot be terminated.\r\n" +
               SystemErrorText(outcomes[i].Error));
    }
    ::Sleep(1000);
  }
  cmRefresh();
}

void Twnd_tm_Main::bRunAsAdminClick() {
  wchar_t path[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  if (RunAsAdmin(hwnd(), path, L"")) ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void Twnd_tm_Main::cmHelp() { InfoDlg(CommandLineHelpText(), L"命令行开关"); }

void Twnd_tm_Main::acAboutExecute() { InfoDlg(AboutText(kApplicationTitle, fileVersion_, copyright_)); }

void Twnd_tm_Main::bRunClick() { ShowRunDialog(hwnd(), appIconSmall_.get(), L"", L""); }

void Twnd_tm_Main::ApplyFonts() {
  font_.reset(ui::CreateUiFont(dpi_));
  boldFont_.reset(ui::CreateUiFont(dpi_, 0, true));
  for (HWND child = ::GetWindow(hwnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  ::SendMessageW(lOS_, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
  performance_.SetFont(font_.get());
}

void Twnd_tm_Main::ApplyDpiToControls() {
  ApplyFonts();
  eFilter_.ApplyDpi(dpi_);
  cbxTree_.ApplyDpi(dpi_);
  cbxWinInv_.ApplyDpi(dpi_);
  cbxAuto_.ApplyDpi(dpi_);
  se_.ApplyDpi(dpi_);
  for (TreePage* page : std::initializer_list<TreePage*>{&processes_, &windows_, &services_, &sessions_, &startup_,
                                                          &environment_})
    page->tree().ApplyDpi(dpi_);
  log_.ApplyDpi(dpi_);
}

RECT Twnd_tm_Main::PageArea() const {
  RECT rc;
  ::GetWindowRect(pc_, &rc);
  ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rc), 2);
  ::SendMessageW(pc_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
  return rc;
}

void Twnd_tm_Main::LayoutControls() {
  if (!pc_) return;
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const int w = client.right, h = client.bottom;
  auto S = [this](int v) { return dpi_.Scale(v); };
  auto move = [](HWND hw, int x, int y, int cx, int cy) { ::MoveWindow(hw, x, y, cx, cy, TRUE); };
  const int row = S(kRowHeight);
  const int y = (S(kTopBar) - row) / 2;

  move(iconImage_, S(kMargin), (S(kTopBar) - S(32)) / 2, S(32), S(32));
  const int left = S(48);
  move(lOS_, left, S(6), std::max(w - left - S(320), S(100)), S(18));
  move(lSes_, left, S(26), std::max(w - left - S(320), S(100)), S(18));
  move(eFilter_.hwnd(), left, y, S(200), row);
  move(cbProcFilter_, left + S(208), y, S(160), S(200));
  move(pTree_, left + S(376), y, S(72), row);
  move(cbxTree_.hwnd(), left + S(452), y, S(52), row);
  move(cbWinFilter_, left, y, S(300), S(300));
  move(pWinInv_, left + S(308), y, S(110), row);
  move(cbxWinInv_.hwnd(), left + S(422), y, S(52), row);
  int x = w - S(kMargin) - S(52);
  move(cbxAuto_.hwnd(), x, y, S(52), row);
  x -= S(6) + S(64);
  move(se_.hwnd(), x, y, S(64), row);
  x -= S(6) + S(80);
  move(pAuto_, x, y, S(80), row);

  move(pc_, S(4), S(kTopBar), w - S(8), h - S(kTopBar) - S(kBottomBar));
  const RECT area = PageArea();
  for (int p = 0; p < kPageCount; ++p) PageAt(p).Layout(area);

  // Bottom row: the visible page buttons from the left, then the elevation button; refresh and hide at the right.
  const int by = h - S(kBottomBar) + (S(kBottomBar) - S(28)) / 2;
  int bx = S(kMargin);
  for (HWND b : {bKill_, bDel_, bSendMsg_, bSesDiscon_, bSesLogoff_, bSvcCtrl_, bSvcDel_, bSvcMan_, bWinVis_,
                 bWinClose_, bRunAsAdmin_}) {
    if (!::IsWindowVisible(b) && b != bRunAsAdmin_) continue;
    const int bw = b == bKill_ ? S(200) : S(110);
    move(b, bx, by, bw, S(28));
    if (::IsWindowVisible(b)) bx += bw + S(6);
  }
  move(bClose_, w - S(kMargin) - S(96), by, S(96), S(28));
  move(bRefresh_, w - S(kMargin) - S(96) - S(6) - S(96), by, S(96), S(28));
}

Page& Twnd_tm_Main::PageAt(int page) {
  switch (page) {
    case kPageProcesses: return processes_;
    case kPageWindows: return windows_;
    case kPageServices: return services_;
    case kPageSessions: return sessions_;
    case kPageStartup: return startup_;
    case kPageEnvironment: return environment_;
    case kPagePerformance: return performance_;
    default: return log_;
  }
}

int Twnd_tm_Main::PageOfTab(int tab) const {
  return tab >= 0 && tab < static_cast<int>(tabPages_.size()) ? tabPages_[static_cast<size_t>(tab)] : -1;
}

int Twnd_tm_Main::TabOfPage(int page) const {
  for (size_t i = 0; i < tabPages_.size(); ++i)
    if (tabPages_[i] == page) return static_cast<int>(i);
  return -1;
}

void Twnd_tm_Main::SetActivePage(int page) {
  const int tab = TabOfPage(page);
  if (tab < 0) return;
  ::SendMessageW(pc_, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
  activePage_ = page;
  for (int p = 0; p < kPageCount; ++p) PageAt(p).Show(p == page);
  pcChange();
}

void Twnd_tm_Main::SetLogTabVisible(bool visible) {
  if (visible == LogTabVisible()) return;
  if (visible) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = captions_[kPageLog].data();
    ::SendMessageW(pc_, TCM_INSERTITEMW, static_cast<WPARAM>(tabPages_.size()), reinterpret_cast<LPARAM>(&item));
    tabPages_.push_back(kPageLog);
  } else {
    // Hiding the active tab moves to the first page, as a page control does.
    if (activePage_ == kPageLog) SetActivePage(kPageProcesses);
    ::SendMessageW(pc_, TCM_DELETEITEM, static_cast<WPARAM>(TabOfPage(kPageLog)), 0);
    tabPages_.pop_back();
  }
  ::InvalidateRect(pc_, nullptr, TRUE);
}

std::wstring Twnd_tm_Main::TabCaption(int page) const {
  return page >= 0 && page < kPageCount ? captions_[static_cast<size_t>(page)] : std::wstring();
}

void Twnd_tm_Main::SetTabCaption(int page, const std::wstring& caption) {
  if (page < 0 || page >= kPageCount) return;
  captions_[static_cast<size_t>(page)] = caption;
  const int tab = TabOfPage(page);
  if (tab < 0) return;  // a hidden tab keeps its caption for when it is shown
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = captions_[static_cast<size_t>(page)].data();
  ::SendMessageW(pc_, TCM_SETITEMW, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
}

// --- the refresh cycle ---

void Twnd_tm_Main::RefreshData(int apage) {
  CursorScope wait(IDC_WAIT);
  if (RefreshClearsLog(processes_.tree().RowCount() > 0)) ClearLog();
  if (apage == -1) AttachSystemImageLists();
  for (const RefreshStep& step : PlanRefreshData(apage, activePage_, eFilter_.Text())) ExecuteRefreshStep(step);
  FocusActiveTree();
}

void Twnd_tm_Main::ExecuteRefreshStep(const RefreshStep& step) {
  // Each refresher reports its own failure in one log line and the cycle goes on.
  try {
    if (refreshExecutor) {
      refreshExecutor(step);
      return;
    }
    switch (step.refresher) {
      case Refresher::Sessions: sessions_.RefreshSessions(step.filter); break;
      case Refresher::SessionProcesses: sessions_.RefreshSessionProcesses(); break;
      case Refresher::Services: services_.RefreshServices(step.filter); break;
      case Refresher::Processes: processes_.RefreshProcesses(step.filter); break;
      case Refresher::Windows: windows_.RefreshWindows(); break;
      case Refresher::Environment: environment_.RefreshEnvironment(step.filter); break;
      case Refresher::Autoruns: startup_.RefreshAutoruns(step.filter); break;
    }
  } catch (const std::exception& e) {
    WriteLog(LogLine(RefresherName(step.refresher), ExceptionMessage(e)));
  } catch (...) {
    WriteLog(LogLine(RefresherName(step.refresher), L"unknown error"));
  }
}

void Twnd_tm_Main::AttachSystemImageLists() {
  SHFILEINFOW info{};
  if (auto small = ::SHGetFileInfoW(L"", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
    ilSystem16_ = reinterpret_cast<HIMAGELIST>(small);
    processes_.tree().SetImageList(ilSystem16_);
  }
  if (auto large = ::SHGetFileInfoW(L"", 0, &info, sizeof(info), SHGFI_SYSICONINDEX)) {
    ilSystem32_ = reinterpret_cast<HIMAGELIST>(large);
    processes_.SetLargeImageList(ilSystem32_);
  }

  auto iconIndex = [&](const std::wstring& path, int& field) {
    SHFILEINFOW fi{};
    if (::SHGetFileInfoW(path.c_str(), 0, &fi, sizeof(fi), SHGFI_SYSICONINDEX)) field = fi.iIcon;
  };
  wchar_t dir[MAX_PATH];
  const UINT sys = ::GetSystemDirectoryW(dir, MAX_PATH);
  const std::wstring systemDir = sys > 0 && sys < MAX_PATH ? std::wstring(dir, sys) : L"";
  const UINT win = ::GetWindowsDirectoryW(dir, MAX_PATH);
  const std::wstring windowsDir = win > 0 && win < MAX_PATH ? std::wstring(dir, win) : L"";
  if (!systemDir.empty()) iconIndex(systemDir + L"\\svchost.exe", FiiApp);
  if (!windowsDir.empty()) iconIndex(windowsDir + L"\\regedit.exe", FiiReg);
  if (!systemDir.empty()) iconIndex(systemDir + L"\\regedit.exe", FiiReg);
  if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, dir)))
    iconIndex(std::wstring(dir) + L"\\Internet Explorer\\iexplore.exe", FiiIE);
  if (FiiApp >= 0) processes_.SetDefaultImageIndex(FiiApp);
}

void Twnd_tm_Main::FocusActiveTree() {
  if (!PageHasTree(activePage_) || !::IsWindowVisible(hwnd())) return;  // not shown yet: nothing to focus
  if (HWND target = PageAt(activePage_).FocusTarget()) ::SetFocus(target);
}

void Twnd_tm_Main::ApplyTimer() {
  if (timerEnabled_) ::SetTimer(hwnd(), kRefreshTimerId, timerIntervalMs_, nullptr);
  else ::KillTimer(hwnd(), kRefreshTimerId);
}

void Twnd_tm_Main::cmRefresh() {
  processes_.ApplyTreeLayout(cbxTree_.On());
  timerTag_ = timerEnabled_ ? 1 : 0;
  timerEnabled_ = false;
  ApplyTimer();
  Finally restore([this] {
    timerEnabled_ = timerTag_ == 1;
    ApplyTimer();
  });
  RefreshData(activePage_);
}

void Twnd_tm_Main::cmRefreshAll() {
  ShowSplash(hwnd());
  Finally hide([] { HideSplash(); });
  timerTag_ = timerEnabled_ ? 1 : 0;
  timerEnabled_ = false;
  ApplyTimer();
  Finally restore([this] {
    timerEnabled_ = timerTag_ == 1;
    ApplyTimer();
  });
  RefreshData(-1);
}

void Twnd_tm_Main::SetAutoRefresh(bool value) {
  processes_.SetCheckBoxes(value, ::GetCurrentProcessId());
  autoRefreshModeSet_ = true;
  timerEnabled_ = value;
  UpdateKillButton();
  ApplyTimer();
}

void Twnd_tm_Main::UpdateKillButton() {
  // The caption follows the mode once it was first switched; the state follows the rows at every change.
  if (autoRefreshModeSet_)
    ::SetWindowTextW(bKill_, timerEnabled_ ? L"Terminate process" : L"Terminate checked processes");
  ::EnableWindow(bKill_, timerEnabled_ ? processes_.FocusedRowCanBeKilled() : processes_.CheckedCount() > 0);
}

void Twnd_tm_Main::seChange() {
  timerIntervalMs_ = static_cast<UINT>(RefreshIntervalMs(se_.Value()));
  if (timerEnabled_) ApplyTimer();
}

void Twnd_tm_Main::TimerTimer() {
  CursorScope busy(IDC_APPSTARTING);
  for (const RefreshStep& step : PlanTimerRefresh(activePage_, eFilter_.Text())) ExecuteRefreshStep(step);
}

void Twnd_tm_Main::pcChange() {
  const bool serviceFocused = services_.tree().FocusedNode() != nullptr;
  for (int c = 0; c < kFrameControlCount; ++c) {
    const auto control = static_cast<FrameControl>(c);
    const bool visible = FrameControlVisible(control, activePage_, serviceFocused);
    ::ShowWindow(Control(control), visible ? SW_SHOW : SW_HIDE);
  }
  // Parts that go with a control of the table.
  ::ShowWindow(cbxTree_.hwnd(), FrameControlVisible(FrameControl::pTree, activePage_, false) ? SW_SHOW : SW_HIDE);
  ::ShowWindow(cbxWinInv_.hwnd(), FrameControlVisible(FrameControl::pWinInv, activePage_, false) ? SW_SHOW : SW_HIDE);
  FocusActiveTree();
  LayoutControls();
  FormResize();
}

void Twnd_tm_Main::FormKeyUp(WPARAM key) {
  if (key != 76 && key != 108) return;
  const bool ctrl = ::GetKeyState(VK_CONTROL) & 0x8000;
  const bool other = (::GetKeyState(VK_SHIFT) | ::GetKeyState(VK_MENU) | ::GetKeyState(VK_LWIN) |
                      ::GetKeyState(VK_RWIN)) & 0x8000;
  if (ctrl && !other) SetLogTabVisible(!LogTabVisible());
}

void Twnd_tm_Main::FormResize() { performance_.FitIndicators(); }

void Twnd_tm_Main::FormClose() {
  if (FSN && env_.unregisterSessionNotification) env_.unregisterSessionNotification(hwnd());
  FSN = false;
}

void Twnd_tm_Main::ApplicationEventsMessage(WPARAM /*eventCode*/, LPARAM /*sessionId*/) {
  // The session journal receives these once it exists.
}

void Twnd_tm_Main::WriteLog(const std::wstring& text) { log_.WriteLog(text); }
void Twnd_tm_Main::ClearLog() { log_.ClearLog(); }

bool Twnd_tm_Main::PreTranslateMessage(MSG& msg) {
  if (!hwnd() || (msg.hwnd != hwnd() && !::IsChild(hwnd(), msg.hwnd))) return false;
  if (msg.message == WM_KEYUP) FormKeyUp(msg.wParam);
  if (accelerators_ && ::TranslateAcceleratorW(hwnd(), accelerators_, &msg)) return true;
  return ::IsDialogMessageW(hwnd(), &msg) != FALSE;
}

void Twnd_tm_Main::OnCommand(WORD id, WORD code, HWND /*control*/) {
  switch (id) {
    case kIdAcRefresh:
    case kIdRefresh:
      if (code == 0 || code == 1 || code == BN_CLICKED) cmRefreshAll();
      break;
    case kIdProcFilter:
    case kIdWinFilter:
      if (code == CBN_SELCHANGE) cmRefresh();
      break;
    case kIdClose:
      // Hides to the tray; until the tray icon exists the window is minimised instead, so it stays reachable.
      ::ShowWindow(hwnd(), SW_MINIMIZE);
      break;
    case kIdKill:
      if (code == BN_CLICKED) bKillClick();
      break;
    case kIdRunAsAdmin:
      if (code == BN_CLICKED) bRunAsAdminClick();
      break;
    case kIdNewTask:
      bRunClick();
      break;
    case kIdHelp:
      cmHelp();
      break;
    case kIdAbout:
      acAboutExecute();
      break;
    case kIdExit:
      ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
      break;
    case kIdCheckAll:
    case kIdUncheckAll:
      processes_.tree().SetAllBoxesChecked(id == kIdCheckAll);
      UpdateKillButton();
      break;
    default:
      break;
  }
}

LRESULT Twnd_tm_Main::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
      if (hdr->hwndFrom == pc_ && hdr->code == TCN_SELCHANGE) {
        SetActivePage(PageOfTab(static_cast<int>(::SendMessageW(pc_, TCM_GETCURSEL, 0, 0))));
        return 0;
      }
      break;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == processes_.tree().hwnd() ||
          ::IsChild(processes_.tree().hwnd(), reinterpret_cast<HWND>(wParam))) {
        if (!timerEnabled_) {
          POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
          ::TrackPopupMenu(treeMenu_.get(), TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd(), nullptr);
        }
        return 0;
      }
      break;
    case WM_TIMER:
      if (wParam == kRefreshTimerId) {
        TimerTimer();
        return 0;
      }
      break;
    case WM_SIZE:
      LayoutControls();
      FormResize();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* mmi = reinterpret_cast<MINMAXINFO*>(lParam);
      mmi->ptMinTrackSize = {dpi_.Scale(kMinWidth), dpi_.Scale(kMinHeight)};
      return 0;
    }
    case WM_DPICHANGED: {
      dpi_ = ui::Dpi(HIWORD(wParam));
      ApplyDpiToControls();
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      LayoutControls();
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      // The performance page's labels sit on its white face.
      const HWND label = reinterpret_cast<HWND>(lParam);
      if (label == performance_.lCU() || label == performance_.lIP() || label == performance_.lBN() ||
          label == performance_.lMAC()) {
        ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    }
    case kMacLineMessage: {
      std::unique_ptr<std::wstring> line(reinterpret_cast<std::wstring*>(lParam));
      if (line) ::SetWindowTextW(performance_.lMAC(), line->c_str());
      return 0;
    }
    case WM_WTSSESSION_CHANGE:
      ApplicationEventsMessage(wParam, lParam);
      return 0;
    case WM_CLOSE:
      FormClose();
      ::DestroyWindow(hwnd());
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace vantrel::app
