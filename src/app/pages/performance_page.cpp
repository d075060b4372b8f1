#include "app/pages/performance_page.h"

#include "core/shell/pages.h"

namespace vantrel::app {
namespace {

HWND CreateLabel(HWND parent, DWORD style = 0) {
  return ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX | style, 0, 0,
                           0, 0, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

PerformancePage::PerformancePage() : Page(kPagePerformance) {}

bool PerformancePage::OnCreate() {
  const HWND strip = Strip();
  if (!strip) return false;
  osLabel_ = CreateLabel(strip);
  sessionLabel_ = CreateLabel(strip);
  for (HWND* label : {&loggedUser_, &ipAddresses_, &buildNumber_, &macAddresses_}) *label = CreateLabel(hwnd());
  return osLabel_ && sessionLabel_ && loggedUser_ && ipAddresses_ && buildNumber_ && macAddresses_;
}

void PerformancePage::Start(const TCommandLineSwitches& /*switches*/, const StartupEnvironment& env) {
  if (env.osCaption) ::SetWindowTextW(osLabel_, env.osCaption().c_str());
  if (env.sessionLabel) ::SetWindowTextW(sessionLabel_, env.sessionLabel().c_str());
  if (env.systemFactLines) {
    const auto lines = env.systemFactLines();
    ::SetWindowTextW(loggedUser_, lines[0].c_str());
    ::SetWindowTextW(ipAddresses_, lines[1].c_str());
    ::SetWindowTextW(buildNumber_, lines[2].c_str());
  }
  if (env.macAddressLine) {
    // NetBIOS may take seconds to answer: the line arrives from a worker.
    host().Handoff().Run([read = env.macAddressLine, label = macAddresses_] {
      std::wstring line = read();
      return WindowThreadHandoff::Result([label, line] { ::SetWindowTextW(label, line.c_str()); });
    });
  }
}

void PerformancePage::ApplyDpi(const ui::Dpi& dpi) {
  Page::ApplyDpi(dpi);
  boldFont_.reset(ui::CreateUiFont(dpi, 0, true));
  ::SendMessageW(osLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), TRUE);
}

void PerformancePage::OnLayout(int width, int height) {
  // The facts sit at the foot of the page, one line each.
  const ui::Dpi& dpi = host().Dpi();
  const int line = dpi.Scale(18);
  int y = height - dpi.Scale(8) - 4 * line;
  for (HWND label : {loggedUser_, ipAddresses_, buildNumber_, macAddresses_}) {
    ::MoveWindow(label, dpi.Scale(12), y, width - dpi.Scale(24), line, TRUE);
    y += line;
  }
}

void PerformancePage::OnLayoutStrip(int width, int height) {
  const ui::Dpi& dpi = host().Dpi();
  const int line = dpi.Scale(18);
  const int top = std::max(0, (height - 2 * line - dpi.Scale(2)) / 2);
  ::MoveWindow(osLabel_, 0, top, width, line, TRUE);
  ::MoveWindow(sessionLabel_, 0, top + line + dpi.Scale(2), width, line, TRUE);
}

HBRUSH PerformancePage::OnStaticColour(HDC dc, HWND label) {
  // The page's face is white; the labels above the pages keep the window's colour.
  if (::GetParent(label) != hwnd()) return nullptr;
  ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
  return ::GetSysColorBrush(COLOR_WINDOW);
}

}  // namespace vantrel::app
