// The tray icon: added at start and again after a shell restart, the load tile, the load display switch, hiding
// to the tray and coming back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frame/cpu_load_source.h"
#include "app/frame/main_window.h"
#include "app/frame/window_messages.h"
#include "core/shell/pages.h"
#include "system/perf/cpu_usage.h"
#include "../controls/gdi_count.h"

namespace vantrel::app {
namespace {

struct ShellCall {
  DWORD message;
  HWND window;
  UINT callback;
  HICON icon;
};

struct TrayFrame {
  std::vector<ShellCall> calls;
  std::unique_ptr<MainWindow> main;
  explicit TrayFrame(std::vector<std::wstring> words = {}) {
    StartupEnvironment env;
    env.isRemoteSession = [] { return false; };
    env.elevationButtonVisible = [] { return false; };
    env.trayShellNotify = [this](DWORD message, NOTIFYICONDATAW* data) {
      calls.push_back({message, data->hWnd, data->uCallbackMessage, data->hIcon});
      return TRUE;
    };
    main = std::make_unique<MainWindow>(CommandLineSwitches(words), env);
    main->refreshExecutor = [](const RefreshStep&) {};
  }
};

// Dispatches the thread's messages (thread timers included) until done() or the bound.
bool PumpUntil(const std::function<bool()>& done, DWORD boundMs) {
  const ULONGLONG end = ::GetTickCount64() + boundMs;
  while (!done()) {
    if (::GetTickCount64() >= end) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return true;
}

bool IconAlive(HICON icon) {
  ICONINFO info{};
  if (!::GetIconInfo(icon, &info)) return false;
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  return true;
}

// The icon's pixels as the shell draws them: transparent where the mask is set, else the colour.
struct IconPixels {
  int width = 0, height = 0;
  std::vector<uint32_t> colour;  // 0x00RRGGBB
  std::vector<bool> transparent;
  explicit IconPixels(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return;
    BITMAP bm{};
    ::GetObjectW(info.hbmColor, sizeof(bm), &bm);
    width = bm.bmWidth;
    height = bm.bmHeight;
    HDC dc = ::GetDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    std::vector<uint32_t> bits(static_cast<size_t>(width * height));
    ::GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(height), bits.data(), &bi, DIB_RGB_COLORS);
    colour = bits;
    ::GetDIBits(dc, info.hbmMask, 0, static_cast<UINT>(height), bits.data(), &bi, DIB_RGB_COLORS);
    for (uint32_t m : bits) transparent.push_back((m & 0xFFFFFF) != 0);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
  }
  uint32_t At(int x, int y) const { return colour[static_cast<size_t>(y * width + x)] & 0xFFFFFF; }
  bool Clear(int x, int y) const { return transparent[static_cast<size_t>(y * width + x)]; }
  int DarkPixels() const {
    int n = 0;
    for (size_t i = 0; i < colour.size(); ++i)
      if (!transparent[i] && (colour[i] & 0xFFFFFF) < 0x303030) ++n;
    return n;
  }
};

TEST(TrayIcon, IsAddedAtStartAndAgainWhenTheShellRestarts) {
  TrayFrame f;
  ASSERT_TRUE(f.main->CreateAndStart());
  ASSERT_EQ(f.calls.size(), 1u);
  EXPECT_EQ(f.calls[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(f.calls[0].window, f.main->hwnd());
  EXPECT_EQ(f.calls[0].callback, kTrayIconMessage);
  ::SendMessageW(f.main->hwnd(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  ASSERT_EQ(f.calls.size(), 2u);
  EXPECT_EQ(f.calls[1].message, static_cast<DWORD>(NIM_ADD));
}

TEST(TrayIcon, TheLoadTileShowsTheNumberOnAnOpaqueTileWithClearCorners) {
  TrayFrame f;
  ASSERT_TRUE(f.main->CreateAndStart());
  TrayIcon& tray = f.main->Tray();
  int previousDark = -1;
  for (int load : {7, 100}) {
    tray.DrawToTrayIcon(std::to_wstring(load), 16, 16);
    const IconPixels tile(tray.CurrentIcon());
    ASSERT_EQ(tile.width, 16);
    ASSERT_EQ(tile.height, 16);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{15, 0}, std::pair{0, 15}, std::pair{15, 15}})
      EXPECT_TRUE(tile.Clear(x, y)) << load << ": corner " << x << "," << y;
    EXPECT_FALSE(tile.Clear(8, 2)) << load;
    EXPECT_EQ(tile.At(8, 2), 0xF9C873u) << load << ": the tile's fill";
    EXPECT_EQ(tile.At(8, 0), 0xBEA466u) << load << ": the tile's border";
    EXPECT_GT(tile.DarkPixels(), 5) << load << ": the number is drawn";
    EXPECT_GT(tile.DarkPixels(), previousDark) << "three characters darken more than one";
    previousDark = tile.DarkPixels();
    EXPECT_EQ(f.calls.back().message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(f.calls.back().icon, tray.CurrentIcon());
  }
}

TEST(TrayIcon, OneGeneratedIconAtATimeAndNoObjectsLeakOverAThousandTicks) {
  TrayFrame f({L"/cpuicon"});
  ASSERT_TRUE(f.main->CreateAndStart());
  TrayIcon& tray = f.main->Tray();
  ASSERT_TRUE(tray.LoadDisplay()) << "CPUICON checks the display at start";
  tray.ShowLoad(1);
  HICON first = tray.CurrentIcon();
  tray.ShowLoad(2);
  EXPECT_FALSE(IconAlive(first)) << "the previous tile is destroyed";
  EXPECT_TRUE(IconAlive(tray.CurrentIcon()));
  const long before = testing::GdiObjectCount();
  for (int tick = 0; tick < 1000; ++tick) tray.ShowLoad(tick % 101);
  const long after = testing::GdiObjectCount();
  std::printf("GDI objects before and after 1,000 tiles: %ld, %ld\n", before, after);
  EXPECT_LE(after, before + 2);
}

TEST(TrayIcon, TheShellGetsANewTileOnlyWhenTheNumberChanges) {
  TrayFrame f({L"/cpuicon"});
  ASSERT_TRUE(f.main->CreateAndStart());
  TrayIcon& tray = f.main->Tray();
  ASSERT_TRUE(tray.LoadDisplay());
  const auto modifies = [&] {
    return std::count_if(f.calls.begin(), f.calls.end(),
                         [](const ShellCall& c) { return c.message == static_cast<DWORD>(NIM_MODIFY); });
  };
  // Ticks with their load, and whether the shell is handed a new icon.
  const struct {
    int load;
    bool handed;
  } ticks[] = {{5, true}, {5, false}, {5, false}, {6, true}, {5, true}, {0, true}, {0, false}, {100, true}};
  for (const auto& t : ticks) {
    const auto before = modifies();
    HICON shown = tray.CurrentIcon();
    tray.ShowLoad(t.load);
    EXPECT_EQ(modifies() - before, t.handed ? 1 : 0) << t.load;
    EXPECT_EQ(tray.CurrentIcon() != shown, t.handed) << t.load;
    EXPECT_EQ(f.calls.back().icon, tray.CurrentIcon()) << t.load;
  }
  // Off and on again: the first tick draws its tile even when the number is the last one shown.
  tray.SetLoadDisplay(false);
  tray.SetLoadDisplay(true);
  const auto before = modifies();
  tray.ShowLoad(100);
  EXPECT_EQ(modifies() - before, 1);
  EXPECT_TRUE(tray.ShowsGeneratedIcon());
  // Display off: the ticks hand nothing to the shell.
  tray.SetLoadDisplay(false);
  const auto off = modifies();
  for (int load : {1, 2, 3}) tray.ShowLoad(load);
  EXPECT_EQ(modifies(), off);
}

TEST(TrayIcon, TurningTheDisplayOffRestoresTheApplicationIconAndBothMenusFollow) {
  TrayFrame f;
  ASSERT_TRUE(f.main->CreateAndStart());
  TrayIcon& tray = f.main->Tray();
  HICON app = tray.CurrentIcon();
  auto checked = [](HMENU menu) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
      wchar_t text[128] = {};
      ::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
      if (std::wstring(text) == TrayIcon::kLoadDisplayCaption)
        return (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0;
    }
    ADD_FAILURE() << "no load display item";
    return false;
  };
  EXPECT_FALSE(checked(tray.Menu()));
  // "恢复" is the default item (bold; a double click would pick it).
  const UINT byDefault = ::GetMenuDefaultItem(tray.Menu(), TRUE, 0);
  ASSERT_NE(byDefault, static_cast<UINT>(-1));
  wchar_t text[32] = {};
  ::GetMenuStringW(tray.Menu(), byDefault, text, 32, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(text), L"恢复");
  // On and off again before any tick: the application's icon is kept, never destroyed.
  tray.SetLoadDisplay(true);
  EXPECT_TRUE(checked(tray.Menu()));
  EXPECT_TRUE(checked(f.main->Menu().menu()));
  tray.SetLoadDisplay(false);
  EXPECT_EQ(tray.CurrentIcon(), app);
  EXPECT_TRUE(IconAlive(app));
  // On, a tile, then off: the tile goes and the application's icon comes back.
  tray.SetLoadDisplay(true);
  tray.ShowLoad(42);
  HICON tile = tray.CurrentIcon();
  ASSERT_NE(tile, app);
  tray.SetLoadDisplay(false);
  EXPECT_FALSE(IconAlive(tile));
  EXPECT_EQ(tray.CurrentIcon(), app);
  EXPECT_EQ(f.calls.back().icon, app);
  EXPECT_FALSE(checked(f.main->Menu().menu()));
}

TEST(TrayIcon, HideGoesToTheTrayAndAClickBringsTheWindowBack) {
  TrayFrame f;
  ASSERT_TRUE(f.main->CreateAndStart());
  f.main->ShowAtStart(SW_SHOWNORMAL);
  HWND hide = nullptr;
  for (HWND b = ::GetWindow(f.main->Actions().hwnd(), GW_CHILD); b; b = ::GetWindow(b, GW_HWNDNEXT)) {
    wchar_t text[32] = {};
    ::GetWindowTextW(b, text, 32);
    if (std::wstring(text) == L"隐藏" && ::IsWindowVisible(b)) hide = b;
  }
  ASSERT_NE(hide, nullptr);
  ::SendMessageW(hide, BM_CLICK, 0, 0);
  EXPECT_FALSE(::IsWindowVisible(f.main->hwnd()));
  ::SendMessageW(f.main->hwnd(), kTrayIconMessage, 1, WM_LBUTTONUP);
  EXPECT_TRUE(::IsWindowVisible(f.main->hwnd()));
}

// The meter belongs to the frame: with no page at all it ticks on its own timer and publishes every processor.
TEST(CpuLoadSource, TicksOnItsOwnTimerWithoutAnyPageUntilStopped) {
  PageFeeds feeds;
  std::vector<CpuLoad> heard;
  feeds.cpuLoad.Follow([&](const CpuLoad& load) { heard.push_back(load); });
  std::vector<std::wstring> log;
  CpuLoadSource source;
  source.Start(feeds.cpuLoad, [&](const std::wstring& line) { log.push_back(line); });
  ASSERT_TRUE(source.Running());
  ASSERT_TRUE(PumpUntil([&] { return !heard.empty(); }, 3000)) << "no tick within 3 s";
  EXPECT_TRUE(log.empty());
  const CpuLoad& load = heard.front();
  EXPECT_EQ(load.processors.size(), NativeProcessorCount());
  for (int32_t value : load.processors) EXPECT_TRUE(value >= 0 && value <= 100) << value;
  EXPECT_TRUE(load.average >= 0 && load.average <= 100) << load.average;

  source.Stop();
  EXPECT_FALSE(source.Running());
  const size_t ticks = heard.size();
  PumpUntil([] { return false; }, 1500);
  EXPECT_EQ(heard.size(), ticks) << "a tick after Stop";
}

// The tray tile and the caption clock follow the meter while the performance page is neither shown nor ticked.
TEST(CpuLoadSource, TheTrayAndTheClockGetTheLoadWhileThePerformancePageIsHidden) {
  TrayFrame f({L"/cpuicon"});
  ASSERT_TRUE(f.main->CreateAndStart());
  f.main->ShowAtStart(SW_SHOWNORMAL);
  ASSERT_NE(f.main->ActivePage(), kPagePerformance);
  ASSERT_FALSE(::IsWindowVisible(f.main->PageAt(kPagePerformance).hwnd()));
  ASSERT_FALSE(f.main->Tray().ShowsGeneratedIcon());
  int ticks = 0;
  f.main->Feeds().cpuLoad.Follow([&](const CpuLoad&) { ++ticks; });
  ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }, 3000)) << "no tick within 3 s";
  EXPECT_TRUE(f.main->Tray().ShowsGeneratedIcon());
  EXPECT_EQ(f.calls.back().icon, f.main->Tray().CurrentIcon());
  const std::wstring clock = f.main->Menu().bar().Button(1).caption;
  const std::wstring load = L" - CPU: " + std::to_wstring(f.main->Feeds().cpuLoad.Value().average) + L"%";
  EXPECT_TRUE(clock.ends_with(load)) << "the clock shows the load the feed has";
}

}  // namespace
}  // namespace vantrel::app
