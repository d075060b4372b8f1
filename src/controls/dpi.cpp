#include "controls/dpi.h"

#include <cwchar>

namespace vantrel::ui {
namespace {

template <typename Fn>
Fn BindUser32(const char* name) {
  static HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

Dpi Dpi::ForWindow(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = BindUser32<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && hwnd) {
    if (UINT dpi = getDpiForWindow(hwnd)) return Dpi(dpi);
  }
  HDC dc = ::GetDC(hwnd);
  const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : kDesign;
  if (dc) ::ReleaseDC(hwnd, dc);
  return Dpi(static_cast<UINT>(dpi));
}

int SystemMetricForDpi(int index, const Dpi& dpi) {
  using Fn = int(WINAPI*)(int, UINT);
  static const auto forDpi = BindUser32<Fn>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, dpi.value());
  return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi.value()), Dpi::kDesign);
}

HFONT CreateUiFont(const Dpi& dpi, int pointSize, bool bold, const wchar_t* face) {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  LOGFONTW lf{};
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
    lf = ncm.lfMessageFont;
    // The system answers for the system DPI; rescale to the window's.
    HDC screen = ::GetDC(nullptr);
    const int systemDpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : Dpi::kDesign;
    if (screen) ::ReleaseDC(nullptr, screen);
    lf.lfHeight = ::MulDiv(lf.lfHeight, static_cast<int>(dpi.value()), systemDpi);
  } else {
    lf.lfHeight = -dpi.Scale(11);
    std::wcscpy(lf.lfFaceName, L"Tahoma");
  }
  if (pointSize > 0) lf.lfHeight = -::MulDiv(pointSize, static_cast<int>(dpi.value()), 72);
  if (bold) lf.lfWeight = FW_BOLD;
  if (face) {
    std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
  }
  lf.lfQuality = CLEARTYPE_QUALITY;
  return ::CreateFontIndirectW(&lf);
}

}  // namespace vantrel::ui
