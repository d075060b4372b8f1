// The row model behind the tree/grid control: a tree of rows, each owning one typed record, flattened into the
// list of rows currently shown. No Windows here, so that its ordering, check and search rules can be tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::grid {

struct RecordHolder {
  virtual ~RecordHolder() = default;
};
template <typename R>
struct TypedRecord final : RecordHolder {
  explicit TypedRecord(R v) : value(std::move(v)) {}
  R value;
};

inline constexpr uint32_t kDefaultColor = 0xFFFFFFFFu;  // the control's normal text colour

class Node {
 public:
  Node* parent() const { return parent_; }
  const std::vector<Node*>& children() const { return children_; }
  int level() const { return level_; }
  bool expanded() const { return expanded_; }
  bool hasCheckBox() const { return hasCheckBox_; }
  bool checked() const { return checked_; }
  uint32_t textColor() const { return color_; }
  // Index among the shown rows, or -1 while an ancestor is collapsed. Valid after GridModel::Visible().
  int row() const { return row_; }
  // Creation order within the model; restores the unsorted order.
  size_t id() const { return id_; }
  // Position among its siblings in display order; kept current by Add and Sort so that Next needs no search.
  size_t siblingIndex() const { return index_; }

  // The row's record when it is of type R, else nullptr.
  template <typename R>
  R* As() {
    auto* typed = dynamic_cast<TypedRecord<R>*>(record_.get());
    return typed ? &typed->value : nullptr;
  }
  template <typename R>
  const R* As() const {
    auto* typed = dynamic_cast<const TypedRecord<R>*>(record_.get());
    return typed ? &typed->value : nullptr;
  }

 private:
  friend class GridModel;
  Node* parent_ = nullptr;
  std::vector<Node*> children_;
  std::unique_ptr<RecordHolder> record_;
  size_t id_ = 0;
  size_t index_ = 0;
  int level_ = 0;
  int row_ = -1;
  bool expanded_ = false;
  bool hasCheckBox_ = false;
  bool checked_ = false;
  uint32_t color_ = kDefaultColor;
};

class GridModel {
 public:
  using CellText = std::function<std::wstring(const Node&, int column)>;
  // Negative, zero or positive as the first text sorts before, with or after the second.
  using Compare = std::function<int(const std::wstring&, const std::wstring&)>;
  // True when the cell text begins with the typed text, by the caller's rule of letter case.
  using PrefixMatch = std::function<bool(const std::wstring& cell, const std::wstring& typed)>;

  // Adds a row as the last child of parent (nullptr: top level). New rows start collapsed, unchecked, without a box.
  Node* Add(Node* parent, std::unique_ptr<RecordHolder> record);
  template <typename R>
  Node* AddRecord(Node* parent, R record) {
    return Add(parent, std::make_unique<TypedRecord<R>>(std::move(record)));
  }
  void Clear();
  size_t size() const { return nodes_.size(); }
  bool empty() const { return nodes_.empty(); }
  const std::vector<Node*>& roots() const { return roots_; }

  // Display (tree) order regardless of collapsed rows. Next finds the sibling by its stored position, so a walk
  // over the whole model is linear in its rows, however wide or deep.
  Node* First() const { return roots_.empty() ? nullptr : roots_.front(); }
  Node* Next(const Node* node) const;
  // The first row in display order for which pred holds.
  Node* Find(const std::function<bool(const Node&)>& pred) const;

  // The rows shown: every row whose ancestors are all expanded, in display order.
  const std::vector<Node*>& Visible();
  Node* VisibleAt(size_t row) { return row < Visible().size() ? Visible()[row] : nullptr; }
  // Set when the shown rows changed since the last Visible().
  bool layoutDirty() const { return dirty_; }

  void SetExpanded(Node* node, bool expanded);
  void SetAllExpanded(bool expanded);
  // Expands every ancestor so that the row is shown.
  void Reveal(Node* node);

  void SetCheckBox(Node* node, bool hasBox) { node->hasCheckBox_ = hasBox; }
  // The state exists on every row; toDescendants also sets it on all rows below, with or without a box.
  void SetChecked(Node* node, bool checked, bool toDescendants);
  // Sets every row that has a box; rows without one keep their state.
  void SetAllBoxesChecked(bool checked);
  size_t CheckedCount() const;
  void SetTextColor(Node* node, uint32_t color) { node->color_ = color; }

  // Stable sort of every sibling list by one column's texts, read once per row; column < 0 restores creation order.
  void Sort(int column, bool ascending, const CellText& text, const Compare& compare);
  // The same with a sort key made once per row from the cell text (compare: negative, zero or positive).
  template <typename Key, typename MakeKey, typename CompareKeys>
  void SortByKey(int column, bool ascending, const CellText& text, MakeKey makeKey, CompareKeys compare) {
    std::vector<Key> keys;
    if (column >= 0) {
      keys.reserve(nodes_.size());
      for (auto& n : nodes_) keys.push_back(makeKey(text ? text(*n, column) : std::wstring()));
    }
    SortSiblings([&](const Node* a, const Node* b) {
      if (column < 0) return a->id_ < b->id_;
      const int c = compare(keys[a->id_], keys[b->id_]);
      return ascending ? c < 0 : c > 0;
    });
  }

  // First row in display order whose text in the column begins with typed; always starts from the first row.
  Node* FindPrefix(const std::wstring& typed, int column, const CellText& text, const PrefixMatch& match) const;

 private:
  void SortSiblings(const std::function<bool(const Node*, const Node*)>& less);
  static void Renumber(std::vector<Node*>& siblings);

  std::vector<std::unique_ptr<Node>> nodes_;
  std::vector<Node*> roots_;
  std::vector<Node*> visible_;
  bool dirty_ = false;
};

// Simple case-insensitive comparison and prefix match (towlower per character).
int CompareNoCase(const std::wstring& a, const std::wstring& b);
bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix);

// Column widths for a client width: every column keeps its width except the spare one, which takes what is left,
// never less than its minimum. Widths below a column's minimum are raised to it.
struct ColumnFit {
  int width = 0;
  int minWidth = 0;
  bool spare = false;
};
std::vector<int> FitColumns(const std::vector<ColumnFit>& columns, int clientWidth);

}  // namespace vantrel::grid
