#include "controls/tree_grid.h"

#include <algorithm>

#include "controls/control_messages.h"
#include "controls/paint_buffer.h"
#include "core/text/text_compare.h"
#include "system/text/locale_text.h"

namespace vantrel::ui {
namespace {

constexpr UINT_PTR kListSubclass = 1;

bool PrefixNoCase(const std::wstring& cell, const std::wstring& typed) {
  if (typed.size() > cell.size()) return false;
  const int n = static_cast<int>(typed.size());
  const int r = ::CompareStringOrdinal(cell.c_str(), n, typed.c_str(), n, TRUE);
  return r == 0 ? grid::StartsWithNoCase(cell, typed) : r == CSTR_EQUAL;
}

}  // namespace

TreeGrid::TreeGrid() = default;

TreeGrid::~TreeGrid() {
  if (rowDc_ && rowDcOldBitmap_) ::SelectObject(rowDc_.get(), rowDcOldBitmap_);
  rowBitmap_.reset();
  rowDc_.reset();
  if (list_) ::RemoveWindowSubclass(list_, &TreeGrid::ListProc, kListSubclass);
  if (tooltip_) ::DestroyWindow(tooltip_);
  // The list only shares the spacer image list, so it is freed after the windows are gone; the members are still
  // alive for the messages of the destruction.
  if (HWND h = hwnd()) ::DestroyWindow(h);
  if (spacer_) ::ImageList_Destroy(spacer_);
}

bool TreeGrid::Create(HWND parent, int id, const RECT& rect) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&icc);
  ClassInfo cls{L"VantrelTreeGrid"};
  cls.style = CS_DBLCLKS;
  if (!Window::Create(cls, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left, rect.top,
                      rect.right - rect.left, rect.bottom - rect.top, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))))
    return false;
  dpi_ = Dpi::ForWindow(hwnd());
  RECT rc{};
  ::GetClientRect(hwnd(), &rc);
  list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                                LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                            0, 0, rc.right, rc.bottom, hwnd(), reinterpret_cast<HMENU>(1), ::GetModuleHandleW(nullptr),
                            nullptr);
  if (!list_) return false;
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_DOUBLEBUFFER);
  ListView_SetCallbackMask(list_, LVIS_STATEIMAGEMASK);
  ::SetWindowSubclass(list_, &TreeGrid::ListProc, kListSubclass, reinterpret_cast<DWORD_PTR>(this));
  header_ = ListView_GetHeader(list_);
  ShowHeader();

  tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
  if (tooltip_) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = hwnd();
    ti.uId = reinterpret_cast<UINT_PTR>(list_);
    ti.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, dpi_.Scale(600));
    ::SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
  }
  RecreateFonts();
  ApplyColumns();
  return true;
}

void TreeGrid::RecreateFonts() {
  font_.reset(CreateUiFont(dpi_));
  boldFont_.reset(CreateUiFont(dpi_, 0, true));
  if (list_ && font_) ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  if (tooltip_ && font_) ::SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  int textHeight = dpi_.Scale(13);
  if (font_ && list_) {
    win::WindowDc dc(list_);
    win::SelectScope sel(dc.get(), font_.get());
    TEXTMETRICW tm{};
    if (::GetTextMetricsW(dc.get(), &tm)) textHeight = tm.tmHeight;
  }
  // The list takes its row height from the small image list: an empty list of the wanted height sets it.
  const int rowHeight = std::max(dpi_.Scale(18), textHeight + dpi_.Scale(4));
  HIMAGELIST spacer = ::ImageList_Create(1, rowHeight, ILC_COLOR32, 0, 1);
  if (spacer && list_) {
    ListView_SetImageList(list_, spacer, LVSIL_SMALL);
    if (spacer_) ::ImageList_Destroy(spacer_);
    spacer_ = spacer;
  } else if (spacer) {
    ::ImageList_Destroy(spacer);
  }
}

void TreeGrid::ApplyDpi(Dpi dpi) {
  dpi_ = dpi;
  if (!list_) return;
  RecreateFonts();
  ApplyColumns();
  if (tooltip_) ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, dpi_.Scale(600));
  ::InvalidateRect(list_, nullptr, TRUE);
}

