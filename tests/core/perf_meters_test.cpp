// The CPU load arithmetic, the frequency source's bounded read and fall-back, the frequency scale, the level
// indicator and the monitor grids.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "core/perf/cpu_frequency.h"
#include "core/perf/cpu_load.h"
#include "core/perf/level_indicator.h"
#include "core/perf/monitor_grid.h"

namespace vantrel {
namespace {

constexpr int64_t kSecond = 10'000'000;

TEST(CpuLoad, FromTheSameRecordsGrowth) {
  struct Case {
    const char* label;
    ProcessorTimes before, after;
    int32_t load;
  } cases[] = {
      {"idle second", {0, 0, 0}, {kSecond, kSecond, 0}, 0},
      {"busy in user mode", {0, 0, 0}, {0, 0, kSecond}, 100},
      {"a quarter busy", {0, 0, 0}, {3 * kSecond / 4, 3 * kSecond / 4 + kSecond / 8, kSecond / 8}, 25},
      {"late tick, 5 s, fully busy", {kSecond, kSecond, 0}, {kSecond, 2 * kSecond, 4 * kSecond}, 100},
      {"late tick, 5 s, idle", {0, 0, 0}, {5 * kSecond, 5 * kSecond, 0}, 0},
      {"half: 50.5 rounds to even", {0, 0, 0}, {495, 1000, 0}, 50},
      {"counter went back (failed read)", {kSecond, kSecond, kSecond}, {0, 0, 0}, -1},
      {"idle grew more than total: clamped", {0, 0, 0}, {2 * kSecond, kSecond, 0}, 0},
      {"no time passed", {5, 5, 5}, {5, 5, 5}, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ProcessorLoad(c.before, c.after), c.load) << c.label;
}

TEST(CpuLoad, AverageRoundsHalfToEvenWithoutOverflow) {
  EXPECT_EQ(AverageLoad({0, 5}), 2);  // 2.5
  EXPECT_EQ(AverageLoad({1, 2}), 2);  // 1.5
  EXPECT_EQ(AverageLoad({}), 0);
  EXPECT_EQ(AverageLoad(std::vector<int32_t>(1000, 100)), 100);
  EXPECT_EQ(AverageLoad({INT32_MAX, INT32_MAX}), INT32_MAX);  // the sum is 64-bit
}

TEST(CpuLoad, MeterKeepsPreviousValuesOnFailureAndNeverResizes) {
  CpuLoadMeter meter(2);
  const ProcessorTimes base[] = {{0, 0, 0}, {0, 0, 0}};
  meter.SetBaseline(base, 2);
  const auto* storage = meter.Usages().data();
  const ProcessorTimes t1[] = {{kSecond / 4, kSecond / 4, 3 * kSecond / 4}, {kSecond, kSecond, 0}};
  meter.Update(t1, 2, true);
  EXPECT_EQ(meter.Usages(), (std::vector<int32_t>{75, 0}));
  EXPECT_EQ(meter.Average(), 38);  // 37.5
  const ProcessorTimes zeros[] = {{}, {}};
  meter.Update(zeros, 2, false);  // a failed query: previous values, previous sample
  EXPECT_EQ(meter.Usages(), (std::vector<int32_t>{75, 0}));
  const ProcessorTimes t2[] = {{kSecond / 4, kSecond / 4, 7 * kSecond / 4}, {kSecond, kSecond, kSecond}};
  meter.Update(t2, 2, true);  // measured against t1, not against the failed zeros
  EXPECT_EQ(meter.Usages(), (std::vector<int32_t>{100, 100}));
  meter.Update(t2, 1, true);  // fewer records than processors: the others keep their value; no time passed
  EXPECT_EQ(meter.Usages(), (std::vector<int32_t>{100, 100}));
  EXPECT_EQ(meter.Usages().data(), storage);
  EXPECT_EQ(CpuLoadMeter(0).CPUCount(), 1u);
  EXPECT_EQ(CpuLoadMeter(300).CPUCount(), 300u);
}

// A fake power interface: answers "too small" below `records` records, or a fixed status.
struct FakePower {
  uint32_t records = 4;
  int32_t failure = 0;
  int calls = 0;
  int32_t operator()(void* buffer, uint32_t bytes) {
    ++calls;
    if (failure) return failure;
    if (bytes < records * 24) return kPowerStatusBufferTooSmall;
    auto* r = static_cast<ProcessorPowerInformation*>(buffer);
    for (uint32_t i = 0; i < records; ++i) r[i] = {i, 2400, 1200 + 100 * i, 2400, 0, 0};
    return 0;
  }
};

TEST(CpuFrequency, BoundedReadAndFallBack) {
  std::vector<ProcessorPowerInformation> out;
  FakePower exact{4};
  EXPECT_TRUE(ReadProcessorFrequencies(4, std::ref(exact), out));
  EXPECT_EQ(out.size(), 4u);
  EXPECT_EQ(exact.calls, 1);
  FakePower more{6};  // the system has more records than processors: doubled once, untouched tail dropped
  EXPECT_TRUE(ReadProcessorFrequencies(4, std::ref(more), out));
  EXPECT_EQ(out.size(), 6u);
  EXPECT_EQ(more.calls, 2);
  FakePower denied{4, static_cast<int32_t>(0xC0000022)};  // access denied: one call, no records
  EXPECT_FALSE(ReadProcessorFrequencies(4, std::ref(denied), out));
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(denied.calls, 1);
  FakePower never{100000};  // always too small: at most 8 doublings, never past 4,096 records
  EXPECT_FALSE(ReadProcessorFrequencies(1, std::ref(never), out));
  EXPECT_LE(never.calls, 9);
  EXPECT_LE(out.capacity(), kFrequencyMaxRecords);
}

TEST(CpuFrequency, MonitorInputs) {
  std::vector<ProcessorPowerInformation> four(4);
  for (uint32_t i = 0; i < 4; ++i) four[i] = {i, 2400, 1000 + i, 2400, 0, 0};
  EXPECT_EQ(FrequencyInputFor(1, four, 9999).CurrentMhz, 1001u);  // two cores, four records: monitor j, record j
  EXPECT_EQ(FrequencyInputFor(7, four, 9999).CurrentMhz, 1003u);  // surplus monitors repeat the last record
  const FrequencyInput nominal = FrequencyInputFor(0, {}, 2600);
  EXPECT_EQ(nominal.LimitMhz, 2600u);
  EXPECT_EQ(nominal.CurrentMhz, 2600u);

  struct Step {
    uint32_t limit, current;
    int32_t percent;
    uint32_t stored;
  } steps[] = {{2400, 1200, 50, 2400}, {2000, 1200, 50, 2400}, {0, 3000, 100, 2400}};
  FrequencyScale scale;
  EXPECT_EQ(scale.Percent(1), 100);  // before any limit the 100 % value is 1
  for (const Step& s : steps) {
    scale.SetLimits(s.limit);
    EXPECT_EQ(scale.Percent(s.current), s.percent);
    EXPECT_EQ(scale.Limit(), s.stored);
  }
  FrequencyScale zero;  // a nominal clock of 0: the limit stays 1, 0 MHz reads 0 %
  zero.SetLimits(0);
  EXPECT_EQ(zero.Percent(0), 0);
}

TEST(LevelIndicator, RowsAndClamping) {
  IndicatorModel m;
  EXPECT_TRUE(m.SetPosition(150));
  EXPECT_EQ(m.Position(), 100);
  EXPECT_FALSE(m.SetPosition(100));
  m.SetPosition(-3);
  EXPECT_EQ(m.Position(), 0);
  EXPECT_EQ(IndicatorModel::LowestRow(122), 38);
  m.SetPosition(50);
  EXPECT_EQ(m.FirstLitRow(122), 19);
  m.SetForeground(0x00FF00);
  EXPECT_EQ(m.Shadow(), 0x007F00u);

  std::vector<IndicatorStrip> strips;
  m.Strips(51, 122, strips);
  ASSERT_EQ(strips.size(), 39u * 4);
  EXPECT_EQ(strips[0].Y, 2);
  EXPECT_EQ(strips[0].Left, 5);
  EXPECT_EQ(strips[0].Right, 25);  // up to half - 1, a gap at the centre column 25
  EXPECT_EQ(strips[1].Left, 26);
  EXPECT_EQ(strips[1].Right, 46);  // width - 5 excluded
  EXPECT_EQ(strips.back().Y, 3 * 38 + 3);
  int lit = 0;
  for (const auto& s : strips) lit += s.Lit;
  EXPECT_EQ(lit, (38 - 19 + 1) * 4);
  m.SetPosition(0);  // the bottom row stays lit at 0 %
  m.Strips(51, 122, strips);
  EXPECT_TRUE(strips.back().Lit);
  EXPECT_FALSE(strips[strips.size() - 5].Lit);
  m.Strips(51, 5, strips);  // too low for a row
  EXPECT_TRUE(strips.empty());
}

TEST(MonitorGrid, WrapsAndNeverOverlaps) {
  struct Case {
    uint32_t count, perRow, columns, rows;
  } cases[] = {{1, 8, 1, 1},  {2, 8, 2, 1},  {4, 8, 4, 1},  {6, 8, 6, 1},  {12, 8, 8, 2}, {16, 8, 8, 2},
               {64, 8, 8, 8}, {1, 4, 1, 1},  {2, 4, 2, 1},  {4, 4, 4, 1},  {6, 4, 4, 2}, {12, 4, 4, 3},
               {16, 4, 4, 4}, {64, 4, 4, 16}, {0, 4, 1, 1}, {300, 8, 8, 38}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.count << " per " << c.perRow);
    const MonitorGrid g = MakeMonitorGrid(c.count, c.perRow);
    EXPECT_EQ(g.Columns, c.columns);
    EXPECT_EQ(g.Rows, c.rows);
    const int w = 757, h = 301;
    long long area = 0;
    std::set<std::pair<int, int>> cells;
    for (uint32_t i = 0; i < c.count; ++i) {
      const GridRect r = g.Cell(i, w, h);
      EXPECT_EQ(g.RowOf(i), i / c.perRow);  // rows fill left to right, perRow frames each
      EXPECT_TRUE(cells.insert({static_cast<int>(g.ColumnOf(i)), static_cast<int>(g.RowOf(i))}).second);
      EXPECT_GE(r.Left, 0);
      EXPECT_LE(r.Right, w);
      EXPECT_LE(r.Bottom, h);
      area += static_cast<long long>(r.Right - r.Left) * (r.Bottom - r.Top);
      for (uint32_t j = 0; j < i; ++j) {
        const GridRect o = g.Cell(j, w, h);
        const bool overlap = r.Left < o.Right && o.Left < r.Right && r.Top < o.Bottom && o.Top < r.Bottom;
        EXPECT_FALSE(overlap) << i << " and " << j;
      }
    }
    if (c.count == c.columns * c.rows && c.count) {
      EXPECT_EQ(area, static_cast<long long>(w) * h);  // full grids tile
    }
  }
  const MonitorGrid twelve = MakeMonitorGrid(12, 8);
  EXPECT_DOUBLE_EQ(twelve.ColumnPercent(), 12.5);
  EXPECT_DOUBLE_EQ(twelve.RowPercent(), 50);
  EXPECT_EQ(twelve.RowOf(7), 0u);
  EXPECT_EQ(twelve.RowOf(8), 1u);
  EXPECT_EQ(MakeMonitorGrid(6, 4).RowOf(4), 1u);
}

}  // namespace
}  // namespace vantrel
