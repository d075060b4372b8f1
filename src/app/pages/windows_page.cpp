#include "app/pages/windows_page.h"

#include <algorithm>
#include <exception>
#include <utility>

#include <commctrl.h>

#include "app/pages/windows_texts.h"
#include "controls/message_dialogs.h"
#include "core/shell/pages.h"
#include "core/windows/window_tree.h"
#include "system/text/locale_text.h"
#include "system/windows/window_reader.h"

namespace vantrel::app {
namespace texts = windows_texts;
namespace {

constexpr int kIdProcessList = 10;
constexpr int kIdInvisibleSwitch = 11;

const WindowInfo& InfoOf(const ui::TreeNode& node) { return *node.As<WindowInfo>(); }

// The two pictures of the tree column: a window (image 1) and the same window dimmed and dashed (image 0).
HIMAGELIST CreateWindowImages() {
  constexpr int kSize = 16;
  constexpr COLORREF kMask = RGB(255, 0, 255);
  HIMAGELIST images = ::ImageList_Create(kSize, kSize, ILC_COLOR24 | ILC_MASK, 2, 0);
  if (!images) return nullptr;
  const HDC screen = ::GetDC(nullptr);
  win::UniqueMemDc dc(::CreateCompatibleDC(screen));
  win::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, kSize * 2, kSize));
  ::ReleaseDC(nullptr, screen);
  if (!dc || !bitmap) return images;
  {
    win::SelectScope bitmapSel(dc.get(), bitmap.get());
    auto fill = [&](int l, int t, int r, int b, COLORREF colour) {
      RECT rc{l, t, r, b};
      ::SetDCBrushColor(dc.get(), colour);
      ::FillRect(dc.get(), &rc, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    };
    fill(0, 0, kSize * 2, kSize, kMask);
    // Image 0, invisible: a dashed grey outline with a pale title bar.
    fill(1, 2, 15, 5, RGB(200, 200, 200));
    for (int i = 1; i < 15; i += 2) {
      fill(i, 2, i + 1, 3, RGB(128, 128, 128));
      fill(i, 13, i + 1, 14, RGB(128, 128, 128));
    }
    for (int j = 2; j < 14; j += 2) {
      fill(1, j, 2, j + 1, RGB(128, 128, 128));
      fill(14, j, 15, j + 1, RGB(128, 128, 128));
    }
    // Image 1, visible: a framed window with a blue title bar.
    fill(kSize + 1, 2, kSize + 15, 14, RGB(0, 0, 96));
    fill(kSize + 2, 3, kSize + 14, 6, RGB(40, 90, 200));
    fill(kSize + 2, 6, kSize + 14, 13, RGB(255, 255, 255));
  }
  ::ImageList_AddMasked(images, bitmap.get(), kMask);
  return images;
}

std::wstring ActionErrorText(const WindowTarget& target, bool close, DWORD error) {
  const wchar_t* what = close ? texts::kClosed : (target.Visible ? texts::kHidden : texts::kShown);
  return texts::kErrorBefore + std::to_wstring(target.Handle) + L"]" + target.ClassName + texts::kErrorCannotBe + what +
         L".\r\n" + SystemErrorText(error);
}

}  // namespace

WindowsPage::WindowsPage() : TreePage(kPageWindows) {}

WindowsPage::~WindowsPage() {
  if (images_) ::ImageList_Destroy(images_);
}

bool WindowsPage::OnCreate() {
  PageFeeds& feeds = host().Feeds();
  feeds.windowedProcesses.Follow([this](const std::vector<ProcessChoice>& p) { OfferProcesses(p); });
  feeds.focusedProcess.Follow([this](const uint32_t& pid) { FollowFocusedProcess(pid); });
  if (!CreateTree() || !CreateStrip()) return false;
  ui::TreeGrid& grid = tree();
  using A = ui::ColumnAlign;
  grid.SetColumns({{texts::kColumns[Index(WindowColumn::Handle)], A::Right, 80},
                   {texts::kColumns[Index(WindowColumn::ClassName)], A::Left, 521, 100, true},
                   {texts::kColumns[Index(WindowColumn::Text)], A::Left, 200}});
  grid.SetTreeColumn(Index(WindowColumn::ClassName));
  grid.SetShowExpandButtons(true);
  grid.SetTreeLayout(true);  // the tree does not sort
  images_ = CreateWindowImages();
  if (images_) grid.SetImageList(images_);
  grid.onGetText = [](const ui::TreeNode& node, int column) { return WindowCellText(InfoOf(node), column); };
  grid.onGetImage = [](const ui::TreeNode& node, int column) {
    return column == Index(WindowColumn::ClassName) ? WindowImageIndex(InfoOf(node)) : -1;
  };
  grid.onGetCellStyle = [](const ui::TreeNode& node, int column) {
    ui::TreeGrid::CellStyle style;
    style.bold = WindowCellBold(InfoOf(node), column);
    return style;
  };
  grid.onGetKey = [](const ui::TreeNode& node) { return std::to_wstring(InfoOf(node).Handle); };
  grid.onFocusChanged = [this](ui::TreeNode* node) { OnFocusChanged(node); };
  grid.onDoubleClick = [this](ui::TreeNode* node) {
    details_.SetExpanded(true);
    if (node) tree().ScrollIntoView(node, true);
  };

  const RECT none{0, 0, 0, 0};
  if (!details_.Create(hwnd(), 111, none, texts::kDetailsPanel, false) ||
      !inspector_.Create(details_.hwnd(), 112, none))
    return false;
  ::ShowWindow(details_.hwnd(), SW_SHOW);
  inspector_.SetNameWidth(200);
  details_.SetContent(inspector_.hwnd());
  details_.onExpandedChanged = [this](bool) {
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    OnLayout(rc.right, rc.bottom);
  };

  // Both act on the focused window: disabled until one has the focus.
  visibility_ = &actions().Add(WindowVisibilityCaption(true), [this] { ActOnFocusedWindow(false); });
  close_ = &actions().Add(texts::kCloseButton, [this] { ActOnFocusedWindow(true); });
  visibility_->SetEnabled(false);
  close_->SetEnabled(false);
  return true;
}