void TreeGrid::SetCompare(CompareFn compare) { compare_ = std::move(compare); }

// --- columns ---

void TreeGrid::SetColumns(std::vector<TreeGridColumn> columns) {
  columns_ = std::move(columns);
  if (sortColumn_ >= ColumnCount()) sortColumn_ = -1;
  if (treeColumn_ >= ColumnCount()) treeColumn_ = 0;
  if (focusedColumn_ >= ColumnCount()) focusedColumn_ = 0;
  ApplyColumns();
}

void TreeGrid::ApplyColumns() {
  if (!list_) return;
  fitting_ = true;
  while (ListView_DeleteColumn(list_, 0)) {
  }
  widthsPx_.clear();
  for (size_t i = 0; i < columns_.size(); ++i) {
    const TreeGridColumn& c = columns_[i];
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = c.align == ColumnAlign::Right    ? LVCFMT_RIGHT
              : c.align == ColumnAlign::Center ? LVCFMT_CENTER
                                               : LVCFMT_LEFT;
    col.cx = dpi_.Scale(std::max(c.width, c.minWidth));
    col.pszText = const_cast<wchar_t*>(c.header.c_str());
    col.iSubItem = static_cast<int>(i);
    ListView_InsertColumn(list_, static_cast<int>(i), &col);
    widthsPx_.push_back(col.cx);
  }
  fitting_ = false;
  ShowHeader();
  FitColumns();
  UpdateSortArrows();
}

void TreeGrid::ShowHeader() {
  // A header without columns would paint an empty black strip.
  const LONG_PTR style = ::GetWindowLongPtrW(list_, GWL_STYLE);
  const LONG_PTR wanted = columns_.empty() ? (style | LVS_NOCOLUMNHEADER) : (style & ~LONG_PTR{LVS_NOCOLUMNHEADER});
  if (wanted != style) ::SetWindowLongPtrW(list_, GWL_STYLE, wanted);
}

void TreeGrid::FitColumns() {
  if (!list_ || columns_.empty() || fitting_) return;
  RECT rc{};
  ::GetClientRect(list_, &rc);
  std::vector<grid::ColumnFit> fit;
  for (size_t i = 0; i < columns_.size(); ++i)
    fit.push_back({widthsPx_[i], dpi_.Scale(columns_[i].minWidth), columns_[i].spare});
  const std::vector<int> widths = grid::FitColumns(fit, rc.right - rc.left);
  fitting_ = true;
  for (size_t i = 0; i < widths.size(); ++i) {
    if (ListView_GetColumnWidth(list_, static_cast<int>(i)) != widths[i])
      ListView_SetColumnWidth(list_, static_cast<int>(i), widths[i]);
    widthsPx_[i] = widths[i];
  }
  fitting_ = false;
}

void TreeGrid::SetColumnWidth(int column, int designWidth) {
  if (column < 0 || column >= ColumnCount()) return;
  columns_[static_cast<size_t>(column)].width = designWidth;
  if (list_ && static_cast<size_t>(column) < widthsPx_.size()) {
    widthsPx_[static_cast<size_t>(column)] =
        dpi_.Scale(std::max(designWidth, columns_[static_cast<size_t>(column)].minWidth));
    fitting_ = true;
    ListView_SetColumnWidth(list_, column, widthsPx_[static_cast<size_t>(column)]);
    fitting_ = false;
    FitColumns();
  }
}

void TreeGrid::SetColumnMinWidth(int column, int designWidth) {
  if (column < 0 || column >= ColumnCount()) return;
  columns_[static_cast<size_t>(column)].minWidth = designWidth;
  SetColumnWidth(column, columns_[static_cast<size_t>(column)].width);
}

int TreeGrid::ColumnWidthPx(int column) const {
  return list_ && column >= 0 && column < ColumnCount() ? ListView_GetColumnWidth(list_, column) : 0;
}

void TreeGrid::UpdateSortArrows() {
  if (!header_) return;
  for (int i = 0; i < ColumnCount(); ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (!Header_GetItem(header_, i, &item)) continue;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == sortColumn_) item.fmt |= sortAscending_ ? HDF_SORTUP : HDF_SORTDOWN;
    Header_SetItem(header_, i, &item);
  }
}

