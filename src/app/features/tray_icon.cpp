#include "app/features/tray_icon.h"

#include "app/frame/window_messages.h"

namespace vantrel::app {
namespace {

constexpr UINT kIconId = 1;
constexpr COLORREF kTileFill = RGB(249, 200, 115);
constexpr COLORREF kTileBorder = RGB(190, 164, 102);

}  // namespace

TrayIcon::TrayIcon() : CommandMenuOwner(0x5000) {
  items_.AddItem(L"恢复", [this] { RestoreWindow(); });
  ::SetMenuDefaultItem(items_.get(), 0, TRUE);
  AddSeparator();
}

void TrayIcon::AddLoadDisplayItem() {
  SetAnchor(AddItem(kLoadDisplayCaption, [this] { SetLoadDisplay(!loadDisplay_); }));
}

TrayIcon::~TrayIcon() {
  if (added_) Notify(NIM_DELETE);
  if (generated_) ::DestroyIcon(generated_);
}

void TrayIcon::Create(HWND window, HICON appIcon, const std::wstring& hint, ShellNotify shellNotify) {
  window_ = window;
  appIcon_ = current_ = appIcon;
  hint_ = hint;
  shellNotify_ = shellNotify ? std::move(shellNotify) : ShellNotify([](DWORD message, NOTIFYICONDATAW* data) {
    return ::Shell_NotifyIconW(message, data);
  });
  taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
  Notify(NIM_ADD);
  added_ = true;
}

void TrayIcon::Notify(DWORD message) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = window_;
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayIconMessage;
  data.hIcon = current_;
  hint_.copy(data.szTip, std::size(data.szTip) - 1);
  // The shell's answer is not examined: nothing could be done about a refusal.
  shellNotify_(message, &data);
}

void TrayIcon::SetLoadDisplay(bool on) {
  loadDisplay_ = on;
  SetItemChecked(Anchor(), on);
  if (onLoadDisplayChanged) onLoadDisplayChanged(on);
  shownLoad_ = -1;
  if (on) return;  // the next tick draws the load
  if (generated_) ::DestroyIcon(generated_);
  generated_ = nullptr;
  current_ = appIcon_;
  Notify(NIM_MODIFY);
}

void TrayIcon::ShowLoad(int average) {
  // Each new icon is a round trip to the shell: an unchanged number keeps the tile.
  if (!loadDisplay_ || average == shownLoad_) return;
  if (DrawToTrayIcon(std::to_wstring(average), 16, 16)) shownLoad_ = average;
}

bool TrayIcon::DrawToTrayIcon(const std::wstring& text, int width, int height) {
  if (width <= 0) width = ::GetSystemMetrics(SM_CXICON);
  if (height <= 0) height = ::GetSystemMetrics(SM_CYICON);
  if (!dc_) dc_.reset(::CreateCompatibleDC(nullptr));
  if (!dc_) return false;
  void* bits = nullptr;
  if (!colour_ || size_.cx != width || size_.cy != height) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    colour_.reset(::CreateDIBSection(dc_.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    mask_.reset(::CreateBitmap(width, height, 1, 1, nullptr));
    size_ = {width, height};
  }
  if (!colour_ || !mask_) return false;
  DIBSECTION section{};
  ::GetObjectW(colour_.get(), sizeof(section), &section);
  auto* pixels = static_cast<uint32_t*>(section.dsBm.bmBits);
  if (!pixels) return false;

  const RECT rc{0, 0, width, height};
  COLORREF transparent = RGB(255, 255, 255);
  {
    win::SelectScope bitmap(dc_.get(), colour_.get());
    ::FillRect(dc_.get(), &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    win::UniqueBrush fill(::CreateSolidBrush(kTileFill));
    win::UniquePen border(::CreatePen(PS_SOLID, 1, kTileBorder));
    {
      win::SelectScope brush(dc_.get(), fill.get());
      win::SelectScope pen(dc_.get(), border.get());
      ::RoundRect(dc_.get(), 0, 0, width, height, 5, 5);
    }
    // A compact face, so that "100" fits a 16-pixel tile.
    win::UniqueFont font(::CreateFontW(-MulDiv(height, 9, 16), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                       NONANTIALIASED_QUALITY, 0, L"Tahoma"));
    win::SelectScope face(dc_.get(), font.get());
    ::SetTextColor(dc_.get(), RGB(0, 0, 0));
    ::SetBkColor(dc_.get(), kTileFill);
    RECT textRect = rc;
    ::DrawTextW(dc_.get(), text.c_str(), static_cast<int>(text.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    ::GdiFlush();
    // The bottom-left pixel lies outside the rounded tile: its colour is the transparent one.
    transparent = ::GetPixel(dc_.get(), 0, height - 1) & 0xFFFFFF;
    // The mask: pixels of the transparent colour become 1 (transparent), the tile 0.
    win::UniqueMemDc maskDc(::CreateCompatibleDC(dc_.get()));
    win::SelectScope maskBitmap(maskDc.get(), mask_.get());
    ::SetBkColor(dc_.get(), transparent);
    ::BitBlt(maskDc.get(), 0, 0, width, height, dc_.get(), 0, 0, SRCCOPY);
  }
  // The colour image is black where the mask is transparent.
  const uint32_t key = (GetRValue(transparent) << 16) | (GetGValue(transparent) << 8) | GetBValue(transparent);
  for (int i = 0; i < width * height; ++i)
    if ((pixels[i] & 0xFFFFFF) == key) pixels[i] = 0;

  ICONINFO info{TRUE, 0, 0, mask_.get(), colour_.get()};
  HICON icon = ::CreateIconIndirect(&info);
  if (!icon) return false;
  if (generated_) ::DestroyIcon(generated_);
  generated_ = current_ = icon;
  // A tile drawn directly, not through ShowLoad, carries no known number.
  shownLoad_ = -1;
  Notify(NIM_MODIFY);
  return true;
}

void TrayIcon::HideWindow() { ::ShowWindow(window_, SW_HIDE); }

void TrayIcon::RestoreWindow() {
  ::ShowWindow(window_, ::IsIconic(window_) ? SW_RESTORE : SW_SHOW);
  ::SetForegroundWindow(window_);
}

void TrayIcon::ShowMenu() {
  POINT at{};
  ::GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only if the window is in the foreground.
  ::SetForegroundWindow(window_);
  ::TrackPopupMenu(items_.get(), TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
  ::PostMessageW(window_, WM_NULL, 0, 0);
}

bool TrayIcon::OnMessage(UINT msg, WPARAM /*wParam*/, LPARAM lParam) {
  if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
    // The shell restarted: its icons are gone.
    Notify(NIM_ADD);
    return true;
  }
  if (msg != kTrayIconMessage) return false;
  switch (LOWORD(lParam)) {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: RestoreWindow(); break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU: ShowMenu(); break;
  }
  return true;
}

}  // namespace vantrel::app
