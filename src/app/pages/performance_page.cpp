#include "app/pages/performance_page.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "app/pages/performance_texts.h"
#include "core/perf/cpu_identification.h"
#include "core/perf/monitor_grid.h"
#include "core/shell/activity_log.h"
#include "core/shell/pages.h"
#include "core/text/date_time.h"
#include "system/perf/cpu_reader.h"
#include "system/perf/cpu_usage.h"
#include "system/perf/power_info.h"
#include "system/perf/system_status.h"
#include "system/os/system_facts.h"
#include "system/text/locale_text.h"

namespace vantrel::app {
namespace texts = performance_texts;
namespace {

constexpr COLORREF kLime = RGB(0, 255, 0);
constexpr COLORREF kAqua = RGB(0, 255, 255);
// Design sizes (96 DPI).
constexpr int kFactsHeight = 105;
constexpr int kIndicatorPanelWidth = 63;
constexpr int kGap = 5;

HWND CreateChild(const wchar_t* cls, const wchar_t* text, DWORD style, HWND parent) {
  return ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

void Move(HWND hwnd, const RECT& rc) {
  ::MoveWindow(hwnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

RECT Inset(RECT rc, int left, int top, int right, int bottom) {
  rc.left += left;
  rc.top += top;
  rc.right = std::max(rc.left, rc.right - right);
  rc.bottom = std::max(rc.top, rc.bottom - bottom);
  return rc;
}

std::wstring Percent(int value) { return std::to_wstring(value) + L" %"; }

}  // namespace

// --- the indicator panels ---

bool IndicatorPanel::Create(HWND parent, COLORREF colour) {
  colour_ = colour;
  if (!panel_.Create(parent)) return false;
  panel_.onMessage = [this](UINT msg, WPARAM wParam, LPARAM, LRESULT* result) {
    if (msg == WM_ERASEBKGND) {
      RECT rc;
      ::GetClientRect(panel_.hwnd(), &rc);
      ::FillRect(reinterpret_cast<HDC>(wParam), &rc, black_.get());
      *result = 1;
      return true;
    }
    if (msg == WM_CTLCOLORSTATIC) {
      ::SetTextColor(reinterpret_cast<HDC>(wParam), colour_);
      ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
      *result = reinterpret_cast<LRESULT>(black_.get());
      return true;
    }
    return false;
  };
  ::ShowWindow(panel_.hwnd(), SW_SHOW);
  label_ = CreateChild(L"STATIC", texts::kUnknownPercent, SS_CENTER | SS_NOPREFIX, panel_.hwnd());
  if (!label_ || !indicator_.Create(panel_.hwnd(), 1, RECT{})) return false;
  indicator_.SetForeground(colour);
  return true;
}

void IndicatorPanel::SetValue(int percent, const std::wstring& text) {
  indicator_.SetPosition(percent);
  wchar_t shown[32] = {};
  ::GetWindowTextW(label_, shown, 32);
  if (text != shown) ::SetWindowTextW(label_, text.c_str());
}

void IndicatorPanel::Layout(const RECT& rc, const ui::Dpi& dpi) {
  Move(panel_.hwnd(), rc);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  const int labelHeight = dpi.Scale(16);
  Move(label_, {0, h - labelHeight - dpi.Scale(2), w, h - dpi.Scale(2)});
  // The indicator fills the panel above its figure.
  const int top = dpi.Scale(7);
  Move(indicator_.hwnd(), {dpi.Scale(6), top, w - dpi.Scale(6), std::max(top, h - labelHeight - dpi.Scale(5))});
}

void IndicatorPanel::ApplyDpi(const ui::Dpi& dpi, HFONT font) {
  indicator_.ApplyDpi(dpi);
  ::SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

// --- the page ---

PerformancePage::PerformancePage() : Page(kPagePerformance) {}

bool PerformancePage::OnCreate() {
  const HWND strip = Strip();
  if (!strip) return false;
  osLabel_ = CreateChild(L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, strip);
  sessionLabel_ = CreateChild(L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, strip);

  groups_ = {Group{texts::kCpuHistory, {}}, Group{texts::kMemoryHistory, {}}, Group{texts::kSystemInformation, {}}};
  cpuTabs_ = CreateChild(WC_TABCONTROLW, L"", TCS_BOTTOM | WS_CLIPSIBLINGS | WS_TABSTOP, hwnd());
  for (const wchar_t* caption : {texts::kUsageTab, texts::kSpeedTab}) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption);
    ::SendMessageW(cpuTabs_, TCM_INSERTITEMW, static_cast<WPARAM>(::SendMessageW(cpuTabs_, TCM_GETITEMCOUNT, 0, 0)),
                   reinterpret_cast<LPARAM>(&item));
  }
  for (HWND& fact : facts_)
    fact = CreateChild(L"STATIC", texts::kNotAvailable, SS_LEFTNOWORDWRAP | SS_NOPREFIX, hwnd());
  if (!cpuIndicator_.Create(hwnd(), kLime) || !memoryIndicator_.Create(hwnd(), kAqua) || !usageArea_.Create(hwnd()) ||
      !frequencyArea_.Create(hwnd()) || !memoryTrend_.Create(hwnd(), 1, RECT{}))
    return false;
  memoryTrend_.ApplyPageSettings(kAqua);
  ::ShowWindow(usageArea_.hwnd(), SW_SHOW);
  // The tab control lies under the panels and charts it frames.
  ::SetWindowPos(cpuTabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return osLabel_ && sessionLabel_ && cpuTabs_;
}

void PerformancePage::Start(const CommandLineSwitches& /*switches*/, const StartupEnvironment& env) {
  LoadPowrProf();
  try {
    CreateUsageFrames();
  } catch (const std::exception& e) {
    host().WriteLog(LogLine(L"SetupGraphs", ExceptionMessage(e)));
  }
  host().Feeds().cpuLoad.Follow([this](const CpuLoad& load) { OnCpuLoad(load); });
  IdentifyCpuInBackground();
  ShowCpuTab(0);

  if (env.osCaption) SetText(osLabel_, env.osCaption());
  if (env.sessionLabel) SetText(sessionLabel_, env.sessionLabel());
  readFactLines_ = env.systemFactLines;
  readIpLine_ = env.ipAddressLine;
  readMacLine_ = env.macAddressLine;
  if (::IsWindowVisible(hwnd())) ShowAccountAndNetworkFacts();
  UpdateMemory();
}

LRESULT PerformancePage::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SHOWWINDOW && wParam) ShowAccountAndNetworkFacts();
  return Page::HandleMessage(msg, wParam, lParam);
}

void PerformancePage::ShowAccountAndNetworkFacts() {
  if (accountAndNetworkFactsShown_ || !(readFactLines_ || readIpLine_ || readMacLine_)) return;
  accountAndNetworkFactsShown_ = true;
  if (readFactLines_) {
    const auto lines = readFactLines_();
    SetText(facts_[kLoggedUser], lines[0]);
    SetText(facts_[kBuild], lines[1]);
  }
  ShowLineFromWorker(readIpLine_, facts_[kIp]);
  ShowLineFromWorker(readMacLine_, facts_[kMac]);
}

void PerformancePage::ShowLineFromWorker(const std::function<std::wstring()>& read, HWND label) {
  // A name lookup or NetBIOS may take seconds to answer: the line arrives when they do.
  if (!read) return;
  host().Handoff().Run([read, label] {
    std::wstring line = read();
    return WindowThreadHandoff::Result([label, line] { SetText(label, line); });
  });
}

void PerformancePage::CreateUsageFrames() {
  const uint32_t count = NativeProcessorCount();  // the meter's processors
  usageFrames_.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    auto frame = std::make_unique<ui::CpuUsageMonitor>();
    if (!frame->Create(usageArea_.hwnd(), static_cast<int>(i + 1), RECT{})) break;  // frames so far remain
    usageFrames_.push_back(std::move(frame));
  }
  LayoutFrames();
}

void PerformancePage::CreateFrequencyFrames(uint32_t cores) {
  frequencyFrames_.reserve(cores);
  for (uint32_t j = 0; j < cores; ++j) {
    auto frame = std::make_unique<ui::CpuFrequencyMonitor>();
    if (!frame->Create(frequencyArea_.hwnd(), static_cast<int>(j + 1), RECT{})) break;
    frame->ApplyDpi(host().Dpi());
    frequencyFrames_.push_back(std::move(frame));
  }
  LayoutFrames();
}

void PerformancePage::IdentifyCpuInBackground() {
  // The clock measurement busy-waits for tens of milliseconds: never on the window thread.
  host().Handoff().Run([this]() -> WindowThreadHandoff::Result {
    try {
      CpuInfo info = ReadCpuInfo(0);
      return [this, info] {
        SetText(facts_[kCpu], CpuSummaryText(info));
        nominalMhz_ = info.Frequency;
        try {
          CreateFrequencyFrames(info.CoreCount);  // bounded by the logical processors
        } catch (const std::exception& e) {
          host().WriteLog(LogLine(L"SetupGraphs", ExceptionMessage(e)));
        }
        cpuIdentified_ = true;
      };
    } catch (const std::exception& e) {
      std::wstring line = LogLine(L"RefreshCPU", ExceptionMessage(e));
      return [this, line] {
        host().WriteLog(line);
        cpuIdentified_ = true;
      };
    }
  });
}

void PerformancePage::OnCpuLoad(const CpuLoad& load) {
  cpuIndicator_.SetValue(load.average, Percent(load.average));
  for (size_t i = 0; i < load.processors.size() && i < usageFrames_.size(); ++i)
    usageFrames_[i]->AddValues(load.processors[i]);
  UpdateMemory();
  const double seconds = static_cast<double>(SystemUptimeMs()) / 1000.0;
  SetText(facts_[kUptime], texts::kUptime + FormatSeconds(seconds, true, true, true, FormatSettings{}));
  UpdateFrequencies();
}

void PerformancePage::UpdateMemory() {
  MemoryStatus m;
  if (!ReadMemoryStatus(m)) return;
  SetTotalPhysicalMemory(m.TotalPhys);
  memoryTrend_.Add(static_cast<int32_t>(m.MemoryLoad));
  memoryIndicator_.SetValue(static_cast<int>(m.MemoryLoad), Percent(static_cast<int>(m.MemoryLoad)));
  const uint64_t amounts[] = {m.TotalPhys, m.AvailPhys, m.TotalPageFile, m.AvailPageFile};
  static_assert(std::size(amounts) == std::size(texts::kMemoryLines) && kAvailPageFile - kTotalPhys == 3);
  for (size_t i = 0; i < std::size(amounts); ++i)
    SetText(facts_[kTotalPhys + i], texts::kMemoryLines[i] + std::to_wstring(amounts[i] >> 20) + texts::kMegabytes);
}

void PerformancePage::UpdateFrequencies() {
  if (frequencyFrames_.empty()) return;
  if (!ReadProcessorFrequencies(frequencies_)) frequencies_.clear();
  for (size_t j = 0; j < frequencyFrames_.size(); ++j) {
    const FrequencyInput in = FrequencyInputFor(static_cast<uint32_t>(j), frequencies_, nominalMhz_);
    frequencyFrames_[j]->SetLimits(in.LimitMhz);
    frequencyFrames_[j]->AddValues(in.CurrentMhz);
  }
}

void PerformancePage::SetText(HWND label, const std::wstring& text) {
  // Only what changed is repainted.
  const int length = ::GetWindowTextLengthW(label);
  if (length == static_cast<int>(text.size())) {
    std::wstring shown(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(label, shown.data(), length + 1);
    shown.resize(static_cast<size_t>(length));
    if (shown == text) return;
  }
  ::SetWindowTextW(label, text.c_str());
}

void PerformancePage::ShowCpuTab(int tab) {
  ::SendMessageW(cpuTabs_, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
  ::ShowWindow(usageArea_.hwnd(), tab == 0 ? SW_SHOW : SW_HIDE);
  ::ShowWindow(cpuIndicator_.hwnd(), tab == 0 ? SW_SHOW : SW_HIDE);
  ::ShowWindow(frequencyArea_.hwnd(), tab == 1 ? SW_SHOW : SW_HIDE);
}

LRESULT PerformancePage::OnNotify(NMHDR* hdr) {
  if (hdr->hwndFrom == cpuTabs_ && hdr->code == TCN_SELCHANGE)
    ShowCpuTab(static_cast<int>(::SendMessageW(cpuTabs_, TCM_GETCURSEL, 0, 0)));
  return 0;
}

void PerformancePage::ApplyDpi(const ui::Dpi& dpi) {
  Page::ApplyDpi(dpi);
  boldFont_.reset(ui::CreateUiFont(dpi, 0, true));
  ::SendMessageW(osLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), TRUE);
  cpuIndicator_.ApplyDpi(dpi, boldFont_.get());
  memoryIndicator_.ApplyDpi(dpi, boldFont_.get());
  memoryTrend_.ApplyDpi(dpi);
  for (auto& frame : frequencyFrames_) frame->ApplyDpi(dpi);
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  OnLayout(rc.right, rc.bottom);
}

void PerformancePage::OnLayout(int width, int height) {
  const ui::Dpi& dpi = host().Dpi();
  auto S = [&dpi](int v) { return dpi.Scale(v); };
  const int factsTop = std::max(0, height - S(kFactsHeight) - S(kGap));
  groups_[2].rect = {S(kGap), factsTop, width - S(kGap), height - S(kGap)};
  const int line = S(17);
  for (int f = 0; f < kFactCount; ++f) {
    const bool right = f >= kLoggedUser;
    const int row = right ? f - kLoggedUser : f;
    const int x = right ? S(352) : S(16);
    const int w = right ? std::max(0, width - x - S(12)) : S(352) - S(16) - S(8);
    Move(facts_[static_cast<size_t>(f)],
         {x, factsTop + S(18) + row * line, x + w, factsTop + S(18) + row * line + line});
  }
  // The charts share the rest: 53.36 % for the processors, the remainder for the memory.
  const int chartsHeight = std::max(0, factsTop - S(kGap));
  const int cpuHeight = static_cast<int>(chartsHeight * 0.5335851966154576);
  const RECT cpuBox{S(kGap), S(kGap), width - S(kGap), S(kGap) + cpuHeight};
  const RECT memoryBox{S(kGap), cpuBox.bottom + S(kGap), width - S(kGap), factsTop};
  groups_[0].rect = cpuBox;
  groups_[1].rect = memoryBox;
  ::InvalidateRect(hwnd(), nullptr, TRUE);

  const RECT tabsRect = Inset(cpuBox, S(8), S(18), S(8), S(6));
  Move(cpuTabs_, tabsRect);
  RECT display = tabsRect;
  ::SendMessageW(cpuTabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const RECT indicator{display.left + S(kGap), display.top + S(kGap), display.left + S(kGap + kIndicatorPanelWidth),
                       display.bottom - S(kGap)};
  cpuIndicator_.Layout(indicator, dpi);
  Move(usageArea_.hwnd(), Inset(display, S(kGap * 2 + kIndicatorPanelWidth), S(kGap), S(kGap), S(kGap)));
  Move(frequencyArea_.hwnd(), Inset(display, S(kGap), S(kGap), S(kGap), S(3)));

  const RECT memoryInner = Inset(memoryBox, S(8), S(18), S(8), S(6));
  memoryIndicator_.Layout(
      {memoryInner.left, memoryInner.top, memoryInner.left + S(kIndicatorPanelWidth), memoryInner.bottom}, dpi);
  Move(memoryTrend_.hwnd(), Inset(memoryInner, S(kIndicatorPanelWidth + 8), 0, 0, 0));
  LayoutFrames();
}

void PerformancePage::LayoutFrames() {
  auto place = [](HWND area, auto& frames, uint32_t perRow) {
    RECT rc;
    ::GetClientRect(area, &rc);
    const MonitorGrid grid = MakeMonitorGrid(static_cast<uint32_t>(frames.size()), perRow);
    for (size_t i = 0; i < frames.size(); ++i) {
      const GridRect cell = grid.Cell(static_cast<uint32_t>(i), rc.right, rc.bottom);
      Move(frames[i]->hwnd(), {cell.Left, cell.Top, cell.Right, cell.Bottom});
    }
  };
  place(usageArea_.hwnd(), usageFrames_, kUsageFramesPerRow);
  place(frequencyArea_.hwnd(), frequencyFrames_, kFrequencyFramesPerRow);
}

void PerformancePage::OnLayoutStrip(int width, int height) {
  const ui::Dpi& dpi = host().Dpi();
  const int line = dpi.Scale(18);
  const int top = std::max(0, (height - 2 * line - dpi.Scale(2)) / 2);
  ::MoveWindow(osLabel_, 0, top, width, line, TRUE);
  ::MoveWindow(sessionLabel_, 0, top + line + dpi.Scale(2), width, line, TRUE);
}

void PerformancePage::PaintFace(HDC dc) {
  const ui::Dpi& dpi = host().Dpi();
  win::SelectScope font(dc, host().UiFont());
  ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  for (const Group& g : groups_) {
    if (g.rect.right <= g.rect.left) continue;
    RECT frame = g.rect;
    frame.top += dpi.Scale(7);  // the caption sits on the top edge
    ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    RECT text{g.rect.left + dpi.Scale(8), g.rect.top, g.rect.right - dpi.Scale(8), g.rect.top + dpi.Scale(15)};
    ::DrawTextW(dc, g.caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
}

HBRUSH PerformancePage::OnStaticColour(HDC dc, HWND label) {
  // The page's face is white; the labels above the pages keep the window's colour.
  if (::GetParent(label) != hwnd()) return nullptr;
  ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
  return ::GetSysColorBrush(COLOR_WINDOW);
}

}  // namespace vantrel::app
