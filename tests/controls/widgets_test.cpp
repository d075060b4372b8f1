#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "controls/caption_toolbar.h"
#include "controls/collapsible_panel.h"
#include "controls/inspector.h"
#include "controls/simple_controls.h"
#include "host_window.h"

namespace vantrel::ui {
namespace {

struct Host : testing::HostWindow {
  Host() : HostWindow(L"VantrelWidgetTestHost", L"widgets", 50, 50, 800, 500, COLOR_BTNFACE) {}
};

std::wstring ListBoxText(HWND list, int row) {
  wchar_t buf[256] = {};
  ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buf));
  return buf;
}

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!::OpenClipboard(owner)) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(::GlobalLock(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

void PressCtrl(bool down) {
  BYTE keys[256];
  ::GetKeyboardState(keys);
  keys[VK_CONTROL] = down ? 0x80 : 0;
  ::SetKeyboardState(keys);
}

TEST(PropertyInspector, GroupsFoldAndValuesAreReadOnlyButCopyable) {
  Host host;
  PropertyInspector insp;
  ASSERT_TRUE(insp.Create(host.hwnd, 1, RECT{0, 0, 400, 300}));
  insp.BeginUpdate();
  const auto general = insp.AddGroup(L"常规");
  const auto pid = insp.AddItem(general, L"PID", L"4");
  const auto wc = insp.AddItem(general, L"窗口数量", L"3");
  const auto cpu = insp.AddGroup(L"CPU 时间", general, false, RGB(0xE9, 0xE9, 0xE9));
  const auto total = insp.AddItem(cpu, L"总时间", L"00:00:01");
  insp.EndUpdate();
  insp.SetItemVisible(wc, false);
  EXPECT_EQ(insp.ShownItems(), (std::vector<int>{general, pid, cpu}));
  const HWND list = insp.listHwnd();
  EXPECT_EQ(ListBoxText(list, 1), L"PID: 4");  // what a screen reader reads

  insp.SetValue(pid, L"1234");
  EXPECT_EQ(ListBoxText(list, 1), L"PID: 1234");
  insp.SelectItem(pid);
  ::SendMessageW(list, WM_CHAR, L'9', 1);  // typing never edits
  EXPECT_EQ(insp.Value(pid), L"1234");
  PressCtrl(true);
  ::SendMessageW(list, WM_KEYDOWN, 'C', 1);
  PressCtrl(false);
  EXPECT_EQ(ClipboardText(host.hwnd), L"1234");

  // Unfolding by double-click (and by the Right key) shows the sub-group's items; the selection stays.
  RECT rc{};
  ::SendMessageW(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&rc));
  ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 100, (rc.top + rc.bottom) / 2));
  EXPECT_TRUE(insp.Expanded(cpu));
  EXPECT_EQ(insp.ShownItems(), (std::vector<int>{general, pid, cpu, total}));
  insp.SelectItem(general);
  ::SendMessageW(list, WM_KEYDOWN, VK_LEFT, 1);
  EXPECT_EQ(insp.ShownItems(), (std::vector<int>{general}));
  EXPECT_EQ(insp.SelectedItem(), general);
}

