// The tree/grid control that every list of the window uses: an owner-data report list view (keyboard navigation,
// header and accessibility come from the system) over a tree of rows that each own one typed record. The control
// stores no texts: it asks the owner for each cell when it paints, sorts, searches or copies.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/dpi.h"
#include "controls/window.h"
#include "core/grid/grid_model.h"
#include "core/text/format_settings.h"
#include "system/raii.h"

namespace vantrel::ui {

using TreeNode = grid::Node;

enum class ColumnAlign { Left, Center, Right };

struct TreeGridColumn {
  std::wstring header;
  ColumnAlign align = ColumnAlign::Left;
  int width = 100;     // design pixels (96 DPI)
  int minWidth = 0;    // design pixels
  bool spare = false;  // takes the width the other columns leave (one column)
};

// The focused and topmost rows by key, to bring them back after a rebuild.
struct TreeViewState {
  bool hasFocused = false;
  std::wstring focusedKey;
  bool hasTop = false;
  std::wstring topKey;
};

class TreeGrid : public Window {
 public:
  using TextFn = std::function<std::wstring(const TreeNode& node, int column)>;
  using ImageFn = std::function<int(const TreeNode& node, int column)>;  // -1: no image
  using KeyFn = std::function<std::wstring(const TreeNode& node)>;
  using CompareFn = std::function<int(const std::wstring& a, const std::wstring& b)>;
  using NodeEvent = std::function<void(TreeNode* node)>;  // node may be nullptr (focus left every row)

  TreeGrid();
  ~TreeGrid() override;

  // Creates the control as a child of parent with the given id. False when a window could not be created.
  bool Create(HWND parent, int id, const RECT& rect = RECT{0, 0, 100, 100});
  // The inner list view (for tests and accessibility checks); hwnd() is the control itself.
  HWND listHwnd() const { return list_; }

  // --- owner callbacks ---
  TextFn onGetText;
  ImageFn onGetImage;        // icons from the image list set with SetImageList
  KeyFn onGetKey;            // identity of a row for SaveView/RestoreView/FindByKey
  NodeEvent onFocusChanged;  // also fired again when a rebuild focuses the same row
  NodeEvent onChecked;       // after the user changed a row's check mark (descendants already follow it)
  NodeEvent onDoubleClick;
  // Enter and Del on the list, handed over by the window's key handling before dialog navigation takes them;
  // true: handled.
  std::function<bool(UINT key)> onKey;
  std::function<void(int column)> onSorted;  // after a header click sorted the rows
  // A cell's bold text and background (CLR_DEFAULT: the window colour; not drawn on a selected row).
  struct CellStyle {
    bool bold = false;
    COLORREF background = CLR_DEFAULT;
  };
  std::function<CellStyle(const TreeNode& node, int column)> onGetCellStyle;
  // A text too wide for its cell may extend into the empty cells to its right.
  void SetSpanEmptyCells(bool span) { spanEmptyCells_ = span; }
  // Cell comparison: by default CompareTextValues (dates, numbers, text) with MaxLen 25 and the user's locale,
  // read at each sort as the cell texts are written in it; these settings replace it for good.
  void SetFormatSettings(FormatSettings settings) {
    settings_ = std::move(settings);
    fixedSettings_ = true;
  }
  // Replaces that comparison by another one on the two cell texts; an empty function restores it.
  void SetCompare(CompareFn compare);
  static constexpr int kCompareMaxLen = 25;

  // --- columns ---
  void SetColumns(std::vector<TreeGridColumn> columns);
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  const TreeGridColumn& Column(int index) const { return columns_[static_cast<size_t>(index)]; }
  void SetColumnWidth(int column, int designWidth);
  void SetColumnMinWidth(int column, int designWidth);
  int ColumnWidthPx(int column) const;  // current width in device pixels

