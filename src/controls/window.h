// A small base class for a window that owns its HWND. Subclasses override HandleMessage; no exception
// ever leaves the window procedure.
#pragma once

#include <windows.h>

namespace vantrel::ui {

class Window {
 public:
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }
  // The object behind a window created by this class, or nullptr.
  static Window* FromHandle(HWND hwnd);

 protected:
  Window() = default;

  struct ClassInfo {
    const wchar_t* name;
    UINT style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HCURSOR cursor = nullptr;  // default: the arrow
    HBRUSH background = nullptr;
  };
  // Registers the class on first use and creates the window with this object behind it.
  bool Create(const ClassInfo& cls, DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int width,
              int height, HWND parent, HMENU menuOrId);

  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // Called after WM_NCDESTROY; hwnd() is null again.
  virtual void OnDestroyed() {}
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) { return ::DefWindowProcW(hwnd_, msg, wParam, lParam); }

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

}  // namespace vantrel::ui
