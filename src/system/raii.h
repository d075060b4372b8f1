// Owners for Windows handles and GDI objects: every handle has exactly one owner that releases it.
#pragma once

#include <windows.h>

#include <utility>

namespace vantrel::win {

// Generic owner: Traits provides Invalid() and Close(T).
template <typename T, typename Traits>
class Unique {
 public:
  Unique() = default;
  explicit Unique(T value) : value_(value) {}
  ~Unique() { reset(); }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : value_(other.release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::Invalid(); }
  T release() { return std::exchange(value_, Traits::Invalid()); }
  void reset(T value = Traits::Invalid()) {
    if (value_ != Traits::Invalid()) Traits::Close(value_);
    value_ = value;
  }
  // For out-parameters: releases the current value first.
  T* put() {
    reset();
    return &value_;
  }

 private:
  T value_ = Traits::Invalid();
};

struct HandleTraits {  // NULL-invalid kernel handles (processes, threads, tokens, mutexes, events)
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FileHandleTraits {  // INVALID_HANDLE_VALUE-invalid handles (files, toolhelp snapshots)
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
template <typename G>
struct GdiTraits {
  static G Invalid() { return nullptr; }
  static void Close(G g) { ::DeleteObject(g); }
};
struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static void Close(HICON h) { ::DestroyIcon(h); }
};
struct MenuTraits {
  static HMENU Invalid() { return nullptr; }
  static void Close(HMENU h) { ::DestroyMenu(h); }
};
struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE h) { ::FreeLibrary(h); }
};
struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct MemDcTraits {
  static HDC Invalid() { return nullptr; }
  static void Close(HDC h) { ::DeleteDC(h); }
};

using UniqueHandle = Unique<HANDLE, HandleTraits>;
using UniqueFileHandle = Unique<HANDLE, FileHandleTraits>;
using UniqueFont = Unique<HFONT, GdiTraits<HFONT>>;
using UniqueBitmap = Unique<HBITMAP, GdiTraits<HBITMAP>>;
using UniqueBrush = Unique<HBRUSH, GdiTraits<HBRUSH>>;
using UniquePen = Unique<HPEN, GdiTraits<HPEN>>;
using UniqueRegion = Unique<HRGN, GdiTraits<HRGN>>;
using UniqueIcon = Unique<HICON, IconTraits>;
using UniqueMenu = Unique<HMENU, MenuTraits>;
using UniqueModule = Unique<HMODULE, ModuleTraits>;
using UniqueRegKey = Unique<HKEY, RegKeyTraits>;
using UniqueMemDc = Unique<HDC, MemDcTraits>;

// Selects a GDI object into a DC for one scope and puts the old one back.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
  ~SelectScope() {
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's DC released at scope end: its client area, or the whole window with its frame.
class WindowDc {
 public:
  enum class Area { Client, Whole };
  explicit WindowDc(HWND hwnd, Area area = Area::Client)
      : hwnd_(hwnd), dc_(area == Area::Client ? ::GetDC(hwnd) : ::GetWindowDC(hwnd)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

}  // namespace vantrel::win
