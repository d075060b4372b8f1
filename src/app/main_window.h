// The main window: eight pages in a page control, the filter and option controls above them, the action
// buttons below, and the refresh cycle that rebuilds the pages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/pages/environment_page.h"
#include "app/pages/log_page.h"
#include "app/pages/performance_page.h"
#include "app/pages/processes_page.h"
#include "app/pages/services_page.h"
#include "app/pages/sessions_page.h"
#include "app/pages/startup_page.h"
#include "app/pages/windows_page.h"
#include "controls/dpi.h"
#include "controls/caption_toolbar.h"
#include "controls/simple_controls.h"
#include "controls/window.h"
#include "core/shell/command_line.h"
#include "core/shell/frame_controls.h"
#include "core/shell/pages.h"
#include "core/shell/refresh_plan.h"
#include "system/raii.h"

namespace vantrel::app {

// The seams the start-up sequence reads from the system; tests replace single members.
struct StartupEnvironment {
  std::function<bool()> isRemoteSession;
  std::function<bool()> elevationButtonVisible;  // the program lacks administrative rights
  std::function<bool(HWND)> registerSessionNotification;  // true when registered
  std::function<bool(HWND)> unregisterSessionNotification;
  std::function<bool()> enableDebugPrivilege;
  std::function<std::wstring()> osCaption;
  std::function<std::wstring()> sessionLabel;
  // The performance page's facts, read at start: logged-on user, IP addresses, build number; then the MAC
  // addresses, which NetBIOS may take seconds to answer, so they are read on a worker thread.
  std::function<std::array<std::wstring, 3>()> systemFactLines;
  std::function<std::wstring()> macAddressLine;
  // The program's own FileVersion and Copyright.
  std::function<std::pair<std::wstring, std::wstring>()> programVersion;
  static StartupEnvironment Default();
};

class Twnd_tm_Main : public ui::Window {
 public:
  static constexpr UINT_PTR kRefreshTimerId = 1;
  static constexpr UINT kDesignTimerIntervalMs = 5000;
  // Carries a heap-held std::wstring (lParam) that the window takes over: the MAC addresses line.
  static constexpr UINT kMacLineMessage = WM_APP + 1;

  Twnd_tm_Main(TCommandLineSwitches switches, StartupEnvironment env = StartupEnvironment::Default());
  ~Twnd_tm_Main() override;

  // Creates the window (hidden) and runs FormCreate. False when the program must end now (the help switch,
  // or the window could not be created).
  bool CreateAndStart();
  // Shows the window as the switches say (maximised, or not at all when hidden).
  void ShowAtStart(int showCommand);
  // The window sees key strokes before its controls: call for every message of the loop.
  bool PreTranslateMessage(MSG& msg);

  // --- the refresh cycle ---
  void RefreshData(int apage);
  void cmRefresh();
  void cmRefreshAll();
  // Ends the checked processes (automatic refresh off) or the focused one (on), after the user's confirmation.
  void TerminateProcesses();
  void SetAutoRefresh(bool value);
  void seChange();
  void TimerTimer();
  void pcChange();
  void FormKeyUp(WPARAM key);
  void FormResize();
  void FormClose();
  void ApplicationEventsMessage(WPARAM eventCode, LPARAM sessionId);

  // --- the activity log ---
  void WriteLog(const std::wstring& text);
  void ClearLog();

