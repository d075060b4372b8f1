// The tree/grid's drawing: each row painted whole into a row bitmap (PaintRow), and the repaint of only the rows on
// screen whose look changed during an update block.
#include <algorithm>

#include "controls/tree_grid.h"

namespace vantrel::ui {
namespace {

UINT DrawAlign(ColumnAlign a) {
  switch (a) {
    case ColumnAlign::Right: return DT_RIGHT;
    case ColumnAlign::Center: return DT_CENTER;
    default: return DT_LEFT;
  }
}

}  // namespace

// --- repainting what changed ---

void TreeGrid::RememberShownRows() {
  shown_.valid = false;
  skippedPaint_ = false;
  if (!list_ || needsSort_ || model_.layoutDirty() || !::IsWindowVisible(list_)) return;
  const int count = ListView_GetItemCount(list_);
  shown_.top = std::max(0, ListView_GetTopIndex(list_));
  RECT rc{};
  if (count > 0 && ListView_GetItemRect(list_, shown_.top, &rc, LVIR_BOUNDS)) {
    shown_.firstY = rc.top;
    shown_.rowHeight = rc.bottom - rc.top;
  } else {
    // An empty list: the rows will start below the header.
    RECT header{};
    if (header_ && ::IsWindowVisible(header_)) ::GetWindowRect(header_, &header);
    shown_.firstY = header.bottom - header.top;
    shown_.rowHeight = 0;
  }
  // One more than a page: the last row may be partly shown.
  const int onScreen = ListView_GetCountPerPage(list_) + 1;
  shown_.prints.clear();
  for (int i = 0; i < onScreen; ++i) shown_.prints.push_back(shown_.top + i < count ? RowPrint(shown_.top + i) : 0);
  shown_.valid = true;
}

void TreeGrid::RepaintChangedRows() {
  if (!list_) return;
  const bool known =
      shown_.valid && !skippedPaint_ && shown_.rowHeight > 0 && ListView_GetTopIndex(list_) == shown_.top;
  shown_.valid = false;
  if (!known) {
    ::InvalidateRect(list_, nullptr, FALSE);
    return;
  }
  const int count = ListView_GetItemCount(list_);
  RECT client{};
  ::GetClientRect(list_, &client);
  for (size_t i = 0; i < shown_.prints.size(); ++i) {
    const int row = shown_.top + static_cast<int>(i);
    if ((row < count ? RowPrint(row) : 0) == shown_.prints[i]) continue;
    const int y = shown_.firstY + static_cast<int>(i) * shown_.rowHeight;
    RECT band{client.left, y, client.right, y + shown_.rowHeight};
    // A row that went away leaves the empty space below the list to paint.
    if (row >= count) band.bottom = client.bottom;
    ::InvalidateRect(list_, &band, FALSE);
  }
}

uint64_t TreeGrid::RowPrint(int row) {
  TreeNode* node = model_.VisibleAt(static_cast<size_t>(row));
  if (!node) return 0;
  uint64_t h = 14695981039346656037ull;  // FNV-1a
  auto mix = [&h](uint64_t v) {
    for (int i = 0; i < 8; ++i, v >>= 8) h = (h ^ (v & 0xFF)) * 1099511628211ull;
  };
  // The focused row is the selected one (MarkRow); asking the list per row costs a message each.
  mix(node == focused_ ? 1u : 0u);
  mix(node->textColor());
  mix((node->hasCheckBox() ? 1u : 0u) | (node->checked() ? 2u : 0u) | (node->expanded() ? 4u : 0u) |
      (node->children().empty() ? 0u : 8u) | (treeLayout_ ? 16u : 0u) | (showButtons_ ? 32u : 0u) |
      (checksEnabled_ ? 0u : 64u));
  mix(static_cast<uint64_t>(node->level()));
  mix(static_cast<uint64_t>(treeColumn_));
  for (int c = 0; c < ColumnCount(); ++c) {
    for (wchar_t ch : CellText(*node, c)) mix(ch);
    mix(0xFFFF0000u + static_cast<uint64_t>(c));  // column separator
    if (images_ && onGetImage) mix(static_cast<uint64_t>(static_cast<int64_t>(onGetImage(*node, c))));
    if (onGetCellStyle) {
      const CellStyle style = onGetCellStyle(*node, c);
      mix((style.bold ? 1ull << 32 : 0) | style.background);
    }
  }
  return h | 1;  // never 0, which stands for no row
}

// --- painting ---

void TreeGrid::PaintRow(HDC dc, int row, const RECT& rowRect) {
  TreeNode* node = model_.VisibleAt(static_cast<size_t>(row));
  const int width = paint_.width;
  const int height = rowRect.bottom - rowRect.top;
  if (!node || width <= 0 || height <= 0) return;

  if (!rowDc_ || rowBitmapSize_.cx < width || rowBitmapSize_.cy < height) {
    if (rowDc_ && rowDcOldBitmap_) ::SelectObject(rowDc_.get(), rowDcOldBitmap_);
    rowDcOldBitmap_ = nullptr;
    rowBitmap_.reset();
    if (!rowDc_) rowDc_.reset(::CreateCompatibleDC(dc));
    const SIZE size{std::max<LONG>(width, rowBitmapSize_.cx), std::max<LONG>(height, rowBitmapSize_.cy)};
    rowBitmap_.reset(::CreateCompatibleBitmap(dc, size.cx, size.cy));
    if (!rowDc_ || !rowBitmap_) {
      rowBitmapSize_ = {0, 0};
      return;
    }
    rowDcOldBitmap_ = ::SelectObject(rowDc_.get(), rowBitmap_.get());
    rowBitmapSize_ = size;
  }
  HDC mem = rowDc_.get();
  win::SelectScope fontSel(mem, font_ ? static_cast<HGDIOBJ>(font_.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
  win::SelectScope penSel(mem, ::GetStockObject(DC_PEN));
  win::SelectScope brushSel(mem, ::GetStockObject(DC_BRUSH));

  const bool selected = (ListView_GetItemState(list_, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
  const bool hasFocus = paint_.hasFocus;
  COLORREF back = ::GetSysColor(COLOR_WINDOW);
  COLORREF fore = node->textColor() == grid::kDefaultColor ? ::GetSysColor(COLOR_WINDOWTEXT) : node->textColor();
  if (selected) {
    back = ::GetSysColor(hasFocus ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    fore = ::GetSysColor(hasFocus ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
  }
  RECT all{0, 0, width, height};
  ::SetDCBrushColor(mem, back);
  ::FillRect(mem, &all, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
  ::SetBkMode(mem, TRANSPARENT);
  ::SetTextColor(mem, fore);

  const int pad = dpi_.Scale(6);
  const COLORREF lineColor = ::GetSysColor(COLOR_BTNFACE);
  const int columnCount = std::min(ColumnCount(), static_cast<int>(paint_.left.size()));
  auto cellRect = [&](int c) {
    return RECT{paint_.left[static_cast<size_t>(c)], 0, paint_.right[static_cast<size_t>(c)], height};
  };
  // Backgrounds first: a text spanning into the next cells is drawn over theirs.
  std::vector<CellStyle> styles(static_cast<size_t>(columnCount));
  for (int c = 0; c < columnCount; ++c) {
    if (onGetCellStyle) styles[static_cast<size_t>(c)] = onGetCellStyle(*node, c);
    const RECT cell = cellRect(c);
    if (styles[static_cast<size_t>(c)].background != CLR_DEFAULT && !selected) {
      ::SetDCBrushColor(mem, styles[static_cast<size_t>(c)].background);
      ::FillRect(mem, &cell, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    }
  }
  int spannedUntil = -1;  // the last cell a spanning text covers
  for (int c = 0; c < columnCount; ++c) {
    RECT cell = cellRect(c);
    if (c <= spannedUntil) {
      if (c < spannedUntil) continue;  // covered: no text and no line inside the span
      ::SetDCPenColor(mem, lineColor);
      ::MoveToEx(mem, cell.right - 1, 0, nullptr);
      ::LineTo(mem, cell.right - 1, height);
      continue;
    }
    if (cell.right <= 0 || cell.left >= width) continue;
    const CellStyle& style = styles[static_cast<size_t>(c)];
    int x = cell.left;
    if (c == treeColumn_) {
      x += Indent(*node);
      if (treeLayout_ && showButtons_ && !node->children().empty()) {
        const int box = dpi_.Scale(9);
        const int bx = x - dpi_.Scale(16) + (dpi_.Scale(16) - box) / 2;
        const int by = (height - box) / 2;
        ::SetDCPenColor(mem, ::GetSysColor(COLOR_GRAYTEXT));
        ::SetDCBrushColor(mem, ::GetSysColor(COLOR_WINDOW));
        ::Rectangle(mem, bx, by, bx + box, by + box);
        ::SetDCPenColor(mem, ::GetSysColor(COLOR_WINDOWTEXT));
        const int mid = box / 2;
        ::MoveToEx(mem, bx + 2, by + mid, nullptr);
        ::LineTo(mem, bx + box - 2, by + mid);
        if (!node->expanded()) {
          ::MoveToEx(mem, bx + mid, by + 2, nullptr);
          ::LineTo(mem, bx + mid, by + box - 2);
        }
      }
      if (node->hasCheckBox()) {
        const int size = dpi_.Scale(13);
        RECT boxRect{x + dpi_.Scale(2), (height - size) / 2, x + dpi_.Scale(2) + size, (height - size) / 2 + size};
        ::DrawFrameControl(
            mem, &boxRect, DFC_BUTTON,
            DFCS_BUTTONCHECK | DFCS_FLAT | (node->checked() ? DFCS_CHECKED : 0) | (checksEnabled_ ? 0 : DFCS_INACTIVE));
        x += dpi_.Scale(18);
      }
    }
    if (images_ && onGetImage) {
      const int image = onGetImage(*node, c);
      if (image >= 0) {
        int cx = 0, cy = 0;
        ::ImageList_GetIconSize(images_, &cx, &cy);
        ::ImageList_Draw(images_, image, mem, x + dpi_.Scale(3), (height - cy) / 2, ILD_TRANSPARENT);
        x += cx + dpi_.Scale(4);
      }
    }
    RECT textRect{x + pad, 0, cell.right - pad, height};
    if (textRect.right > textRect.left) {
      const std::wstring text = CellText(*node, c);
      const bool bold = style.bold && boldFont_;
      if (bold) ::SelectObject(mem, boldFont_.get());
      if (spanEmptyCells_ && !text.empty()) {
        SIZE extent{};
        ::GetTextExtentPoint32W(mem, text.c_str(), static_cast<int>(text.size()), &extent);
        for (int next = c + 1;
             next < columnCount && textRect.right - textRect.left < extent.cx && CellText(*node, next).empty();
             ++next) {
          spannedUntil = next;
          textRect.right = cellRect(next).right - pad;
        }
      }
      ::DrawTextW(mem, text.c_str(), static_cast<int>(text.size()), &textRect,
                  DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX |
                      DrawAlign(columns_[static_cast<size_t>(c)].align));
      if (bold) ::SelectObject(mem, font_ ? static_cast<HGDIOBJ>(font_.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
    }
    if (spannedUntil > c) continue;  // no line through the text
    ::SetDCPenColor(mem, lineColor);
    ::MoveToEx(mem, cell.right - 1, 0, nullptr);
    ::LineTo(mem, cell.right - 1, height);
  }
  if (selected && hasFocus) {
    RECT focus{std::max<LONG>(0, rowRect.left), 0, std::min<LONG>(width, rowRect.right), height};
    ::DrawFocusRect(mem, &focus);
  }
  ::BitBlt(dc, 0, rowRect.top, width, height, mem, 0, 0, SRCCOPY);
}

void TreeGrid::CachePaintGeometry() {
  RECT client{};
  ::GetClientRect(list_, &client);
  paint_.width = client.right - client.left;
  paint_.hasFocus = ::GetFocus() == list_;
  paint_.left.assign(columns_.size(), 0);
  paint_.right.assign(columns_.size(), 0);
  POINT origin{0, 0};
  ::MapWindowPoints(header_, list_, &origin, 1);
  for (int c = 0; c < ColumnCount(); ++c) {
    RECT item{};
    if (!Header_GetItemRect(header_, c, &item)) continue;
    paint_.left[static_cast<size_t>(c)] = item.left + origin.x;
    paint_.right[static_cast<size_t>(c)] = item.right + origin.x;
  }
}

LRESULT TreeGrid::OnCustomDraw(NMLVCUSTOMDRAW* cd) {
  switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      if (updateDepth_ > 0) {  // the rows are being rebuilt; the end of the block paints all
        skippedPaint_ = true;
        return CDRF_SKIPDEFAULT;
      }
      CachePaintGeometry();
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const int row = static_cast<int>(cd->nmcd.dwItemSpec);
      RECT rc{};
      if (ListView_GetItemRect(list_, row, &rc, LVIR_BOUNDS)) PaintRow(cd->nmcd.hdc, row, rc);
      return CDRF_SKIPDEFAULT;
    }
    default: return CDRF_DODEFAULT;
  }
}

}  // namespace vantrel::ui
