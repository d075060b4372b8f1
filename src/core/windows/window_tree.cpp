#include "core/windows/window_tree.h"

#include <unordered_map>

namespace vantrel {
namespace {

// The root of x's current tree, with path halving so that the total work stays near-linear.
int FindRoot(std::vector<int>& up, int x) {
  while (up[static_cast<size_t>(x)] != x) {
    int& next = up[static_cast<size_t>(x)];
    next = up[static_cast<size_t>(next)];
    x = next;
  }
  return x;
}

}  // namespace

std::vector<WindowLink> WindowLinks(const std::vector<WindowInfo>& windows) {
  std::vector<WindowLink> links;
  links.reserve(windows.size());
  for (const WindowInfo& w : windows) links.push_back({w.Handle, static_cast<uint32_t>(w.ParentWin)});
  return links;
}

std::vector<int> BuildWindowHierarchy(const std::vector<WindowLink>& links) {
  const int n = static_cast<int>(links.size());
  std::unordered_map<uint32_t, int> byHandle;
  byHandle.reserve(links.size());
  for (int i = 0; i < n; ++i) byHandle.emplace(links[static_cast<size_t>(i)].Handle, i);  // the first one wins

  std::vector<int> parents(links.size(), -1);
  std::vector<int> up(links.size());
  for (int i = 0; i < n; ++i) up[static_cast<size_t>(i)] = i;
  // Entries are placed in list order; an entry not placed yet is still a root, so a link i -> p closes a cycle
  // exactly when p's tree is rooted at i.
  for (int i = 0; i < n; ++i) {
    const uint32_t parentHandle = links[static_cast<size_t>(i)].ParentWin;
    if (parentHandle == 0) continue;
    const auto hit = byHandle.find(parentHandle);
    if (hit == byHandle.end()) continue;
    const int p = hit->second;
    if (FindRoot(up, p) == i) continue;
    parents[static_cast<size_t>(i)] = p;
    up[static_cast<size_t>(i)] = p;
  }
  return parents;
}

std::vector<WindowTreeRow> WindowTreeOrder(const std::vector<int>& parents) {
  const size_t n = parents.size();
  std::vector<std::vector<int>> children(n);
  std::vector<int> roots;
  for (size_t i = 0; i < n; ++i) {
    const int p = parents[i];
    if (p >= 0 && static_cast<size_t>(p) < n && p != static_cast<int>(i))
      children[static_cast<size_t>(p)].push_back(static_cast<int>(i));
    else roots.push_back(static_cast<int>(i));
  }
  std::vector<WindowTreeRow> rows;
  rows.reserve(n);
  std::vector<bool> seen(n, false);
  std::vector<WindowTreeRow> stack;
  // Iterative depth-first walk; "seen" guards against a malformed parents list with a cycle, whose entries are
  // then shown from the first of them as a root.
  auto walk = [&](int root) {
    stack.push_back({root, 0});
    while (!stack.empty()) {
      const WindowTreeRow row = stack.back();
      stack.pop_back();
      if (seen[static_cast<size_t>(row.Index)]) continue;
      seen[static_cast<size_t>(row.Index)] = true;
      rows.push_back(row);
      const std::vector<int>& kids = children[static_cast<size_t>(row.Index)];
      for (auto c = kids.rbegin(); c != kids.rend(); ++c) stack.push_back({*c, row.Level + 1});
    }
  };
  for (int r : roots) walk(r);
  for (size_t i = 0; i < n; ++i)
    if (!seen[i]) walk(static_cast<int>(i));
  return rows;
}

}  // namespace vantrel