// --- rows ---

// The list learns of new rows only at the end of the block, and paints nothing while one is open, so the block
// needs no WM_SETREDRAW (which costs a full frame redraw under some systems).
void TreeGrid::BeginUpdate() {
  if (updateDepth_++ == 0) RememberShownRows();
}

void TreeGrid::EndUpdate() {
  if (updateDepth_ == 0) return;
  if (--updateDepth_ > 0) return;
  if (needsSort_ && sortColumn_ >= 0 && !treeLayout_) SortModel(sortColumn_);
  needsSort_ = false;
  if (hasRefocusKey_) {
    hasRefocusKey_ = false;
    if (!focused_) focused_ = FindByKey(refocusKey_);
  }
  SyncList();
  RepaintChangedRows();
  if (pendingFocusEvent_) {
    pendingFocusEvent_ = false;
    if (onFocusChanged) onFocusChanged(focused_);
  }
}

void TreeGrid::Flush() {
  if (updateDepth_ > 0) return;
  if (needsSort_ || model_.layoutDirty()) {
    ++updateDepth_;
    shown_.valid = false;  // the list lagged behind the model: what it showed is not known
    EndUpdate();
  }
}

void TreeGrid::Clear() {
  const bool had = focused_ != nullptr;
  // A rebuild inside a block usually brings the row back: keep the focus on it rather than drop and restore it,
  // which would repaint it twice.
  if (updateDepth_ > 0 && focused_ && onGetKey && !hasRefocusKey_) {
    refocusKey_ = onGetKey(*focused_);
    hasRefocusKey_ = true;
  }
  focused_ = nullptr;
  tipRow_ = tipColumn_ = -1;
  model_.Clear();
  if (had) pendingFocusEvent_ = true;
  if (updateDepth_ == 0) {
    SyncList();
    if (list_) ::InvalidateRect(list_, nullptr, TRUE);
    if (pendingFocusEvent_) {
      pendingFocusEvent_ = false;
      if (onFocusChanged) onFocusChanged(nullptr);
    }
  }
}

TreeNode* TreeGrid::AddNode(TreeNode* parent, std::unique_ptr<grid::RecordHolder> record) {
  TreeNode* node = model_.Add(parent, std::move(record));
  needsSort_ = true;
  // Outside an update block the list catches up once, when the owner's adding is over.
  if (updateDepth_ == 0 && hwnd() && !flushPosted_)
    flushPosted_ = ::PostMessageW(hwnd(), kTreeGridFlush, 0, 0) != FALSE;
  return node;
}

size_t TreeGrid::VisibleRowCount() {
  Flush();
  return model_.Visible().size();
}

TreeNode* TreeGrid::VisibleRow(size_t index) {
  Flush();
  return model_.VisibleAt(index);
}

TreeNode* TreeGrid::FindByKey(const std::wstring& key) const {
  if (!onGetKey) return nullptr;
  return model_.Find([&](const TreeNode& n) { return onGetKey(n) == key; });
}

void TreeGrid::SetTextColor(TreeNode* node, COLORREF color) {
  if (!node) return;
  model_.SetTextColor(node, color == CLR_DEFAULT ? grid::kDefaultColor : static_cast<uint32_t>(color));
  Invalidate(node);
}

void TreeGrid::Invalidate(TreeNode* node) {
  if (!list_ || updateDepth_ > 0) return;
  if (!node) {
    ::InvalidateRect(list_, nullptr, FALSE);
    return;
  }
  Flush();
  if (node->row() >= 0) ListView_RedrawItems(list_, node->row(), node->row());
}

std::wstring TreeGrid::CellText(const TreeNode& node, int column) const {
  return onGetText ? onGetText(node, column) : std::wstring();
}

