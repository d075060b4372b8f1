// The windows page's hierarchy on arbitrary handle and parent/owner links (duplicates, self-links, cycles): every
// entry placed once, under the first listed window of its parent's handle or as a root, never inside a cycle; the
// tree order lists every entry once with each child one level below its parent. Also the tree order on arbitrary
// (malformed) parent lists.
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "core/windows/window_tree.h"

namespace {

void CheckOrder(const std::vector<int>& parents, bool wellFormed) {
  const std::vector<vantrel::WindowTreeRow> rows = vantrel::WindowTreeOrder(parents);
  if (rows.size() != parents.size()) __builtin_trap();
  std::vector<int> levelOf(parents.size(), -1);
  for (const auto& row : rows) {
    if (row.Index < 0 || static_cast<size_t>(row.Index) >= parents.size()) __builtin_trap();
    if (levelOf[static_cast<size_t>(row.Index)] != -1) __builtin_trap();  // listed twice
    levelOf[static_cast<size_t>(row.Index)] = row.Level;
    if (!wellFormed) continue;
    const int p = parents[static_cast<size_t>(row.Index)];
    // A parent comes first, and its child is one level below it.
    if (p < 0 ? row.Level != 0 : levelOf[static_cast<size_t>(p)] != row.Level - 1) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Small handle values so that links hit listed windows often.
  std::vector<vantrel::WindowLink> links;
  for (size_t i = 0; i + 1 < size; i += 2) links.push_back({static_cast<uint32_t>(data[i] % 64), data[i + 1] % 64u});
  const std::vector<int> parents = vantrel::BuildWindowHierarchy(links);
  if (parents.size() != links.size()) __builtin_trap();
  std::unordered_map<uint32_t, int> first;
  for (size_t i = 0; i < links.size(); ++i) first.emplace(links[i].Handle, static_cast<int>(i));
  for (size_t i = 0; i < parents.size(); ++i) {
    const int p = parents[i];
    if (p == -1) continue;
    if (p < 0 || static_cast<size_t>(p) >= links.size() || links[i].ParentWin == 0) __builtin_trap();
    if (first.at(links[i].ParentWin) != p) __builtin_trap();  // the first listed window of that handle
    // Walking up ends at a root within n steps: no cycle.
    int at = static_cast<int>(i);
    for (size_t steps = 0; at != -1; ++steps) {
      if (steps > parents.size()) __builtin_trap();
      at = parents[static_cast<size_t>(at)];
    }
  }
  CheckOrder(parents, true);

  // Any parent list, however malformed, still lists every entry once.
  std::vector<int> arbitrary;
  for (size_t i = 0; i < size; ++i) arbitrary.push_back(static_cast<int>(data[i] % 40) - 4);
  CheckOrder(arbitrary, false);
  return 0;
}