TEST(CollapsiblePanel, TheHeaderButtonFoldsTheContent) {
  Host host;
  CollapsiblePanel panel;
  ASSERT_TRUE(panel.Create(host.hwnd, 1, RECT{0, 0, 300, 200}, L"进程详细信息", false));
  HWND content = ::CreateWindowExW(0, L"STATIC", L"x", WS_CHILD, 0, 0, 10, 10, panel.hwnd(), nullptr, nullptr, nullptr);
  panel.SetContent(content);
  std::vector<bool> changes;
  panel.onExpandedChanged = [&](bool e) { changes.push_back(e); };
  EXPECT_FALSE(::IsWindowVisible(content));
  ::SendMessageW(panel.headerHwnd(), BM_CLICK, 0, 0);
  EXPECT_TRUE(panel.Expanded());
  EXPECT_TRUE(::IsWindowVisible(content));
  RECT rc{};
  ::GetWindowRect(content, &rc);
  ::MapWindowPoints(nullptr, panel.hwnd(), reinterpret_cast<POINT*>(&rc), 2);
  EXPECT_EQ(rc.top, panel.HeaderHeight());
  EXPECT_EQ(rc.bottom, 200);
  ::SendMessageW(panel.headerHwnd(), BM_CLICK, 0, 0);
  EXPECT_FALSE(::IsWindowVisible(content));
  EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

class CaptionToolbarTest : public ::testing::TestWithParam<CaptionToolbar::Mode> {};

TEST_P(CaptionToolbarTest, ButtonsAnswerClicksWhenEnabledAndTheOwnerDrawsTheirText) {
  Host host;
  CaptionToolbar bar;
  std::vector<int> clicks;
  std::vector<RECT> drawn;
  bar.onClick = [&](int i) { clicks.push_back(i); };
  bar.onDrawButton = [&](CaptionToolbar&, int, HDC, const RECT&, const RECT& r) { drawn.push_back(r); };
  ASSERT_TRUE(bar.Attach(host.hwnd, GetParam()));
  bar.AddButton({L"Vantrel", L"hint", 0, true, nullptr, true});
  bar.AddButton({L"2026-01-01 12:00:00  CPU 3%", L"", 250, false});
  if (GetParam() == CaptionToolbar::Mode::ClientStrip) {
    ::MoveWindow(bar.stripHwnd(), 0, 0, 780, bar.StripHeight(), TRUE);
    ::UpdateWindow(bar.stripHwnd());
  } else {
    ::RedrawWindow(host.hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  }
  ASSERT_GE(drawn.size(), 2u);
  const RECT b0 = bar.ButtonRect(0), b1 = bar.ButtonRect(1);
  EXPECT_EQ(b1.right - b1.left, 250);
  EXPECT_LT(b0.right, b1.left);
  EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), [&](const RECT& r) { return ::EqualRect(&r, &b1); }));

  // Screen points of the two buttons' centres.
  auto centre = [&](const RECT& r) {
    POINT pt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (GetParam() == CaptionToolbar::Mode::ClientStrip) {
      ::ClientToScreen(bar.stripHwnd(), &pt);
    } else {
      RECT w{};
      ::GetWindowRect(host.hwnd, &w);
      pt.x += w.left;
      pt.y += w.top;
    }
    return pt;
  };
  const POINT p0 = centre(b0), p1 = centre(b1);
  EXPECT_EQ(bar.ButtonAt(p0), 0);
  EXPECT_EQ(bar.ButtonAt(p1), 1);
  if (GetParam() == CaptionToolbar::Mode::NonClient) {
    EXPECT_EQ(::SendMessageW(host.hwnd, WM_NCHITTEST, 0, MAKELPARAM(p0.x, p0.y)), CaptionToolbar::kHitButton);
    RECT w{};
    ::GetWindowRect(host.hwnd, &w);
    // The rest of the caption still moves the window.
    EXPECT_EQ(::SendMessageW(host.hwnd, WM_NCHITTEST, 0, MAKELPARAM(w.left + 100, p0.y)), HTCAPTION);
    ::SendMessageW(host.hwnd, WM_NCLBUTTONDOWN, CaptionToolbar::kHitButton, MAKELPARAM(p1.x, p1.y));
    ::SendMessageW(host.hwnd, WM_NCLBUTTONDOWN, CaptionToolbar::kHitButton, MAKELPARAM(p0.x, p0.y));
  } else {
    POINT c1 = p1, c0 = p0;
    ::ScreenToClient(bar.stripHwnd(), &c1);
    ::ScreenToClient(bar.stripHwnd(), &c0);
    ::SendMessageW(bar.stripHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c1.x, c1.y));
    ::SendMessageW(bar.stripHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c0.x, c0.y));
  }
  EXPECT_EQ(clicks, std::vector<int>{0});  // the disabled clock button does nothing
}

INSTANTIATE_TEST_SUITE_P(Modes, CaptionToolbarTest,
                         ::testing::Values(CaptionToolbar::Mode::NonClient, CaptionToolbar::Mode::ClientStrip));