  // --- rows ---
  // Rows created inside one update block paint once, at the end. Blocks nest. At the end of the outermost block
  // only the rows on screen that now look different are repainted, so a rebuild that changes nothing visible
  // repaints nothing. A Clear inside a block keeps the focus on the row with the same key (onGetKey), if any.
  void BeginUpdate();
  void EndUpdate();
  bool InUpdate() const { return updateDepth_ > 0; }
  class UpdateBlock {
   public:
    explicit UpdateBlock(TreeGrid& grid) : grid_(grid) { grid_.BeginUpdate(); }
    ~UpdateBlock() { grid_.EndUpdate(); }
    UpdateBlock(const UpdateBlock&) = delete;
    UpdateBlock& operator=(const UpdateBlock&) = delete;

   private:
    TreeGrid& grid_;
  };

  void Clear();
  template <typename R>
  TreeNode* AddRow(TreeNode* parent, R record) {
    return AddNode(parent, std::make_unique<grid::TypedRecord<R>>(std::move(record)));
  }
  TreeNode* AddNode(TreeNode* parent, std::unique_ptr<grid::RecordHolder> record);
  size_t RowCount() const { return model_.size(); }  // all rows, shown or collapsed
  size_t VisibleRowCount();
  TreeNode* VisibleRow(size_t index);
  // Display order, collapsed rows included.
  TreeNode* First() const { return model_.First(); }
  TreeNode* Next(const TreeNode* node) const { return model_.Next(node); }
  TreeNode* FindNode(const std::function<bool(const TreeNode&)>& pred) const { return model_.Find(pred); }
  TreeNode* FindByKey(const std::wstring& key) const;
  grid::GridModel& model() { return model_; }

  void SetTextColor(TreeNode* node, COLORREF color);  // CLR_DEFAULT: the normal colour
  void Invalidate(TreeNode* node = nullptr);          // repaint one row, or all

  // --- tree layout ---
  // Tree layout: indentation and expand buttons in the tree column, no sorting, header clicks ignored.
  void SetTreeLayout(bool tree);
  bool TreeLayout() const { return treeLayout_; }
  void SetTreeColumn(int column);
  int TreeColumn() const { return treeColumn_; }
  void SetShowExpandButtons(bool show);
  void SetExpanded(TreeNode* node, bool expanded);
  void ExpandAll(bool expanded = true);

  // --- check boxes (the state exists on every row; the box only where set) ---
  void SetCheckBox(TreeNode* node, bool hasBox);
  bool Checked(const TreeNode* node) const { return node && node->checked(); }
  // Sets the row's state; toDescendants also sets it on every row below it that shows a box.
  void SetChecked(TreeNode* node, bool checked, bool toDescendants = false);
  void SetAllBoxesChecked(bool checked);
  size_t CheckedCount() const { return model_.CheckedCount(); }
  // A user's toggle of the row's box: the state goes to all rows below, then onChecked runs.
  void ToggleCheck(TreeNode* node);
  // Disabled boxes are drawn grey and ignore the user's toggles (while an action works on the checked rows).
  void SetChecksEnabled(bool enabled);
  bool ChecksEnabled() const { return checksEnabled_; }

  // --- focus and scrolling ---
  TreeNode* FocusedNode() const { return focused_; }
  // Focuses and selects the row (revealing it); fires onFocusChanged, also for the same row.
  void SetFocusedNode(TreeNode* node);
  TreeNode* TopNode();
  void SetTopNode(TreeNode* node);
  void ScrollIntoView(TreeNode* node, bool center);
  TreeViewState SaveView();
  // Focuses the remembered row (or the first row); keepTop puts the remembered top row back at the top, otherwise
  // the focused row is centred.
  void RestoreView(const TreeViewState& state, bool keepTop);

  // --- sorting ---
  int SortColumn() const { return sortColumn_; }
  bool SortAscending() const { return sortAscending_; }
  // column -1 removes the sort (rows go back to the order they were added in).
  void SetSort(int column, bool ascending);
  void Sort();
  // The cell comparison of two rows in the sort column, first row's text first.
  int TreeCompareNodes(const TreeNode& a, const TreeNode& b, int column) const;
  // Header click: ignored in tree layout and for the right button; the sort column again reverses, another
  // column sorts ascending.
  void TreeHeaderClick(int column, bool rightButton = false);
  // Type-ahead: the first row (display order, from the first row) whose text in the focused column begins with
  // text, ignoring case; focuses it and returns it, or nullptr.
  TreeNode* TreeIncrementalSearch(const std::wstring& text);
  int FocusedColumn() const { return focusedColumn_; }
  void SetFocusedColumn(int column);