bool WindowsPage::CreateStrip() {
  const HWND strip = Strip();
  if (!strip) return false;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  // A ComboBoxEx, for the process icons beside the captions.
  processList_ =
      ::CreateWindowExW(0, WC_COMBOBOXEXW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
                        0, 0, 0, strip, reinterpret_cast<HMENU>(kIdProcessList), instance, nullptr);
  invisibleLabel_ = ::CreateWindowExW(0, L"STATIC", texts::kInvisibleSwitchLabel,
                                      WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_RIGHT | SS_CENTERIMAGE, 0, 0, 0, 0,
                                      strip, nullptr, instance, nullptr);
  const RECT none{0, 0, 0, 0};
  if (!processList_ || !invisibleLabel_ || !invisibleSwitch_.Create(strip, kIdInvisibleSwitch, none)) return false;
  ::ShowWindow(invisibleSwitch_.hwnd(), SW_SHOW);
  invisibleSwitch_.SetAccessibleName(texts::kInvisibleSwitchLabel);
  invisibleSwitch_.onChanged = [this](bool) { host().RefreshCommand(); };
  return true;
}

void WindowsPage::OnLayout(int width, int height) {
  const ui::Dpi& dpi = host().Dpi();
  const int panel = details_.Expanded() ? std::min(dpi.Scale(300), height / 2) : details_.HeaderHeight();
  const int treeBottom = std::max(0, height - panel);
  ::MoveWindow(tree().hwnd(), 0, 0, width, treeBottom, TRUE);
  ::MoveWindow(details_.hwnd(), 0, treeBottom, width, height - treeBottom, TRUE);
}

void WindowsPage::OnLayoutStrip(int /*width*/, int height) {
  LayoutStripRow(height, {processList_, 300, 300, invisibleLabel_, 110, invisibleSwitch_.hwnd()});
}

void WindowsPage::ApplyDpi(const ui::Dpi& dpi) {
  TreePage::ApplyDpi(dpi);
  invisibleSwitch_.ApplyDpi(dpi);
  details_.ApplyDpi(dpi);
  inspector_.ApplyDpi(dpi);
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  OnLayout(rc.right, rc.bottom);
}

void WindowsPage::BeforeFullRefresh(const SystemImageLists& lists) {
  // The system's shared list: the combo box never destroys it.
  if (lists.Small) ::SendMessageW(processList_, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(lists.Small));
}

void WindowsPage::OnCommand(WORD id, WORD code, HWND /*control*/) {
  if (id == kIdProcessList && code == CBN_SELCHANGE) host().RefreshCommand();
}

void WindowsPage::Refresh(Refresher step, const std::wstring& /*filter*/) {
  if (step == Refresher::Windows) RefreshWindows();
}

