// The window reader and the window actions against windows of this test and of child processes.
#include "system/windows/window_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "core/windows/window_tree.h"
#include "proc_children.h"
#include "system/process/process_snapshot.h"

namespace vantrel {
namespace {

bool WaitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 100; ++i) {
    if (done()) return true;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

const WindowInfo* FindWindow(const std::vector<WindowInfo>& list, HWND hwnd) {
  for (const WindowInfo& w : list)
    if (w.Handle == static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd))) return &w;
  return nullptr;
}

uint32_t H(HWND hwnd) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd)); }

class WindowReaderTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    children_ = new test::ChildProcesses;
    window_ = children_->Start(L"window", L"");
    hung_ = children_->Start(L"hung", L"");
    ASSERT_TRUE(window_ && hung_);
    ASSERT_TRUE(WaitUntil([] { return GetProcessWindowCount(window_) > 0 && GetProcessWindowCount(hung_) > 0; }));
  }
  static void TearDownTestSuite() { delete children_; }

  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VantrelWinTest";
    ::RegisterClassW(&wc);
    main_ = Make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"Main window", nullptr);
    child_ = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, main_, nullptr, nullptr,
                               nullptr);
    owned_ = Make(WS_EX_DLGMODALFRAME, WS_POPUP | WS_CAPTION | WS_VISIBLE, L"Owned dialog", main_);
    hidden_ = Make(0, WS_OVERLAPPEDWINDOW, L"Hidden", nullptr);
    hiddenChild_ = ::CreateWindowExW(0, L"STATIC", L"under hidden", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, hidden_,
                                     nullptr, nullptr, nullptr);
    ASSERT_TRUE(main_ && child_ && owned_ && hidden_ && hiddenChild_);
  }
  void TearDown() override {
    for (HWND h : {owned_, main_, hidden_})
      if (::IsWindow(h)) ::DestroyWindow(h);
  }
  static HWND Make(DWORD ex, DWORD style, const wchar_t* text, HWND owner) {
    return ::CreateWindowExW(ex, L"VantrelWinTest", text, style, 10, 20, 300, 200, owner, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
  }

  static inline test::ChildProcesses* children_ = nullptr;
  static inline DWORD window_ = 0, hung_ = 0;
  HWND main_{}, child_{}, owned_{}, hidden_{}, hiddenChild_{};
};

// Each listed window's parent in the tree built from the list, or 0 for a root.
uint32_t TreeParentOf(const std::vector<WindowInfo>& list, HWND hwnd) {
  const std::vector<int> parents = BuildWindowHierarchy(WindowLinks(list));
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].Handle == H(hwnd)) return parents[i] < 0 ? 0 : list[static_cast<size_t>(parents[i])].Handle;
  return 0xFFFFFFFF;
}

TEST_F(WindowReaderTest, OwnWindowsFormATreeByParentAndOwner) {
  const std::vector<WindowInfo> shown = ReadProcessWindows(::GetCurrentProcessId(), false);
  const WindowInfo* main = FindWindow(shown, main_);
  ASSERT_TRUE(main && FindWindow(shown, child_) && FindWindow(shown, owned_));
  EXPECT_EQ(main->Text, L"Main window");
  EXPECT_EQ(main->ClassName, L"VantrelWinTest");
  EXPECT_EQ(main->Process, ::GetCurrentProcessId());
  EXPECT_EQ(main->Thread, ::GetCurrentThreadId());
  EXPECT_EQ(main->Rect.Right - main->Rect.Left, 300);
  EXPECT_EQ(main->WndProc, static_cast<int64_t>(::GetWindowLongPtrW(main_, GWLP_WNDPROC)));
  EXPECT_EQ(main->Instance, static_cast<int64_t>(reinterpret_cast<intptr_t>(::GetModuleHandleW(nullptr))));
  EXPECT_TRUE(main->Visible);
  EXPECT_TRUE(main->Styles.empty());  // names only when asked for
  EXPECT_EQ(TreeParentOf(shown, owned_), H(main_));  // a top-level window under its owner
  EXPECT_EQ(TreeParentOf(shown, child_), H(main_));
  EXPECT_EQ(TreeParentOf(shown, main_), 0u);
  // Switched off, the hidden window and its child with WS_VISIBLE are both left out.
  EXPECT_FALSE(FindWindow(shown, hidden_));
  EXPECT_FALSE(FindWindow(shown, hiddenChild_));

  const std::vector<WindowInfo> all = ReadProcessWindows(::GetCurrentProcessId(), true);
  ASSERT_TRUE(FindWindow(all, hidden_) && FindWindow(all, hiddenChild_));
  EXPECT_FALSE(FindWindow(all, hidden_)->Visible);
  EXPECT_EQ(TreeParentOf(all, hiddenChild_), H(hidden_));

  const WindowInfo named = ReadWindowInfo(owned_, true);
  EXPECT_NE(std::find(named.Styles.begin(), named.Styles.end(), L"WS_POPUP"), named.Styles.end());
  EXPECT_NE(std::find(named.ExStyles.begin(), named.ExStyles.end(), L"WS_EX_DLGMODALFRAME"), named.ExStyles.end());
  EXPECT_EQ(named.ParentWin, static_cast<int64_t>(reinterpret_cast<intptr_t>(main_)));
}

