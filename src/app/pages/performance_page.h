// The performance page: per-CPU load and per-core clock in monitor frames, the memory chart, and the system facts,
// with the OS and session labels above the pages. It follows the frame's CPU meter (once a second) whether it is
// shown or not; hidden, it only records history.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/pages/page.h"
#include "app/startup_environment.h"
#include "controls/cpu_monitors.h"
#include "controls/level_indicator.h"
#include "controls/trend_chart.h"
#include "core/perf/cpu_frequency.h"
#include "system/raii.h"

namespace vantrel::app {

// A black panel with a level indicator and its figure below it.
class IndicatorPanel {
 public:
  bool Create(HWND parent, COLORREF colour);
  void SetValue(int percent, const std::wstring& text);
  void Layout(const RECT& rc, const ui::Dpi& dpi);
  void ApplyDpi(const ui::Dpi& dpi, HFONT font);
  HWND hwnd() const { return panel_.hwnd(); }
  ui::LevelIndicator& Indicator() { return indicator_; }
  HWND Label() const { return label_; }

 private:
  ui::Container panel_;
  ui::LevelIndicator indicator_;
  HWND label_ = nullptr;
  COLORREF colour_ = 0;
  win::UniqueBrush black_{::CreateSolidBrush(RGB(0, 0, 0))};
};

class PerformancePage : public Page {
 public:
  PerformancePage();
  void Start(const CommandLineSwitches& switches, const StartupEnvironment& env) override;
  void ApplyDpi(const ui::Dpi& dpi) override;

  // What the user sees, for tests.
  HWND OsLabel() const { return osLabel_; }
  HWND SessionLabel() const { return sessionLabel_; }
  HWND CpuLabel() const { return facts_[kCpu]; }
  HWND LoggedUserLabel() const { return facts_[kLoggedUser]; }
  HWND IpAddressLabel() const { return facts_[kIp]; }
  HWND BuildNumberLabel() const { return facts_[kBuild]; }
  HWND MacAddressLabel() const { return facts_[kMac]; }
  HWND TotalPhysicalLabel() const { return facts_[kTotalPhys]; }
  HWND UptimeLabel() const { return facts_[kUptime]; }
  size_t UsageFrameCount() const { return usageFrames_.size(); }
  ui::CpuUsageMonitor& UsageFrame(size_t i) { return *usageFrames_[i]; }
  size_t FrequencyFrameCount() const { return frequencyFrames_.size(); }
  ui::CpuFrequencyMonitor& FrequencyFrame(size_t i) { return *frequencyFrames_[i]; }
  HWND UsageArea() const { return usageArea_.hwnd(); }
  HWND FrequencyArea() const { return frequencyArea_.hwnd(); }
  IndicatorPanel& CpuIndicator() { return cpuIndicator_; }
  IndicatorPanel& MemoryIndicator() { return memoryIndicator_; }
  ui::TrendChart& MemoryTrend() { return memoryTrend_; }
  // The CPU identification ran (on its worker) and its frames exist.
  bool CpuIdentified() const { return cpuIdentified_; }

 protected:
  bool OnCreate() override;
  void OnLayout(int width, int height) override;
  void OnLayoutStrip(int width, int height) override;
  LRESULT OnNotify(NMHDR* hdr) override;
  HBRUSH FaceBrush() const override { return ::GetSysColorBrush(COLOR_WINDOW); }
  void PaintFace(HDC dc) override;
  HBRUSH OnStaticColour(HDC dc, HWND label) override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  enum Fact {
    kCpu,
    kTotalPhys,
    kAvailPhys,
    kTotalPageFile,
    kAvailPageFile,
    kLoggedUser,
    kBuild,
    kIp,
    kMac,
    kUptime,
    kFactCount
  };
  void CreateUsageFrames();
  void CreateFrequencyFrames(uint32_t cores);
  void IdentifyCpuInBackground();
  void ShowLineFromWorker(const std::function<std::wstring()>& read, HWND label);
  void ShowAccountAndNetworkFacts();
  void LayoutFrames();
  void ShowCpuTab(int tab);
  void OnCpuLoad(const CpuLoad& load);
  void UpdateMemory();
  void UpdateFrequencies();
  static void SetText(HWND label, const std::wstring& text);

  HWND osLabel_ = nullptr, sessionLabel_ = nullptr;
  HWND cpuTabs_ = nullptr;
  // The three framed groups, drawn on the page's face.
  struct Group {
    const wchar_t* caption;
    RECT rect;
  };
  std::array<Group, 3> groups_{};
  std::array<HWND, kFactCount> facts_{};
  IndicatorPanel cpuIndicator_, memoryIndicator_;
  ui::Container usageArea_, frequencyArea_;
  std::vector<std::unique_ptr<ui::CpuUsageMonitor>> usageFrames_;
  std::vector<std::unique_ptr<ui::CpuFrequencyMonitor>> frequencyFrames_;
  ui::TrendChart memoryTrend_;
  win::UniqueFont boldFont_;
  std::vector<ProcessorPowerInformation> frequencies_;  // reused every tick
  uint32_t nominalMhz_ = 0;                             // FFreq
  bool cpuIdentified_ = false;
  // Read when the page first shows: they load NetAPI32 and WS2_32, which no other page needs.
  decltype(StartupEnvironment::systemFactLines) readFactLines_;
  decltype(StartupEnvironment::ipAddressLine) readIpLine_, readMacLine_;
  bool accountAndNetworkFactsShown_ = false;
};

}  // namespace vantrel::app