  // --- other ---
  void SetImageList(HIMAGELIST images);  // not owned (the system image list)
  // The whole text of the cell at a client point of the list when the cell is too narrow for it, else empty.
  std::wstring ClippedCellText(POINT listClientPoint);
  HWND tooltipHwnd() const { return tooltip_; }
  // The focused row's cells, tab-separated, in column order.
  std::wstring FocusedRowText();
  bool CopyFocusedRow();
  void ApplyDpi(Dpi dpi);
  const Dpi& dpi() const { return dpi_; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR ref);
  LRESULT OnListMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(NMHDR* hdr);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW* cd);
  void PaintRow(HDC dc, int row, const RECT& rowRect);
  void CachePaintGeometry();  // once per paint: column edges, width, focus
  struct PaintGeometry {
    int width = 0;
    bool hasFocus = false;
    std::vector<int> left, right;
  } paint_;
  void SyncList();  // item count, focus and selection after the shown rows changed
  // What each row on screen looks like, taken when the outermost update block opens and compared when it ends.
  struct ShownRows {
    bool valid = false;
    int top = 0;
    int firstY = 0;  // list client y of the top row
    int rowHeight = 0;
    std::vector<uint64_t> prints;  // per screen row from the top; 0: no row there
  } shown_;
  void RememberShownRows();
  void RepaintChangedRows();
  uint64_t RowPrint(int row);  // a hash of everything PaintRow draws for the row
  void SortModel(int column);  // column -1: creation order
  void Flush();                // catches up with rows added or re-sorted outside an update block
  void FitColumns();           // spare column width
  void ApplyColumns();
  void ShowHeader();
  void UpdateSortArrows();
  void FocusRow(int row, bool fire);
  void RevealRow(TreeNode* node);  // expands its ancestors, repainting what moved
  void MarkRow(int row);           // the only selected and focused row of the list, or none
  void RecreateFonts();
  std::wstring CellText(const TreeNode& node, int column) const;
  RECT CellRect(int row, int column) const;  // list client coordinates
  int ColumnAt(int x) const;
  enum class Hit { None, Button, Box, Cell };
  Hit HitTest(POINT pt, int* row, int* column);
  int Indent(const TreeNode& node) const;
  void UpdateTooltip(POINT pt);

  grid::GridModel model_;
  std::vector<TreeGridColumn> columns_;
  std::vector<int> widthsPx_;
  CompareFn compare_;  // empty: CompareTextValues
  FormatSettings settings_;
  bool fixedSettings_ = false;
  HWND list_ = nullptr;
  HWND header_ = nullptr;
  HWND tooltip_ = nullptr;
  HIMAGELIST images_ = nullptr;
  HIMAGELIST spacer_ = nullptr;  // sets the row height; owned
  win::UniqueFont font_;
  win::UniqueFont boldFont_;
  win::UniqueMemDc rowDc_;
  win::UniqueBitmap rowBitmap_;
  HGDIOBJ rowDcOldBitmap_ = nullptr;
  SIZE rowBitmapSize_{0, 0};
  Dpi dpi_;
  TreeNode* focused_ = nullptr;
  int updateDepth_ = 0;
  bool pendingFocusEvent_ = false;
  bool skippedPaint_ = false;   // a paint came while a block was open and drew nothing
  bool hasRefocusKey_ = false;  // the focused row's key, taken by a Clear inside a block
  std::wstring refocusKey_;
  bool syncing_ = false;
  bool treeLayout_ = false;
  bool spanEmptyCells_ = false;
  bool showButtons_ = false;
  bool checksEnabled_ = true;
  int treeColumn_ = 0;
  int sortColumn_ = -1;
  bool sortAscending_ = true;
  int focusedColumn_ = 0;
  bool fitting_ = false;
  bool needsSort_ = false;
  bool flushPosted_ = false;
  int tipRow_ = -1;
  int tipColumn_ = -1;
  std::wstring tipText_;
};

}  // namespace vantrel::ui
