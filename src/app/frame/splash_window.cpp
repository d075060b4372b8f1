#include "app/frame/splash_window.h"

#include <memory>
#include <string>

#include "controls/dpi.h"
#include "controls/window.h"
#include "resource_ids.h"
#include "system/raii.h"

namespace vantrel::app {
namespace {

constexpr int kWidth = 434;
constexpr int kHeight = 62;
constexpr COLORREF kFace = RGB(0xF5, 0xF5, 0xF5);  // 16119285
constexpr COLORREF kCorner = RGB(0xB4, 0xB4, 0xB4);

class SplashWindow : public ui::Window {
 public:
  bool Create(HWND over) {
    icon_.reset(static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    // No taskbar button and no activation by clicks: it only informs.
    if (!Window::Create({L"Twnd_tm_Splash"}, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"Vantrel", WS_POPUP, 0, 0, kWidth,
                        kHeight, nullptr, nullptr))
      return false;
    const ui::Dpi dpi = ui::Dpi::ForWindow(hwnd());
    const int w = dpi.Scale(kWidth), h = dpi.Scale(kHeight);
    RECT area;
    if (over && ::IsWindowVisible(over)) {
      ::GetWindowRect(over, &area);
    } else {
      ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int x = area.left + (area.right - area.left - w) / 2;
    const int y = area.top + (area.bottom - area.top - h) / 2;
    ::SetWindowPos(hwnd(), HWND_TOPMOST, x, y, w, h, SWP_NOACTIVATE);
    // Only the rounded face shows; the corners around it are cut away.
    HRGN face = ::CreateRoundRectRgn(0, 0, w + 1, h + 1, dpi.Scale(16), dpi.Scale(16));
    if (face && !::SetWindowRgn(hwnd(), face, FALSE)) ::DeleteObject(face);  // the window owns it on success
    titleFont_.reset(ui::CreateUiFont(dpi, 12, true));
    textFont_.reset(ui::CreateUiFont(dpi));
    return true;
  }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_ERASEBKGND: return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd(), &ps);
        Paint(dc);
        ::EndPaint(hwnd(), &ps);
        return 0;
      }
      case WM_ACTIVATE:
        // Take the focus back from other programs, but never from a window of our own (a message box).
        if (LOWORD(wParam) == WA_INACTIVE) {
          HWND other = reinterpret_cast<HWND>(lParam);
          DWORD pid = 0;
          if (other) ::GetWindowThreadProcessId(other, &pid);
          if (other && pid != ::GetCurrentProcessId()) ::SetForegroundWindow(hwnd());
        }
        return 0;
      case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    }
    return Window::HandleMessage(msg, wParam, lParam);
  }

 private:
  void Paint(HDC target) {
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    win::UniqueMemDc dc(::CreateCompatibleDC(target));
    win::UniqueBitmap bmp(::CreateCompatibleBitmap(target, rc.right, rc.bottom));
    if (!dc || !bmp) return;
    win::SelectScope selBmp(dc.get(), bmp.get());
    const ui::Dpi dpi = ui::Dpi::ForWindow(hwnd());
    win::UniqueBrush face(::CreateSolidBrush(kFace));
    ::FillRect(dc.get(), &rc, face.get());
    // Four small grey circles in the corners.
    win::UniqueBrush corner(::CreateSolidBrush(kCorner));
    win::UniquePen noPen(::CreatePen(PS_NULL, 0, 0));
    {
      win::SelectScope b(dc.get(), corner.get());
      win::SelectScope p(dc.get(), noPen.get());
      const int d = dpi.Scale(6), m = dpi.Scale(6);
      for (POINT c : {POINT{m, m}, POINT{rc.right - m - d, m}, POINT{m, rc.bottom - m - d},
                      POINT{rc.right - m - d, rc.bottom - m - d}})
        ::Ellipse(dc.get(), c.x, c.y, c.x + d, c.y + d);
    }
    const int iconSize = dpi.Scale(32);
    const int iconY = (rc.bottom - iconSize) / 2;
    if (icon_) {
      ::DrawIconEx(dc.get(), dpi.Scale(20), iconY, icon_.get(), iconSize, iconSize, 0, nullptr, DI_NORMAL);
      ::DrawIconEx(dc.get(), rc.right - dpi.Scale(20) - iconSize, iconY, icon_.get(), iconSize, iconSize, 0, nullptr,
                   DI_NORMAL);
    }
    ::SetBkMode(dc.get(), TRANSPARENT);
    ::SetTextColor(dc.get(), RGB(0x20, 0x20, 0x20));
    RECT title{0, dpi.Scale(8), rc.right, rc.bottom / 2 + dpi.Scale(2)};
    {
      win::SelectScope f(dc.get(), titleFont_.get());
      ::DrawTextW(dc.get(), L"Vantrel", -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    RECT text{0, rc.bottom / 2, rc.right, rc.bottom - dpi.Scale(6)};
    win::SelectScope f(dc.get(), textFont_.get());
    ::DrawTextW(dc.get(), L"收集信息，请等待...", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::BitBlt(target, 0, 0, rc.right, rc.bottom, dc.get(), 0, 0, SRCCOPY);
  }

  win::UniqueIcon icon_;  // loaded without LR_SHARED: ours to destroy
  win::UniqueFont titleFont_;
  win::UniqueFont textFont_;
};

std::unique_ptr<SplashWindow> g_splash;
bool g_suspended = false;

}  // namespace

void ShowSplash(HWND over) {
  ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  if (!g_splash) {
    auto splash = std::make_unique<SplashWindow>();
    if (!splash->Create(over)) return;
    g_splash = std::move(splash);
  }
  if (!g_suspended) {
    ::ShowWindow(g_splash->hwnd(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(g_splash->hwnd());
  }
}

void HideSplash() {
  std::unique_ptr<SplashWindow> splash = std::move(g_splash);
  splash.reset();
  ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
}

HWND SplashHandle() { return g_splash ? g_splash->hwnd() : nullptr; }

void SuspendSplash(bool suspended) {
  g_suspended = suspended;
  if (!g_splash) return;
  ::ShowWindow(g_splash->hwnd(), suspended ? SW_HIDE : SW_SHOWNOACTIVATE);
  if (!suspended) ::UpdateWindow(g_splash->hwnd());
}

}  // namespace vantrel::app
