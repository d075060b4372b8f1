// Off-screen drawing for the controls that paint themselves: draw into dc(), and the destructor copies the result
// to the target in one blit and releases the bitmap and DC.
#pragma once

#include <windows.h>

#include <string>

#include "system/raii.h"

namespace vantrel::ui {

class PaintBuffer {
 public:
  // copyBackground starts the buffer with what the target shows (for drawing over a frame the system painted).
  PaintBuffer(HDC target, const RECT& rect, bool copyBackground = false) : target_(target), rect_(rect) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;
    mem_.reset(::CreateCompatibleDC(target));
    bitmap_.reset(::CreateCompatibleBitmap(target, w, h));
    if (!mem_ || !bitmap_) return;
    old_ = ::SelectObject(mem_.get(), bitmap_.get());
    if (copyBackground) ::BitBlt(mem_.get(), 0, 0, w, h, target, rect.left, rect.top, SRCCOPY);
    ::SetWindowOrgEx(mem_.get(), rect.left, rect.top, nullptr);
  }
  ~PaintBuffer() {
    if (!old_) return;
    ::SetWindowOrgEx(mem_.get(), 0, 0, nullptr);
    ::BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, mem_.get(), 0, 0,
             SRCCOPY);
    ::SelectObject(mem_.get(), old_);
  }
  PaintBuffer(const PaintBuffer&) = delete;
  PaintBuffer& operator=(const PaintBuffer&) = delete;

  // The DC to draw into: the off-screen one, or the target itself when no bitmap could be made.
  HDC dc() const { return old_ ? mem_.get() : target_; }

 private:
  HDC target_;
  RECT rect_;
  win::UniqueMemDc mem_;
  win::UniqueBitmap bitmap_;
  HGDIOBJ old_ = nullptr;
};

// Fills a rectangle with a colour without creating a brush.
inline void FillSolid(HDC dc, const RECT& rc, COLORREF color) {
  const COLORREF old = ::SetDCBrushColor(dc, color);
  ::FillRect(dc, &rc, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
  ::SetDCBrushColor(dc, old);
}

// Puts text on the clipboard; false when the clipboard could not be opened or set.
bool CopyTextToClipboard(HWND owner, const std::wstring& text);

}  // namespace vantrel::ui