int64_t WindowsPage::ChosenPid() const {
  const LRESULT index = ::SendMessageW(processList_, CB_GETCURSEL, 0, 0);
  if (index < 0 || index >= ::SendMessageW(processList_, CB_GETCOUNT, 0, 0)) return -1;
  return static_cast<int64_t>(::SendMessageW(processList_, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

bool WindowsPage::Choose(int64_t pid) {
  const LRESULT count = ::SendMessageW(processList_, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (static_cast<int64_t>(::SendMessageW(processList_, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) != pid) continue;
    ::SendMessageW(processList_, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    return true;
  }
  ::SendMessageW(processList_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  return false;
}

void WindowsPage::OfferProcesses(const std::vector<ProcessChoice>& processes) {
  // The chosen process stays chosen while it has windows.
  const int64_t keep = ChosenPid();
  ::SendMessageW(processList_, CB_RESETCONTENT, 0, 0);
  for (const ProcessChoice& p : processes) {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
    item.iItem = -1;  // appended: the list comes sorted
    item.pszText = const_cast<wchar_t*>(p.caption.c_str());
    item.iImage = item.iSelectedImage = p.image;
    item.lParam = p.pid;
    ::SendMessageW(processList_, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  if (keep >= 0) Choose(keep);
}

void WindowsPage::FollowFocusedProcess(uint32_t pid) {
  // No choice when the focused process has no windows.
  Choose(pid);
  RefreshWindows();
}

void WindowsPage::RefreshWindows() {
  const int64_t pid = ChosenPid();
  if (pid < 0) {
    ShowWindows({});
    // A read still running must not bring back the windows of the process no longer chosen.
    if (windowsRead_.Busy()) windowsRead_.Request(host().Handoff(), [] { return std::function<void()>(); });
    return;
  }
  const bool showInvisible = invisibleSwitch_.On();
  windowsRead_.Request(host().Handoff(), [this, pid, showInvisible]() -> std::function<void()> {
    std::vector<WindowInfo> windows;
    std::wstring error;
    try {
      windows = ReadProcessWindows(static_cast<DWORD>(pid), showInvisible);
    } catch (const std::exception& ex) {
      error = ExceptionMessage(ex);
      if (error.empty()) error = L"?";
    }
    return [this, windows = std::move(windows), error]() mutable { OnWindowsRead(std::move(windows), error); };
  });
}

void WindowsPage::OnWindowsRead(std::vector<WindowInfo> windows, const std::wstring& error) {
  if (!error.empty()) {
    host().WriteLog(L"RefreshWindows: " + error);
    return;
  }
  ShowWindows(std::move(windows));
}

void WindowsPage::ShowWindows(std::vector<WindowInfo> windows) {
  ui::TreeGrid& grid = tree();
  const ui::TreeViewState view = grid.SaveView();
  const std::vector<int> parents = BuildWindowHierarchy(WindowLinks(windows));
  {
    ui::TreeGrid::UpdateBlock block(grid);
    grid.Clear();
    std::vector<ui::TreeNode*> nodes(windows.size(), nullptr);
    for (const WindowTreeRow& row : WindowTreeOrder(parents)) {
      const size_t i = static_cast<size_t>(row.Index);
      const int p = parents[i];
      ui::TreeNode* parent = p >= 0 ? nodes[static_cast<size_t>(p)] : nullptr;
      const bool grey = WindowRowGrey(windows[i], false);
      nodes[i] = grid.AddRow(parent, std::move(windows[i]));
      if (grey) grid.SetTextColor(nodes[i], static_cast<COLORREF>(kWindowGreyColor));
    }
    grid.ExpandAll(true);
  }
  if (grid.RowCount() > 0) grid.RestoreView(view, /*keepTop=*/host().AutoRefresh());
  else OnFocusChanged(nullptr);
  host().SetPageCaption(Position(), WindowsTabCaption(grid.RowCount()));
}

ui::TreeNode* WindowsPage::FindWindowNode(uint32_t handle) {
  return tree().FindNode([handle](const ui::TreeNode& node) { return InfoOf(node).Handle == handle; });
}

void WindowsPage::OnFocusChanged(ui::TreeNode* node) {
  visibility_->SetEnabled(node != nullptr);
  close_->SetEnabled(node != nullptr);
  if (!node) {
    inspector_.Clear();  // nothing focused: no window's facts stand
    return;
  }
  const WindowInfo& info = InfoOf(*node);
  visibility_->SetCaption(WindowVisibilityCaption(info.Visible));
  inspector_.BeginUpdate();
  inspector_.Clear();
  ui::PropertyInspector::ItemId group = ui::PropertyInspector::kNone;
  std::wstring groupCaption;
  for (const WindowInspectorItem& item : WindowInspectorItems(info)) {
    if (group == ui::PropertyInspector::kNone || item.Group != groupCaption) {
      groupCaption = item.Group;
      group = inspector_.AddGroup(groupCaption);
    }
    inspector_.AddItem(group, item.Caption, item.Value);
  }
  inspector_.EndUpdate();
}

void WindowsPage::ActOnFocusedWindow(bool close) {
  // The timer stays off for the whole action, and the target is copied before the question: a refresh during the
  // box can neither free the row nor swap the window under the user's answer.
  const auto pause = host().Refresh().PauseTimer();
  ui::TreeNode* node = tree().FocusedNode();
  if (!node) return;
  const WindowTarget target = WindowTargetOf(InfoOf(*node));
  const std::wstring caption = close ? std::wstring(texts::kCloseButton) : WindowVisibilityCaption(target.Visible);
  if (!ConfirmDlg(WindowActionConfirmation(caption, target.Handle, target.ClassName))) return;
  const WindowActionOutcome outcome = close ? CloseWindowTarget(target) : ToggleWindowVisibility(target);
  if (!outcome.Ok) ErrorDlg(ActionErrorText(target, close, outcome.Error));
  host().RefreshCommand();
}

}  // namespace vantrel::app
