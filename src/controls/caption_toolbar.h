// Buttons in a top-level window's caption bar, left of the system buttons. NonClient mode paints them into the
// frame the system draws (subclassing the frame window); ClientStrip mode is for systems whose window manager
// draws the frame: the same buttons in a strip at the top of the client area, which the owner places
// (StripHeight()). The owner may draw each button's text itself through onDrawButton.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/dpi.h"
#include "controls/window.h"
#include "system/raii.h"

namespace vantrel::ui {

struct CaptionButton {
  std::wstring caption;
  std::wstring hint;
  int width = 0;  // design pixels; 0: as wide as the caption needs
  bool enabled = true;
  HMENU dropDown = nullptr;  // not owned; drops down under the button, commands go to the frame
  bool handCursor = false;
};

class CaptionToolbar {
 public:
  enum class Mode { NonClient, ClientStrip };
  // The hit-test code a caption button answers with (unused by the system).
  static constexpr LRESULT kHitButton = HTOBJECT;

  CaptionToolbar();
  ~CaptionToolbar();
  CaptionToolbar(const CaptionToolbar&) = delete;
  CaptionToolbar& operator=(const CaptionToolbar&) = delete;

  bool Attach(HWND frame, Mode mode);
  void Detach();
  Mode mode() const { return mode_; }
  HWND frame() const { return frame_; }
  HWND stripHwnd() const;
  int StripHeight() const;

  int AddButton(CaptionButton button);
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  const CaptionButton& Button(int index) const { return buttons_[static_cast<size_t>(index)]; }
  void SetCaption(int index, const std::wstring& caption);
  void SetEnabled(int index, bool enabled);
  void SetHint(int index, const std::wstring& hint);
  // The bar and a button's rectangle: window coordinates of the frame (NonClient) or client coordinates of the strip.
  RECT BarRect() const;
  RECT ButtonRect(int index) const;
  // The button under a screen point, or -1.
  int ButtonAt(POINT screen) const;
  int HotButton() const { return hot_; }
  void Redraw();
  void ApplyDpi(Dpi dpi);

  // Draws a button's caption (pncaToolbarDrawButton); unset: DrawButtonText in white.
  std::function<void(CaptionToolbar& bar, int button, HDC dc, const RECT& barRect, const RECT& buttonRect)>
      onDrawButton;
  std::function<void(int button)> onClick;  // after a drop-down menu closed, too

  // Single-line text, centred, end ellipsis; glowing themed text when the caption is composited.
  static void DrawButtonText(HDC dc, const std::wstring& text, RECT rect, COLORREF color, bool composited,
                             int glowSize = 24);
  // True when the desktop composes the caption (glass).
  static bool CaptionComposited();
  // Simulates a click on a button (for keyboard access and tests): drops its menu down or runs onClick.
  void Click(int index);

 private:
  class Strip;
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR ref);
  LRESULT OnFrameMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc, const RECT& bar, bool copyBackground);
  void PaintNonClient();
  void SetHot(int index);
  int ButtonWidthPx(int index) const;
  void ShowHint(int index);

  std::vector<CaptionButton> buttons_;
  HWND frame_ = nullptr;
  Mode mode_ = Mode::NonClient;
  std::unique_ptr<Strip> strip_;
  HWND tooltip_ = nullptr;
  int hot_ = -1;
  bool tracking_ = false;
  Dpi dpi_;
  win::UniqueFont font_;
};

}  // namespace vantrel::ui
