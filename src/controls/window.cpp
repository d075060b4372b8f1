#include "controls/window.h"

namespace vantrel::ui {

Window::~Window() {
  if (hwnd_) {
    // Detach first so that the messages of the destruction never reach a half-destroyed object.
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    HWND h = hwnd_;
    hwnd_ = nullptr;
    ::DestroyWindow(h);
  }
}

Window* Window::FromHandle(HWND hwnd) {
  return hwnd ? reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

bool Window::Create(const ClassInfo& cls, DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menuOrId) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  if (!::GetClassInfoExW(instance, cls.name, &wc)) {
    wc.cbSize = sizeof(wc);
    wc.style = cls.style;
    wc.lpfnWndProc = &Window::StaticProc;
    wc.hInstance = instance;
    wc.hIcon = cls.icon;
    wc.hIconSm = cls.smallIcon;
    wc.hCursor = cls.cursor ? cls.cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = cls.background;
    wc.lpszClassName = cls.name;
    if (!::RegisterClassExW(&wc)) return false;
  }
  ::CreateWindowExW(exStyle, cls.name, title, style, x, y, width, height, parent, menuOrId, instance, this);
  return hwnd_ != nullptr;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultProc(msg, wParam, lParam); }

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = FromHandle(hwnd);
  }
  if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);

  LRESULT result = 0;
  try {
    result = self->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    // A failing handler must not take the message loop down with it.
    result = ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnDestroyed();
  }
  return result;
}

}  // namespace vantrel::ui