TEST_F(WindowReaderTest, AnotherProcessWindowWithClassAndTitle) {
  EXPECT_TRUE(ReadProcessWindows(window_, false).empty());  // its window is never shown
  const std::vector<WindowInfo> all = ReadProcessWindows(window_, true);
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all[0].ClassName, L"VantrelProcChild");
  EXPECT_EQ(all[0].Text, L"proc_child window");
  EXPECT_EQ(all[0].Process, window_);
}

TEST_F(WindowReaderTest, HungWindowGivesAnEmptyTextWithinTwoSeconds) {
  const auto start = std::chrono::steady_clock::now();
  const std::vector<WindowInfo> all = ReadProcessWindows(hung_, true);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all[0].ClassName, L"VantrelProcChild");
  EXPECT_EQ(all[0].Text, L"");
  EXPECT_LT(elapsed, std::chrono::seconds(2));
  EXPECT_EQ(GetWndText(reinterpret_cast<HWND>(static_cast<uintptr_t>(all[0].Handle)), true), L"VantrelProcChild");
}

// A thread of this process that owns six windows and stops answering: the reader asks it once, not six times.
TEST_F(WindowReaderTest, HungThreadIsAskedOnceAndOtherThreadsStillAnswer) {
  win::UniqueHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::vector<HWND> hungWindows;
  std::thread hungThread([&] {
    const HWND top = Make(0, WS_OVERLAPPEDWINDOW, L"hung top", nullptr);
    hungWindows.push_back(top);
    for (int i = 0; i < 5; ++i)
      hungWindows.push_back(::CreateWindowExW(0, L"STATIC", L"hung child", WS_CHILD | WS_VISIBLE, 0, 0, 9, 9, top,
                                              nullptr, nullptr, nullptr));
    ::SetEvent(ready.get());
    ::WaitForSingleObject(release.get(), 30000);  // no message is answered meanwhile
    ::DestroyWindow(top);
  });
  ASSERT_EQ(::WaitForSingleObject(ready.get(), 5000), WAIT_OBJECT_0);
  const auto start = std::chrono::steady_clock::now();
  const std::vector<WindowInfo> all = ReadProcessWindows(::GetCurrentProcessId(), true);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ::SetEvent(release.get());
  hungThread.join();
  EXPECT_LT(elapsed, std::chrono::seconds(2));
  for (HWND h : hungWindows) {
    const WindowInfo* w = FindWindow(all, h);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Text, L"");
  }
  ASSERT_TRUE(FindWindow(all, main_));
  EXPECT_EQ(FindWindow(all, main_)->Text, L"Main window");
}

TEST_F(WindowReaderTest, ActionsWorkOnTheCopiedTargetAndRefuseAStaleOne) {
  WindowInfo info = ReadWindowInfo(owned_, false);
  WindowTarget target = WindowTargetOf(info);
  WindowActionOutcome out = ToggleWindowVisibility(target);
  EXPECT_TRUE(out.Ok);
  EXPECT_FALSE(::IsWindowVisible(owned_));
  target.Visible = false;
  EXPECT_TRUE(ToggleWindowVisibility(target).Ok);
  EXPECT_TRUE(::IsWindowVisible(owned_));

  // Another process's window is shown without waiting for it, the hung one too.
  for (DWORD pid : {window_, hung_}) {
    const std::vector<WindowInfo> list = ReadProcessWindows(pid, true);
    ASSERT_FALSE(list.empty());
    const HWND other = reinterpret_cast<HWND>(static_cast<uintptr_t>(list[0].Handle));
    EXPECT_TRUE(ToggleWindowVisibility(WindowTargetOf(list[0])).Ok);
    if (pid == window_) {
      EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(other) != FALSE; }));
      WindowTarget shown = WindowTargetOf(list[0]);
      shown.Visible = true;
      EXPECT_TRUE(ToggleWindowVisibility(shown).Ok);
      EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(other); }));
    }
  }

  WindowTarget wrongClass = target;
  wrongClass.ClassName = L"SomethingElse";  // the handle now names another window
  out = CloseWindowTarget(wrongClass);
  EXPECT_FALSE(out.Ok);
  EXPECT_EQ(out.Error, static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_TRUE(::IsWindow(owned_));

  EXPECT_TRUE(CloseWindowTarget(target).Ok);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(owned_); }));
  out = CloseWindowTarget(target);
  EXPECT_FALSE(out.Ok);
  EXPECT_EQ(out.Error, static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

}  // namespace
}  // namespace vantrel