  // --- state, for the pages and for tests ---
  int ActivePage() const { return activePage_; }
  void SetActivePage(int page);  // as a click on its tab (runs pcChange)
  bool LogTabVisible() const { return tabPages_.size() == kPageCount; }
  void SetLogTabVisible(bool visible);
  std::wstring TabCaption(int page) const;
  void SetTabCaption(int page, const std::wstring& caption);
  bool TimerEnabled() const { return timerEnabled_; }
  UINT TimerIntervalMs() const { return timerIntervalMs_; }
  bool SessionNotificationsRegistered() const { return FSN; }
  HWND Control(FrameControl c) const { return frameControls_[static_cast<size_t>(c)]; }
  HWND KillButton() const { return bKill_; }
  HWND RefreshButton() const { return bRefresh_; }
  HWND CloseButton() const { return bClose_; }
  HWND RunAsAdminButton() const { return bRunAsAdmin_; }
  HWND PageControl() const { return pc_; }
  HWND ProcessFilter() const { return cbProcFilter_; }
  HWND OsLabel() const { return lOS_; }
  HWND SessionLabel() const { return lSes_; }
  ui::FilterBox& NameFilter() { return eFilter_; }
  ui::SpinBox& IntervalEdit() { return se_; }
  ui::OnOffSwitch& AutoSwitch() { return cbxAuto_; }
  ui::OnOffSwitch& TreeSwitch() { return cbxTree_; }
  ui::CaptionToolbar& CaptionBar() { return pncaToolbar_; }
  HMENU ProgramMenu() const { return Menu_.get(); }
  ProcessesPage& Processes() { return processes_; }
  LogPage& Log() { return log_; }
  PerformancePage& Performance() { return performance_; }
  const std::wstring& ProgramButtonHintText() const { return programButtonHint_; }
  // How each step of a refresh is carried out; tests record the steps instead.
  std::function<void(const RefreshStep&)> refreshExecutor;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool FormCreate();
  void CreateControls();
  HWND CreateButton(int id, const wchar_t* caption, HWND* slot);
  HWND CreateLabel(const wchar_t* text, HWND* slot, DWORD style = 0);
  void ApplyFonts();
  void LayoutControls();
  RECT PageArea() const;
  void OnCommand(WORD id, WORD code, HWND control);
  void CreateCaptionToolbar();
  void pncaToolbarDrawButton(ui::CaptionToolbar& bar, int button, HDC dc, const RECT& barRect, const RECT& buttonRect);
  void cmHelp();
  void acAboutExecute();
  void bRunClick();
  void ApplyDpiToControls();
  void ReadMacAddressesInBackground();
  void bKillClick();
  void bRunAsAdminClick();
  void ExecuteRefreshStep(const RefreshStep& step);
  void AttachSystemImageLists();
  void FocusActiveTree();
  void ApplyTimer();
  int PageOfTab(int tab) const;
  int TabOfPage(int page) const;
  void RegisterSessionNotifications();
  void UpdateKillButton();
  Page& PageAt(int page);

  TCommandLineSwitches switches_;
  StartupEnvironment env_;
  ui::Dpi dpi_;
  win::UniqueFont font_;
  win::UniqueFont boldFont_;
  win::UniqueIcon appIcon_;
  win::UniqueIcon appIconSmall_;
  win::UniqueMenu treeMenu_;
  HACCEL accelerators_ = nullptr;

  // Above the pages.
  HWND iconImage_ = nullptr, lOS_ = nullptr, lSes_ = nullptr;
  ui::FilterBox eFilter_;
  HWND cbProcFilter_ = nullptr, pTree_ = nullptr;
  ui::OnOffSwitch cbxTree_;
  HWND cbWinFilter_ = nullptr, pWinInv_ = nullptr;
  ui::OnOffSwitch cbxWinInv_;
  HWND pAuto_ = nullptr;
  ui::SpinBox se_;
  ui::OnOffSwitch cbxAuto_;
  // The caption-bar buttons: the program menu and the clock/CPU text.
  ui::CaptionToolbar pncaToolbar_;
  win::UniqueMenu Menu_;
  // The pages.
  HWND pc_ = nullptr;
  std::vector<int> tabPages_;  // page index of each tab; the log tab can be hidden
  std::array<std::wstring, kPageCount> captions_;
  ProcessesPage processes_;
  WindowsPage windows_;
  ServicesPage services_;
  SessionsPage sessions_;
  StartupPage startup_;
  EnvironmentPage environment_;
  PerformancePage performance_;
  LogPage log_;
  // Below the pages.
  HWND bKill_ = nullptr, bDel_ = nullptr, bSendMsg_ = nullptr, bSesDiscon_ = nullptr, bSesLogoff_ = nullptr;
  HWND bSvcCtrl_ = nullptr, bSvcDel_ = nullptr, bSvcMan_ = nullptr, bWinVis_ = nullptr, bWinClose_ = nullptr;
  HWND bRunAsAdmin_ = nullptr, bRefresh_ = nullptr, bClose_ = nullptr;
  std::array<HWND, kFrameControlCount> frameControls_{};

  int activePage_ = kPageProcesses;
  bool timerEnabled_ = false;
  UINT timerIntervalMs_ = kDesignTimerIntervalMs;
  int timerTag_ = 0;  // one-bit save slot of the refresh commands
  bool autoRefreshModeSet_ = false;
  bool FSN = false;
  bool started_ = false;
  std::wstring programButtonHint_;
  std::wstring fileVersion_, copyright_;
  std::thread macReader_;
  std::shared_ptr<std::atomic<bool>> macReaderDone_;
  HIMAGELIST ilSystem16_ = nullptr;  // the shell's lists: not owned
  HIMAGELIST ilSystem32_ = nullptr;
  int FiiApp = -1, FiiReg = -1, FiiIE = -1;
};

}  // namespace vantrel::app
