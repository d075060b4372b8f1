// Sizes are designed at 96 DPI and scaled to the DPI of the window's monitor.
#pragma once

#include <windows.h>

namespace vantrel::ui {

class Dpi {
 public:
  static constexpr UINT kDesign = 96;

  Dpi() = default;
  explicit Dpi(UINT dpi) : dpi_(dpi ? dpi : kDesign) {}
  // The DPI of the window's monitor (GetDpiForWindow when the system has it).
  static Dpi ForWindow(HWND hwnd);

  UINT value() const { return dpi_; }
  int Scale(int design) const { return ::MulDiv(design, static_cast<int>(dpi_), kDesign); }
  int Unscale(int px) const { return ::MulDiv(px, kDesign, static_cast<int>(dpi_)); }

 private:
  UINT dpi_ = kDesign;
};

// System metrics for a DPI (GetSystemMetricsForDpi when the system has it).
int SystemMetricForDpi(int index, const Dpi& dpi);

// The message font (NONCLIENTMETRICS) at the given DPI, or at a point size when one is given. Caller owns it.
HFONT CreateUiFont(const Dpi& dpi, int pointSize = 0, bool bold = false, const wchar_t* face = nullptr);

}  // namespace vantrel::ui