void TreeGrid::SyncList() {
  const std::vector<TreeNode*>& rows = model_.Visible();
  if (focused_ && focused_->row() < 0) {
    // The focused row went under a collapsed parent: the focus moves to the shown ancestor.
    TreeNode* p = focused_->parent();
    while (p && p->row() < 0) p = p->parent();
    focused_ = p;
    pendingFocusEvent_ = true;
  }
  if (!list_) return;
  syncing_ = true;
  // Setting the count redoes the scroll bars, which is slow on some systems even for the same count.
  if (ListView_GetItemCount(list_) != static_cast<int>(rows.size())) {
    ListView_SetItemCountEx(list_, static_cast<int>(rows.size()), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    FitColumns();  // a vertical scroll bar may have come or gone
  }
  MarkRow(focused_ ? focused_->row() : -1);
  syncing_ = false;
  if (updateDepth_ == 0 && pendingFocusEvent_) {
    pendingFocusEvent_ = false;
    if (onFocusChanged) onFocusChanged(focused_);
  }
}

void TreeGrid::MarkRow(int row) {
  // Clearing with index -1 would visit every row of the list; only the marked ones need it.
  for (UINT flag : {LVNI_SELECTED, LVNI_FOCUSED}) {
    const int old = ListView_GetNextItem(list_, -1, flag);
    if (old >= 0 && old != row)
      ListView_SetItemState(list_, old, 0, flag == LVNI_SELECTED ? LVIS_SELECTED : LVIS_FOCUSED);
  }
  if (row >= 0) {
    // Setting the same state again still repaints the row.
    constexpr UINT kMarked = LVIS_SELECTED | LVIS_FOCUSED;
    if ((ListView_GetItemState(list_, row, kMarked) & kMarked) != kMarked)
      ListView_SetItemState(list_, row, kMarked, kMarked);
    ListView_SetSelectionMark(list_, row);
  }
}

// --- tree layout ---

void TreeGrid::SetTreeLayout(bool tree) {
  UpdateBlock block(*this);
  treeLayout_ = tree;
  if (tree) {
    sortColumn_ = -1;
    SortModel(-1);
    UpdateSortArrows();
  }
}

void TreeGrid::SetTreeColumn(int column) {
  treeColumn_ = std::clamp(column, 0, std::max(0, ColumnCount() - 1));
  Invalidate();
}

void TreeGrid::SetShowExpandButtons(bool show) {
  showButtons_ = show;
  Invalidate();
}

void TreeGrid::SetExpanded(TreeNode* node, bool expanded) {
  if (!node) return;
  UpdateBlock block(*this);
  model_.SetExpanded(node, expanded);
}

void TreeGrid::ExpandAll(bool expanded) {
  UpdateBlock block(*this);
  model_.SetAllExpanded(expanded);
}

// --- check boxes ---

void TreeGrid::SetCheckBox(TreeNode* node, bool hasBox) {
  if (!node) return;
  model_.SetCheckBox(node, hasBox);
  Invalidate(node);
}

void TreeGrid::SetChecked(TreeNode* node, bool checked, bool toDescendants) {
  if (!node) return;
  model_.SetChecked(node, checked, toDescendants);
  Invalidate(toDescendants ? nullptr : node);
}

void TreeGrid::SetAllBoxesChecked(bool checked) {
  model_.SetAllBoxesChecked(checked);
  Invalidate();
}

void TreeGrid::SetChecksEnabled(bool enabled) {
  if (checksEnabled_ == enabled) return;
  checksEnabled_ = enabled;
  Invalidate();
}

void TreeGrid::ToggleCheck(TreeNode* node) {
  if (!node || !node->hasCheckBox() || !checksEnabled_) return;
  {
    UpdateBlock block(*this);
    model_.SetChecked(node, !node->checked(), true);
  }
  if (onChecked) onChecked(node);
}

// --- focus and scrolling ---

void TreeGrid::SetFocusedNode(TreeNode* node) {
  const bool inBlock = updateDepth_ > 0;
  {
    UpdateBlock block(*this);
    if (node) model_.Reveal(node);
    focused_ = node;
    pendingFocusEvent_ = true;
  }
  if (list_ && node && !inBlock) ListView_EnsureVisible(list_, node->row(), FALSE);
}

void TreeGrid::FocusRow(int row, bool fire) {
  TreeNode* node = model_.VisibleAt(static_cast<size_t>(std::max(row, 0)));
  if (row < 0) node = nullptr;
  if (node == focused_) return;
  focused_ = node;
  if (!syncing_ && list_ && node) {
    syncing_ = true;
    MarkRow(row);
    ListView_EnsureVisible(list_, row, FALSE);
    syncing_ = false;
  }
  if (fire && onFocusChanged) onFocusChanged(node);
}

TreeNode* TreeGrid::TopNode() {
  Flush();
  if (!list_) return model_.VisibleAt(0);
  return model_.VisibleAt(static_cast<size_t>(std::max(0, ListView_GetTopIndex(list_))));
}

void TreeGrid::SetTopNode(TreeNode* node) {
  if (!node || !list_) return;
  Flush();
  RevealRow(node);
  RECT rc{};
  if (!ListView_GetItemRect(list_, 0, &rc, LVIR_BOUNDS)) return;
  const int height = rc.bottom - rc.top;
  const int top = ListView_GetTopIndex(list_);
  if (height > 0 && node->row() != top) ListView_Scroll(list_, 0, (node->row() - top) * height);
}

void TreeGrid::ScrollIntoView(TreeNode* node, bool center) {
  if (!node || !list_) return;
  Flush();
  RevealRow(node);
  if (!center) {
    ListView_EnsureVisible(list_, node->row(), FALSE);
    return;
  }
  const int perPage = std::max(1, ListView_GetCountPerPage(list_));
  const int wantedTop = std::max(0, node->row() - perPage / 2);
  if (TreeNode* top = model_.VisibleAt(static_cast<size_t>(wantedTop))) SetTopNode(top);
}

void TreeGrid::RevealRow(TreeNode* node) {
  bool hidden = false;
  for (const TreeNode* p = node->parent(); p && !hidden; p = p->parent()) hidden = !p->expanded();
  if (hidden) {
    UpdateBlock block(*this);
    model_.Reveal(node);
  }
  if (model_.layoutDirty()) SyncList();  // inside an open block the list must still know the row
}

TreeViewState TreeGrid::SaveView() {
  TreeViewState s;
  if (!onGetKey) return s;
  if (focused_) {
    s.hasFocused = true;
    s.focusedKey = onGetKey(*focused_);
  }
  if (TreeNode* top = TopNode()) {
    s.hasTop = true;
    s.topKey = onGetKey(*top);
  }
  return s;
}

void TreeGrid::RestoreView(const TreeViewState& state, bool keepTop) {
  Flush();
  if (model_.empty()) return;
  // The rows at hand usually have the keys already (a rebuild keeps the focus): no search through all rows.
  auto byKey = [this](TreeNode* likely, const std::wstring& key) {
    return likely && onGetKey && onGetKey(*likely) == key ? likely : FindByKey(key);
  };
  TreeNode* node = state.hasFocused ? byKey(focused_, state.focusedKey) : nullptr;
  if (!node) node = model_.VisibleAt(0);
  SetFocusedNode(node);
  TreeNode* top = keepTop && state.hasTop ? byKey(TopNode(), state.topKey) : nullptr;
  if (top) {
    SetTopNode(top);
  } else {
    ScrollIntoView(node, true);
  }
}

// --- sorting and search ---

void TreeGrid::SetSort(int column, bool ascending) {
  sortColumn_ = column >= 0 && column < ColumnCount() ? column : -1;
  sortAscending_ = ascending;
  Sort();
}

void TreeGrid::Sort() {
  UpdateBlock block(*this);
  SortModel(treeLayout_ ? -1 : sortColumn_);
  needsSort_ = false;
  UpdateSortArrows();
}

int TreeGrid::TreeCompareNodes(const TreeNode& a, const TreeNode& b, int column) const {
  if (compare_) return compare_(CellText(a, column), CellText(b, column));
  return CompareTextValues(CellText(a, column), CellText(b, column), kCompareMaxLen, settings_);
}

void TreeGrid::SortModel(int column) {
  if (!fixedSettings_ && column >= 0) settings_ = ReadUserFormatSettings();
  const TextFn text = onGetText ? onGetText : TextFn();
  if (compare_) {
    model_.Sort(column, sortAscending_, text, compare_);
    return;
  }
  // Each cell is classified once; the keys give a strict weak order, which a stable sort needs.
  model_.SortByKey<CellSortKey>(
      column, sortAscending_, text,
      [this](const std::wstring& t) { return MakeCellSortKey(t, kCompareMaxLen, settings_); },
      [](const CellSortKey& a, const CellSortKey& b) { return CompareCellSortKeys(a, b); });
}

void TreeGrid::TreeHeaderClick(int column, bool rightButton) {
  if (treeLayout_ || rightButton || column < 0 || column >= ColumnCount()) return;
  if (column == sortColumn_) {
    sortAscending_ = !sortAscending_;
  } else {
    sortColumn_ = column;
    sortAscending_ = true;
  }
  Sort();
  if (focused_) ScrollIntoView(focused_, false);
  if (onSorted) onSorted(column);
}

TreeNode* TreeGrid::TreeIncrementalSearch(const std::wstring& text) {
  Flush();
  TreeNode* node = model_.FindPrefix(text, focusedColumn_, onGetText ? onGetText : TextFn(), PrefixNoCase);
  if (node && node != focused_) SetFocusedNode(node);
  return node;
}

void TreeGrid::SetFocusedColumn(int column) {
  if (column >= 0 && column < ColumnCount()) focusedColumn_ = column;
}

// --- other ---

void TreeGrid::SetImageList(HIMAGELIST images) {
  images_ = images;
  Invalidate();
}

std::wstring TreeGrid::FocusedRowText() {
  std::wstring text;
  if (!focused_) return text;
  for (int c = 0; c < ColumnCount(); ++c) {
    if (c) text += L'\t';
    text += CellText(*focused_, c);
  }
  return text;
}

bool TreeGrid::CopyFocusedRow() { return focused_ && CopyTextToClipboard(hwnd(), FocusedRowText()); }

// --- geometry and hit testing ---

RECT TreeGrid::CellRect(int row, int column) const {
  RECT cell{};
  if (!list_ || !header_) return cell;
  RECT rowRect{};
  ListView_GetItemRect(list_, row, &rowRect, LVIR_BOUNDS);
  RECT item{};
  if (!Header_GetItemRect(header_, column, &item)) return cell;
  ::MapWindowPoints(header_, list_, reinterpret_cast<POINT*>(&item), 2);
  cell = {item.left, rowRect.top, item.right, rowRect.bottom};
  return cell;
}

int TreeGrid::Indent(const TreeNode& node) const {
  if (!treeLayout_) return 0;
  return (node.level() + (showButtons_ ? 1 : 0)) * dpi_.Scale(16);
}

TreeGrid::Hit TreeGrid::HitTest(POINT pt, int* row, int* column) {
  LVHITTESTINFO info{};
  info.pt = pt;
  *row = -1;
  *column = -1;
  if (ListView_SubItemHitTest(list_, &info) < 0 || info.iItem < 0) return Hit::None;
  TreeNode* node = model_.VisibleAt(static_cast<size_t>(info.iItem));
  if (!node) return Hit::None;
  *row = info.iItem;
  *column = info.iSubItem;
  if (info.iSubItem != treeColumn_) return Hit::Cell;
  const RECT cell = CellRect(info.iItem, info.iSubItem);
  const int indentPx = dpi_.Scale(16);
  int x = cell.left + Indent(*node);
  if (treeLayout_ && showButtons_ && !node->children().empty() && pt.x >= x - indentPx && pt.x < x) return Hit::Button;
  x += dpi_.Scale(2);
  if (node->hasCheckBox() && pt.x >= x && pt.x < x + dpi_.Scale(16)) return Hit::Box;
  return Hit::Cell;
}

std::wstring TreeGrid::ClippedCellText(POINT pt) {
  int row = -1, column = -1;
  if (HitTest(pt, &row, &column) == Hit::None) return {};
  TreeNode* node = model_.VisibleAt(static_cast<size_t>(row));
  if (!node) return {};
  std::wstring text = CellText(*node, column);
  if (text.empty()) return {};
  const RECT cell = CellRect(row, column);
  int available = cell.right - cell.left - 2 * dpi_.Scale(6);
  if (column == treeColumn_) {
    available -= Indent(*node);
    if (node->hasCheckBox()) available -= dpi_.Scale(18);
  }
  if (images_ && onGetImage && onGetImage(*node, column) >= 0) {
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(images_, &cx, &cy);
    available -= cx + dpi_.Scale(4);
  }
  win::WindowDc dc(list_);
  win::SelectScope sel(dc.get(), font_ ? static_cast<HGDIOBJ>(font_.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx > available ? text : std::wstring();
}

void TreeGrid::UpdateTooltip(POINT pt) {
  if (!tooltip_) return;
  LVHITTESTINFO info{};
  info.pt = pt;
  ListView_SubItemHitTest(list_, &info);
  if (info.iItem == tipRow_ && info.iSubItem == tipColumn_) return;
  tipRow_ = info.iItem;
  tipColumn_ = info.iSubItem;
  tipText_ = ClippedCellText(pt);
  ::SendMessageW(tooltip_, TTM_POP, 0, 0);
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.hwnd = hwnd();
  ti.uId = reinterpret_cast<UINT_PTR>(list_);
  ti.lpszText = const_cast<wchar_t*>(tipText_.c_str());
  ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  ::SendMessageW(tooltip_, TTM_ACTIVATE, tipText_.empty() ? FALSE : TRUE, 0);
}

// --- messages ---

LRESULT TreeGrid::OnNotify(NMHDR* hdr) {
  if (header_ && hdr->hwndFrom == header_) {
    switch (hdr->code) {
      case HDN_ITEMCHANGINGW:
      case HDN_ITEMCHANGINGA: {
        auto* h = reinterpret_cast<NMHEADERW*>(hdr);
        if (!fitting_ && h->pitem && (h->pitem->mask & HDI_WIDTH) && h->iItem >= 0 && h->iItem < ColumnCount() &&
            h->pitem->cxy < dpi_.Scale(columns_[static_cast<size_t>(h->iItem)].minWidth))
          return TRUE;
        return FALSE;
      }
      case HDN_ITEMCHANGEDW:
      case HDN_ITEMCHANGEDA: {
        auto* h = reinterpret_cast<NMHEADERW*>(hdr);
        if (!fitting_ && h->pitem && (h->pitem->mask & HDI_WIDTH) && h->iItem >= 0 &&
            static_cast<size_t>(h->iItem) < widthsPx_.size()) {
          widthsPx_[static_cast<size_t>(h->iItem)] = h->pitem->cxy;
          columns_[static_cast<size_t>(h->iItem)].width = dpi_.Unscale(h->pitem->cxy);
          if (!columns_[static_cast<size_t>(h->iItem)].spare) FitColumns();
        }
        ::InvalidateRect(list_, nullptr, FALSE);
        return 0;
      }
      default: return 0;
    }
  }
  if (hdr->hwndFrom != list_) return 0;
  switch (hdr->code) {
    case NM_CUSTOMDRAW: return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(hdr));
    case LVN_GETDISPINFOW: {
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(hdr);
      TreeNode* node = model_.VisibleAt(static_cast<size_t>(std::max(di->item.iItem, 0)));
      if (!node || di->item.iItem < 0) return 0;
      if ((di->item.mask & LVIF_TEXT) && di->item.pszText && di->item.cchTextMax > 0) {
        const std::wstring text = CellText(*node, di->item.iSubItem);
        ::lstrcpynW(di->item.pszText, text.c_str(), di->item.cchTextMax);
      }
      if (di->item.mask & LVIF_IMAGE)
        di->item.iImage = onGetImage && images_ ? onGetImage(*node, di->item.iSubItem) : I_IMAGENONE;
      if (di->item.mask & LVIF_INDENT) di->item.iIndent = treeLayout_ ? node->level() : 0;
      if ((di->item.mask & LVIF_STATE) && node->hasCheckBox()) {
        di->item.state |= INDEXTOSTATEIMAGEMASK(node->checked() ? 2 : 1);
        di->item.stateMask |= LVIS_STATEIMAGEMASK;
      }
      return 0;
    }
    case LVN_ITEMCHANGED: {
      if (syncing_) return 0;
      const int row = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
      TreeNode* node = row >= 0 ? model_.VisibleAt(static_cast<size_t>(row)) : nullptr;
      if (node && node != focused_) {
        focused_ = node;
        if (updateDepth_ == 0) {
          if (onFocusChanged) onFocusChanged(node);
        } else {
          pendingFocusEvent_ = true;
        }
      }
      return 0;
    }
    case LVN_ODFINDITEMW: {
      auto* fi = reinterpret_cast<NMLVFINDITEMW*>(hdr);
      if (!fi->lvfi.psz || !*fi->lvfi.psz) return -1;
      TreeNode* node = TreeIncrementalSearch(fi->lvfi.psz);
      return node ? node->row() : -1;
    }
    case LVN_COLUMNCLICK: TreeHeaderClick(reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem, false); return 0;
    case NM_DBLCLK: {
      auto* ia = reinterpret_cast<NMITEMACTIVATE*>(hdr);
      TreeNode* node = ia->iItem >= 0 ? model_.VisibleAt(static_cast<size_t>(ia->iItem)) : nullptr;
      if (!node) return 0;
      if (treeLayout_ && !node->children().empty()) SetExpanded(node, !node->expanded());
      if (onDoubleClick) onDoubleClick(node);
      return 0;
    }
    case NM_SETFOCUS:
    case NM_KILLFOCUS:
      if (focused_) Invalidate(focused_);
      return 0;
    default: return 0;
  }
}

LRESULT CALLBACK TreeGrid::ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<TreeGrid*>(ref);
  try {
    return self->OnListMessage(msg, wParam, lParam);
  } catch (...) {
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
  }
}

LRESULT TreeGrid::OnListMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      if (tooltip_) {
        MSG m{list_, msg, wParam, lParam, 0, {}};
        ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
      }
      if (msg == WM_MOUSEMOVE)
        UpdateTooltip(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      break;
    default: break;
  }
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      int row = -1, column = -1;
      const Hit hit = HitTest(pt, &row, &column);
      if (column >= 0) focusedColumn_ = column;
      if (hit == Hit::Button || hit == Hit::Box) {
        ::SetFocus(list_);
        TreeNode* node = model_.VisibleAt(static_cast<size_t>(row));
        FocusRow(row, true);
        if (hit == Hit::Button) {
          SetExpanded(node, !node->expanded());
        } else {
          ToggleCheck(node);
        }
        return 0;
      }
      break;
    }
    case WM_KEYDOWN: {
      const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
      if (ctrl && wParam == 'C') {
        CopyFocusedRow();
        return 0;
      }
      if (wParam == VK_SPACE && !ctrl && focused_ && focused_->hasCheckBox()) {
        ToggleCheck(focused_);
        return 0;
      }
      if (treeLayout_ && focused_ && !ctrl) {
        TreeNode* node = focused_;
        switch (wParam) {
          case VK_LEFT:
            if (node->expanded() && !node->children().empty()) {
              SetExpanded(node, false);
            } else if (node->parent()) {
              FocusRow(node->parent()->row(), true);
            }
            return 0;
          case VK_RIGHT:
            if (!node->children().empty()) {
              if (!node->expanded()) {
                SetExpanded(node, true);
              } else {
                FocusRow(node->children().front()->row(), true);
              }
            }
            return 0;
          case VK_ADD: SetExpanded(node, true); return 0;
          case VK_SUBTRACT: SetExpanded(node, false); return 0;
          default: break;
        }
      }
      break;
    }
    case WM_CHAR:
      // The space toggles the box; it must not also start a type-ahead.
      if (wParam == L' ' && focused_ && focused_->hasCheckBox()) return 0;
      break;
    case WM_NCDESTROY: ::RemoveWindowSubclass(list_, &TreeGrid::ListProc, kListSubclass); break;
    default: break;
  }
  return ::DefSubclassProc(list_, msg, wParam, lParam);
}

LRESULT TreeGrid::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (list_) {
        ::MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        FitColumns();
      }
      return 0;
    case WM_SETFOCUS:
      if (list_) ::SetFocus(list_);
      return 0;
    case WM_ERASEBKGND: return 1;  // the list covers the whole client area
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case kTreeGridFlush:
      flushPosted_ = false;
      Flush();
      return 0;
    case WM_DPICHANGED_AFTERPARENT: ApplyDpi(Dpi::ForWindow(hwnd())); return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

}  // namespace vantrel::ui
