#include "core/grid/grid_model.h"

#include <algorithm>
#include <cwctype>

namespace vantrel::grid {

Node* GridModel::Add(Node* parent, std::unique_ptr<RecordHolder> record) {
  auto node = std::make_unique<Node>();
  Node* raw = node.get();
  raw->record_ = std::move(record);
  raw->id_ = nodes_.size();
  raw->parent_ = parent;
  raw->level_ = parent ? parent->level_ + 1 : 0;
  nodes_.push_back(std::move(node));
  std::vector<Node*>& siblings = parent ? parent->children_ : roots_;
  raw->index_ = siblings.size();
  siblings.push_back(raw);
  dirty_ = true;
  return raw;
}

void GridModel::Clear() {
  visible_.clear();
  roots_.clear();
  nodes_.clear();
  dirty_ = true;
}

Node* GridModel::Next(const Node* node) const {
  if (!node) return nullptr;
  if (!node->children_.empty()) return node->children_.front();
  for (const Node* n = node; n; n = n->parent_) {
    const std::vector<Node*>& siblings = n->parent_ ? n->parent_->children_ : roots_;
    if (n->index_ + 1 < siblings.size()) return siblings[n->index_ + 1];
  }
  return nullptr;
}

Node* GridModel::Find(const std::function<bool(const Node&)>& pred) const {
  // An explicit stack rather than Next(): no climbing back out of deep subtrees.
  std::vector<Node*> stack(roots_.rbegin(), roots_.rend());
  while (!stack.empty()) {
    Node* n = stack.back();
    stack.pop_back();
    if (pred(*n)) return n;
    stack.insert(stack.end(), n->children_.rbegin(), n->children_.rend());
  }
  return nullptr;
}

const std::vector<Node*>& GridModel::Visible() {
  if (!dirty_) return visible_;
  visible_.clear();
  visible_.reserve(nodes_.size());
  for (auto& n : nodes_) n->row_ = -1;
  std::vector<Node*> stack(roots_.rbegin(), roots_.rend());
  while (!stack.empty()) {
    Node* n = stack.back();
    stack.pop_back();
    n->row_ = static_cast<int>(visible_.size());
    visible_.push_back(n);
    if (n->expanded_) stack.insert(stack.end(), n->children_.rbegin(), n->children_.rend());
  }
  dirty_ = false;
  return visible_;
}

void GridModel::SetExpanded(Node* node, bool expanded) {
  if (node->expanded_ == expanded) return;
  node->expanded_ = expanded;
  if (!node->children_.empty()) dirty_ = true;
}

void GridModel::SetAllExpanded(bool expanded) {
  for (auto& n : nodes_) n->expanded_ = expanded;
  dirty_ = true;
}

void GridModel::Reveal(Node* node) {
  for (Node* p = node ? node->parent_ : nullptr; p; p = p->parent_) SetExpanded(p, true);
}

void GridModel::SetChecked(Node* node, bool checked, bool toDescendants) {
  node->checked_ = checked;
  if (!toDescendants) return;
  std::vector<Node*> stack(node->children_.begin(), node->children_.end());
  while (!stack.empty()) {
    Node* n = stack.back();
    stack.pop_back();
    // A row without a box cannot show the mark, so it never takes one it would act on unseen.
    if (n->hasCheckBox_) n->checked_ = checked;
    stack.insert(stack.end(), n->children_.begin(), n->children_.end());
  }
}

void GridModel::SetAllBoxesChecked(bool checked) {
  for (auto& n : nodes_)
    if (n->hasCheckBox_) n->checked_ = checked;
}

size_t GridModel::CheckedCount() const {
  return static_cast<size_t>(std::count_if(nodes_.begin(), nodes_.end(), [](const auto& n) { return n->checked_; }));
}

void GridModel::Sort(int column, bool ascending, const CellText& text, const Compare& compare) {
  SortByKey<std::wstring>(
      column, ascending, text, [](std::wstring t) { return t; },
      [&](const std::wstring& a, const std::wstring& b) { return compare(a, b); });
}

void GridModel::SortSiblings(const std::function<bool(const Node*, const Node*)>& less) {
  std::stable_sort(roots_.begin(), roots_.end(), less);
  Renumber(roots_);
  for (auto& n : nodes_)
    if (n->children_.size() > 1) {
      std::stable_sort(n->children_.begin(), n->children_.end(), less);
      Renumber(n->children_);
    }
  dirty_ = true;
}

void GridModel::Renumber(std::vector<Node*>& siblings) {
  for (size_t i = 0; i < siblings.size(); ++i) siblings[i]->index_ = i;
}

Node* GridModel::FindPrefix(const std::wstring& typed, int column, const CellText& text,
                            const PrefixMatch& match) const {
  if (typed.empty()) return nullptr;
  return Find([&](const Node& n) { return match(text(n, column), typed); });
}

namespace {
wchar_t Fold(wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); }
}  // namespace

int CompareNoCase(const std::wstring& a, const std::wstring& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const wchar_t x = Fold(a[i]), y = Fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Fold(text[i]) != Fold(prefix[i])) return false;
  return true;
}

std::vector<int> FitColumns(const std::vector<ColumnFit>& columns, int clientWidth) {
  std::vector<int> widths;
  widths.reserve(columns.size());
  int fixed = 0;
  int spare = -1;
  for (size_t i = 0; i < columns.size(); ++i) {
    widths.push_back(std::max(columns[i].width, columns[i].minWidth));
    if (columns[i].spare && spare < 0) {
      spare = static_cast<int>(i);
    } else {
      fixed += widths.back();
    }
  }
  if (spare >= 0) widths[spare] = std::max(columns[spare].minWidth, clientWidth - fixed);
  return widths;
}

}  // namespace vantrel::grid
