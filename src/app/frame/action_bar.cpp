#include "app/frame/action_bar.h"

namespace vantrel::app {
namespace {

constexpr int kButtonHeight = 28;
constexpr int kGap = 6;
constexpr int kMargin = 8;
constexpr int kFirstButtonId = 100;

}  // namespace

void ActionBar::Button::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (bar_) bar_->Layout();
}

ActionBar::Button& ActionBar::Group::Add(const std::wstring& caption, std::function<void()> onClick, int designWidth) {
  return bar_->AddButton(page_, caption, std::move(onClick), designWidth);
}

ActionBar::ActionBar() = default;

bool ActionBar::Create(HWND parent) {
  if (!band_.Create(parent)) return false;
  band_.onMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return OnMessage(msg, wParam, lParam, result);
  };
  ::ShowWindow(band_.hwnd(), SW_SHOW);
  return true;
}

ActionBar::Group& ActionBar::GroupOf(int page) {
  for (Group& g : groups_)
    if (g.page_ == page) return g;
  Group& g = groups_.emplace_back();
  g.bar_ = this;
  g.page_ = page;
  return g;
}

ActionBar::Button& ActionBar::AddShared(const std::wstring& caption, std::function<void()> onClick, bool atRight,
                                        int designWidth) {
  return AddButton(atRight ? -2 : -1, caption, std::move(onClick), designWidth);
}

ActionBar::Button& ActionBar::AddButton(int group, const std::wstring& caption, std::function<void()> onClick,
                                        int designWidth) {
  Button& b = buttons_.emplace_back();
  b.bar_ = this;
  b.group_ = group;
  b.designWidth_ = designWidth;
  b.onClick_ = std::move(onClick);
  const int id = kFirstButtonId + static_cast<int>(buttons_.size()) - 1;
  b.hwnd_ =
      ::CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, band_.hwnd(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
  if (font_) ::SendMessageW(b.hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  Layout();
  return b;
}

void ActionBar::ShowGroup(int page) {
  shownGroup_ = page;
  Layout();
}

void ActionBar::SetBounds(const RECT& band, const ui::Dpi& dpi) {
  dpi_ = dpi;
  ::MoveWindow(band_.hwnd(), band.left, band.top, band.right - band.left, band.bottom - band.top, TRUE);
  Layout();
}

void ActionBar::SetFont(HFONT font) {
  font_ = font;
  for (Button& b : buttons_) ::SendMessageW(b.hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void ActionBar::Layout() {
  RECT client{};
  ::GetClientRect(band_.hwnd(), &client);
  const int height = dpi_.Scale(kButtonHeight);
  const int y = (client.bottom - height) / 2;
  auto place = [&](Button& b, int x) {
    ::MoveWindow(b.hwnd_, x, y, dpi_.Scale(b.designWidth_), height, TRUE);
    ::ShowWindow(b.hwnd_, SW_SHOW);
  };
  int left = dpi_.Scale(kMargin);
  for (int group : {shownGroup_, -1}) {
    for (Button& b : buttons_) {
      if (b.group_ != group) continue;
      if (!b.visible_) {
        ::ShowWindow(b.hwnd_, SW_HIDE);
        continue;
      }
      place(b, left);
      left += dpi_.Scale(b.designWidth_) + dpi_.Scale(kGap);
    }
  }
  int right = client.right - dpi_.Scale(kMargin);
  for (auto it = buttons_.rbegin(); it != buttons_.rend(); ++it) {
    Button& b = *it;
    if (b.group_ == -2 && b.visible_) {
      right -= dpi_.Scale(b.designWidth_);
      place(b, right);
      right -= dpi_.Scale(kGap);
    } else if (b.group_ == -2 || (b.group_ >= 0 && b.group_ != shownGroup_)) {
      ::ShowWindow(b.hwnd_, SW_HIDE);
    }
  }
}

bool ActionBar::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (msg == WM_SIZE) {
    Layout();
    *result = 0;
    return true;
  }
  if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
  const HWND from = reinterpret_cast<HWND>(lParam);
  for (Button& b : buttons_) {
    if (b.hwnd_ != from) continue;
    if (b.onClick_) b.onClick_();
    *result = 0;
    return true;
  }
  return false;
}

}  // namespace vantrel::app