TEST(OnOffSwitch, AClickTogglesAndReportsButSettingDoesNotReport) {
  Host host;
  OnOffSwitch sw;
  ASSERT_TRUE(sw.Create(host.hwnd, 1, RECT{0, 0, 60, 22}));
  sw.SetAccessibleName(L"自动刷新");
  std::vector<bool> changes;
  sw.onChanged = [&](bool on) { changes.push_back(on); };
  // To assistive technology a check box named after its label, its state read as a check box's.
  wchar_t text[16] = {};
  ::GetWindowTextW(sw.buttonHwnd(), text, 16);
  EXPECT_STREQ(text, L"自动刷新");
  EXPECT_EQ(::GetWindowLongW(sw.buttonHwnd(), GWL_STYLE) & BS_TYPEMASK, BS_CHECKBOX);
  EXPECT_EQ(::SendMessageW(sw.buttonHwnd(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  ::SendMessageW(sw.buttonHwnd(), BM_CLICK, 0, 0);
  EXPECT_TRUE(sw.On());
  EXPECT_EQ(::SendMessageW(sw.buttonHwnd(), BM_GETCHECK, 0, 0), BST_CHECKED);
  sw.SetOn(false);
  EXPECT_EQ(::SendMessageW(sw.buttonHwnd(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(changes, std::vector<bool>{true});
}

TEST(SpinBox, StaysInItsRangeAndStepsWithTheArrows) {
  Host host;
  SpinBox spin;
  ASSERT_TRUE(spin.Create(host.hwnd, 1, RECT{0, 0, 80, 22}, 1, 3600, 10, 1));
  std::vector<int> changes;
  spin.onChanged = [&](int v) { changes.push_back(v); };
  ::SetFocus(spin.editHwnd());
  ::SendMessageW(spin.editHwnd(), WM_KEYDOWN, VK_UP, 1);
  EXPECT_EQ(spin.Value(), 11);
  struct Case {
    const wchar_t* typed;
    int value;
  } cases[] = {{L"3600", 3600}, {L"99999", 3600}, {L"0", 1}, {L"", 1}, {L"25", 25}};
  for (const Case& c : cases) {
    ::SetWindowTextW(spin.editHwnd(), c.typed);
    ::SendMessageW(spin.hwnd(), WM_COMMAND, MAKEWPARAM(1, EN_KILLFOCUS), reinterpret_cast<LPARAM>(spin.editHwnd()));
    EXPECT_EQ(spin.Value(), c.value) << c.typed;
  }
  wchar_t text[16] = {};
  ::SetWindowTextW(spin.editHwnd(), L"0");
  ::SendMessageW(spin.hwnd(), WM_COMMAND, MAKEWPARAM(1, EN_KILLFOCUS), reinterpret_cast<LPARAM>(spin.editHwnd()));
  ::GetWindowTextW(spin.editHwnd(), text, 16);
  EXPECT_STREQ(text, L"1");  // leaving the edit puts a valid number back
  spin.SetValue(3600);
  ::SendMessageW(spin.editHwnd(), WM_KEYDOWN, VK_UP, 1);
  EXPECT_EQ(spin.Value(), 3600);
  EXPECT_EQ(changes.back(), 1);
}

TEST(FilterBox, EnterAndTheLeftButtonApplyTheRightButtonClears) {
  Host host;
  FilterBox filter;
  ASSERT_TRUE(filter.Create(host.hwnd, 1, RECT{0, 0, 200, 24}, L"名称过滤器"));
  int enters = 0, lefts = 0, rights = 0;
  filter.onEnter = [&] { ++enters; };
  filter.onLeftButton = [&] { ++lefts; };
  filter.onRightButton = [&] { ++rights; };
  wchar_t cue[64] = {};
  ::SendMessageW(filter.editHwnd(), EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 64);
  EXPECT_STREQ(cue, L"名称过滤器");
  filter.SetText(L"svc");
  ::SendMessageW(filter.editHwnd(), WM_KEYDOWN, VK_RETURN, 1);
  PressCtrl(true);
  ::SendMessageW(filter.editHwnd(), WM_KEYDOWN, VK_RETURN, 1);  // Ctrl+Enter is not a plain Enter
  PressCtrl(false);
  ::SendMessageW(filter.leftButtonHwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(filter.Text(), L"svc");
  ::SendMessageW(filter.rightButtonHwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(filter.Text(), L"");
  EXPECT_EQ(::GetFocus(), filter.editHwnd());
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(lefts, 1);
  EXPECT_EQ(rights, 1);
}

}  // namespace
}  // namespace vantrel::ui
