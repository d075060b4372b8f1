// The trend chart, the level indicator and the CPU monitor frames: what they paint, the frequency frame's
// arithmetic, and a GDI object count that stays flat over 1,000 updates with everything repainting.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controls/cpu_monitors.h"
#include "controls/level_indicator.h"
#include "controls/trend_chart.h"
#include "gdi_count.h"
#include "host_window.h"

namespace vantrel::ui {
namespace {

using testing::Pump;

struct Host : testing::HostWindow {
  Host() : HostWindow(L"VantrelPerfTestHost", L"charts", 20, 20, 900, 600, COLOR_BTNFACE) {}
};

// The control's client area as painted, read back pixel by pixel.
class Snapshot {
 public:
  explicit Snapshot(HWND control) {
    ::GetClientRect(control, &rc_);
    HDC screen = ::GetDC(nullptr);
    dc_ = ::CreateCompatibleDC(screen);
    bitmap_ = ::CreateCompatibleBitmap(screen, rc_.right, rc_.bottom);
    ::ReleaseDC(nullptr, screen);
    old_ = ::SelectObject(dc_, bitmap_);
    ::SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
  }
  ~Snapshot() {
    ::SelectObject(dc_, old_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(dc_);
  }
  COLORREF At(int x, int y) const { return ::GetPixel(dc_, x, y); }
  int Width() const { return rc_.right; }
  int Height() const { return rc_.bottom; }
  // Whether the colour appears in column x.
  bool ColumnHas(int x, COLORREF c) const {
    for (int y = 0; y < rc_.bottom; ++y)
      if (At(x, y) == c) return true;
    return false;
  }

 private:
  RECT rc_{};
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

TEST(TrendChart, PaintsTheNewestValueAtTheRightEdge) {
  Host host;
  TrendChart chart;
  ASSERT_TRUE(chart.Create(host.hwnd, 1, RECT{0, 0, 402, 102}));
  chart.ApplyPageSettings(RGB(0, 0xFF, 0));
  chart.Add(100);
  Snapshot s(chart.hwnd());
  ASSERT_EQ(s.Width(), 400);
  EXPECT_EQ(s.At(1, 1), RGB(0, 0, 0));  // black background
  EXPECT_EQ(s.At(s.Width() - 20, 50), 5789784u);  // vertical grid line 20 px left of the right edge
  // The newest slot (value 100) sits 3 px below the top at the right; the older ones on the minimum line.
  bool nearTopRight = false;  // the polyline's last point itself is not drawn, the steep segment up to it is
  for (int x = s.Width() - 8; x < s.Width(); ++x)
    for (int y = 3; y < 8; ++y) nearTopRight |= s.At(x, y) == RGB(0, 0xFF, 0);
  EXPECT_TRUE(nearTopRight);
  EXPECT_EQ(s.At(s.Width() / 2, s.Height() - 3), RGB(0, 0xFF, 0));
  EXPECT_NE(s.At(s.Width() / 2, 3), RGB(0, 0xFF, 0));
}

TEST(LevelIndicator, LightsFromTheBottom) {
  Host host;
  LevelIndicator ind;
  ASSERT_TRUE(ind.Create(host.hwnd, 1, RECT{0, 0, 51, 122}));
  ind.SetForeground(RGB(0, 0xFF, 0));
  ind.SetPosition(150);
  EXPECT_EQ(ind.Position(), 100);
  ind.SetPosition(50);
  Snapshot s(ind.hwnd());
  EXPECT_EQ(s.At(10, 3 * 38 + 2), RGB(0, 0xFF, 0));  // the bottom row, lit
  EXPECT_EQ(s.At(10, 3 * 19 + 2), RGB(0, 0xFF, 0));  // the first lit row
  EXPECT_EQ(s.At(10, 3 * 18 + 2), RGB(0, 0x7F, 0));  // unlit: the halved colour
  EXPECT_EQ(s.At(25, 3 * 38 + 2), RGB(0, 0, 0));     // the centre gap
  EXPECT_EQ(s.At(10, 3 * 38 + 4), RGB(0, 0, 0));     // the gap between rows
}

TEST(CpuMonitors, FrequencyFrameScalesToItsHighestLimit) {
  Host host;
  CpuFrequencyMonitor f;
  ASSERT_TRUE(f.Create(host.hwnd, 1, RECT{0, 0, 300, 150}));
  EXPECT_EQ(f.LabelText(), L"? MHz");
  f.AddValues(1);  // before any limit: 1 of 1
  EXPECT_EQ(f.Indicator().Position(), 100);
  f.SetLimits(2400);
  f.AddValues(1200);
  EXPECT_EQ(f.Indicator().Position(), 50);
  EXPECT_EQ(f.Trend().Model().Get(199), 50);  // the chart plots the percentage
  EXPECT_EQ(f.LabelText(), L"1200 MHz");
  f.SetLimits(2000);
  EXPECT_EQ(f.Limit(), 2400u);
  f.AddValues(3000);
  EXPECT_EQ(f.Indicator().Position(), 100);
  EXPECT_EQ(f.LabelText(), L"3000 MHz");
  // The indicator stands in the panel, above the text.
  RECT ind, frame;
  ::GetWindowRect(f.Indicator().hwnd(), &ind);
  ::GetWindowRect(f.hwnd(), &frame);
  EXPECT_GT(ind.bottom - ind.top, 50);
  EXPECT_LT(ind.bottom, frame.bottom - 10);
  RECT trend;
  ::GetWindowRect(f.Trend().hwnd(), &trend);
  EXPECT_GE(trend.left, ind.right);
}

TEST(CpuMonitors, GdiObjectsStayFlatOver1000Updates) {
  Host host;
  std::vector<std::unique_ptr<CpuUsageMonitor>> usage;
  std::vector<std::unique_ptr<CpuFrequencyMonitor>> freq;
  for (int i = 0; i < 4; ++i) {
    usage.push_back(std::make_unique<CpuUsageMonitor>());
    ASSERT_TRUE(usage.back()->Create(host.hwnd, 10 + i, RECT{i * 220, 0, i * 220 + 210, 200}));
  }
  for (int i = 0; i < 2; ++i) {
    freq.push_back(std::make_unique<CpuFrequencyMonitor>());
    ASSERT_TRUE(freq.back()->Create(host.hwnd, 20 + i, RECT{i * 440, 210, i * 440 + 430, 400}));
  }
  TrendChart memory;
  ASSERT_TRUE(memory.Create(host.hwnd, 30, RECT{0, 410, 800, 560}));
  memory.ApplyPageSettings(RGB(0, 0xFF, 0xFF));
  auto tick = [&](int t) {
    for (auto& u : usage) u->AddValues((t * 7) % 101);
    for (auto& f : freq) {
      f->SetLimits(2600);
      f->AddValues(1000 + (t * 13) % 1600);
    }
    memory.Add(40 + t % 20);
    ::RedrawWindow(host.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
  };
  for (int t = 0; t < 20; ++t) tick(t);  // warm up: fonts, caches
  const long before = vantrel::testing::GdiObjectCount();
  ASSERT_GT(before, 0);
  for (int t = 0; t < 1000; ++t) tick(t);
  const long after = vantrel::testing::GdiObjectCount();
  std::printf("GDI objects: %ld before, %ld after 1000 updates\n", before, after);
  EXPECT_LE(after - before, 2);
}

}  // namespace
}  // namespace vantrel::ui
