// Refreshes never nest: what a timer tick or a refresh command does while the lists are in use.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/shell/refresh_gate.h"

namespace vantrel {
namespace {

using K = RefreshKind;

TEST(RefreshGate, WhileBusyATickIsDroppedAndExplicitRefreshesCoalesceIntoOneWideEnough) {
  struct Case {
    const char* name;
    std::vector<K> duringRefresh;
    std::optional<K> afterwards;
  };
  const Case cases[] = {
      {"nothing asked", {}, std::nullopt},
      {"timer ticks", {K::Periodic, K::Periodic}, std::nullopt},
      {"one refresh command", {K::ActivePage}, K::ActivePage},
      {"F5 pressed twice", {K::AllPages, K::AllPages}, K::AllPages},
      {"a command, then F5", {K::ActivePage, K::AllPages}, K::AllPages},
      {"F5, then a command", {K::AllPages, K::ActivePage, K::Periodic}, K::AllPages},
  };
  for (const Case& c : cases) {
    RefreshGate gate;
    ASSERT_TRUE(gate.TryEnter(K::Periodic)) << c.name;
    for (K kind : c.duringRefresh) EXPECT_FALSE(gate.TryEnter(kind)) << c.name;
    EXPECT_EQ(gate.TakeDeferred(), std::nullopt) << c.name << ": not while the refresh runs";
    gate.Leave();
    EXPECT_FALSE(gate.Busy()) << c.name;
    EXPECT_EQ(gate.TakeDeferred(), c.afterwards) << c.name;
    EXPECT_EQ(gate.TakeDeferred(), std::nullopt) << c.name << ": handed out once";
    EXPECT_TRUE(gate.TryEnter(K::Periodic)) << c.name << ": free again";
  }
}

TEST(RefreshGate, AHoldDefersRefreshesUntilTheLastHolderLeaves) {
  RefreshGate gate;
  gate.Hold();
  ASSERT_TRUE(gate.Busy());
  EXPECT_FALSE(gate.TryEnter(K::ActivePage));
  gate.Hold();  // nested: the refresh's own rows are held by a handler inside it
  gate.Leave();
  EXPECT_EQ(gate.TakeDeferred(), std::nullopt) << "one holder is still in";
  EXPECT_TRUE(gate.HasDeferred());
  gate.Leave();
  EXPECT_EQ(gate.TakeDeferred(), K::ActivePage);
  gate.Leave();  // an unmatched leave leaves the gate usable
  EXPECT_FALSE(gate.Busy());
  EXPECT_TRUE(gate.TryEnter(K::AllPages));
}

// A list that frees its rows at every refresh and writes into the row it just added after a wait that pumps
// messages, as the process walk does. A refresh started inside the wait would free that row (ASan reports it).
struct PumpingList {
  struct Row {
    int value = 0;
  };
  RefreshGate gate;
  std::vector<std::unique_ptr<Row>> rows;
  std::function<void()> pump;  // what arrives while the walk waits
  int started = 0;
  int depth = 0, deepest = 0;

  void Request(K kind) {
    if (!gate.TryEnter(kind)) return;
    ++started;
    deepest = std::max(deepest, ++depth);
    rows.clear();
    for (int i = 0; i < 3; ++i) {
      rows.push_back(std::make_unique<Row>());
      Row& row = *rows.back();
      if (pump) pump();
      row.value = i + 1;
    }
    --depth;
    gate.Leave();
  }
  void RunDeferred() {
    while (auto next = gate.TakeDeferred()) Request(*next);
  }
};

TEST(RefreshGate, TicksAndCommandsArrivingInsideTheWalkNeverStartARefreshThere) {
  PumpingList list;
  bool delivered = false;
  list.pump = [&] {
    if (delivered) return;
    delivered = true;
    list.Request(K::Periodic);
    list.Request(K::AllPages);
    list.Request(K::ActivePage);
  };
  list.Request(K::ActivePage);
  ASSERT_TRUE(delivered);
  EXPECT_EQ(list.started, 1);
  EXPECT_EQ(list.deepest, 1);
  ASSERT_EQ(list.rows.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.rows[static_cast<size_t>(i)]->value, i + 1);

  // The two commands run once, after the walk.
  list.pump = nullptr;
  list.RunDeferred();
  EXPECT_EQ(list.started, 2);
  EXPECT_EQ(list.deepest, 1);
  EXPECT_FALSE(list.gate.HasDeferred());
}

}  // namespace
}  // namespace vantrel
