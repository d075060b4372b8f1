// The trend chart's series, range rules and pictures.
#include <gtest/gtest.h>

#include <climits>

#include "core/perf/trend_model.h"

namespace vantrel {
namespace {

TrendModel PageChart() {  // the settings every chart of the performance page uses
  TrendModel t;
  t.SetDivisions(200);
  t.SetStyle(TrendStyle::Line);
  t.SetBackGroundColor(0);
  t.SetGridColor(5789784);
  t.SetGridXstep(20);
  return t;
}

TrendMetrics Metrics(int w, int h, int gridX = 20) {
  TrendMetrics m;
  m.Width = w;
  m.Height = h;
  m.GridXstepPx = gridX;
  m.TextWidth = [](const std::wstring& s) { return static_cast<int>(s.size()) * 6; };
  return m;
}

TEST(TrendModel, SettersKeepTheRules) {
  TrendModel t;
  EXPECT_EQ(t.Divisions(), 20);
  EXPECT_EQ(t.Style(), TrendStyle::Bar);
  EXPECT_EQ(t.Color(), 0x0000FFu);
  EXPECT_TRUE(t.SetMinVal(100));  // equal to the maximum: one below it
  EXPECT_EQ(t.MinVal(), 99);
  EXPECT_FALSE(t.SetMinVal(99));  // unchanged: no repaint
  EXPECT_FALSE(t.SetMaxVal(50));  // at or below the minimum: one above it, which is what it was
  EXPECT_EQ(t.MaxVal(), 100);
  t.SetMinVal(0);
  t.SetDivisions(500);
  EXPECT_EQ(t.Divisions(), 200);
  t.SetDivisions(1);
  EXPECT_EQ(t.Divisions(), 2);
  EXPECT_FALSE(t.SetGridXstep(0));
  EXPECT_FALSE(t.SetGridYstep(-4));
  EXPECT_EQ(t.GridXstep(), 10);
  EXPECT_EQ(ShadeColor(0x10F080, 60), 0x4CFFBCu);
  EXPECT_EQ(ShadeColor(0x10F080, -60), 0x00B444u);
  // Extreme ranges never overflow.
  EXPECT_TRUE(t.SetMaxVal(INT32_MAX));
  EXPECT_TRUE(t.SetMinVal(INT32_MIN));
  t.SetMaxVal(INT32_MIN);
  EXPECT_EQ(t.MaxVal(), INT32_MIN + 1);
}

TEST(TrendModel, AddClampsOrAutoScales) {
  TrendModel t = PageChart();
  t.Add(150);
  EXPECT_EQ(t.Get(199), 100);
  t.Add(-5);
  EXPECT_EQ(t.Get(199), 0);
  EXPECT_EQ(t.Get(198), 100);
  EXPECT_EQ(t.Get(200), 0);
  EXPECT_EQ(t.Get(-1), 0);

  TrendModel a = PageChart();
  a.SetAutoScale(true);
  a.Add(150);
  EXPECT_EQ(a.MaxVal(), 150);
  EXPECT_EQ(a.Get(199), 150);
  for (int i = 0; i < 199; ++i) a.Add(40);
  EXPECT_EQ(a.MaxVal(), 150);  // still stored in slot 0
  a.Add(40);                   // scrolled out of every slot
  EXPECT_EQ(a.MaxVal(), 40);
  a.AddBase(70);
  EXPECT_EQ(a.MaxVal(), 70);
  a.Add(INT32_MAX);
  EXPECT_EQ(a.MaxVal(), INT32_MAX);

  TrendModel c = PageChart();
  for (int i = 0; i < 200; ++i) c.Add(i % 100);
  c.SetDivisions(20);
  c.Clear();  // only the shown slots
  EXPECT_EQ(c.Get(19), 0);
  EXPECT_EQ(c.Get(20), 20);
}

TEST(TrendModel, LinePictureAndGrid) {
  TrendModel t = PageChart();
  TrendPicture p;
  t.Draw(Metrics(300, 100), p);
  ASSERT_EQ(p.LineCount, 1);
  const auto& pts = p.Lines[0].Points;
  ASSERT_EQ(pts.size(), 200u);
  // A fresh chart is a flat line at the minimum: 3 pixels above the bottom.
  for (const auto& pt : pts) EXPECT_EQ(pt.Y, 97);
  EXPECT_EQ(pts.front().X, 3);    // s = 294 / 200 = 1.47; Round(s) div 2 = 0
  EXPECT_EQ(pts.back().X, 296);   // Round(3 + 199 × 1.47)
  t.Add(100);
  t.Draw(Metrics(300, 100), p);
  EXPECT_EQ(p.Lines[0].Points.back().Y, 3);  // the newest value, at the right edge only
  EXPECT_EQ(p.Lines[0].Points[198].Y, 97);
  // Vertical grid lines 20, 40, ... pixels left of the right edge, whatever the values.
  ASSERT_EQ(p.GridX.size(), 14u);
  EXPECT_EQ(p.GridX.front(), 280);
  EXPECT_EQ(p.GridX.back(), 20);
  // Horizontal lines at the multiples of 10 within 1..99: 10 % .. 90 %.
  ASSERT_EQ(p.GridY.size(), 9u);
  EXPECT_EQ(p.GridY.front(), 90);
  EXPECT_EQ(p.GridY.back(), 10);
  // A step above the width becomes the width (no line), a zero-width control draws nothing.
  t.Draw(Metrics(300, 100, 1000), p);
  EXPECT_TRUE(p.GridX.empty());
  t.Draw(Metrics(0, 0), p);
  EXPECT_TRUE(p.GridX.empty());
  EXPECT_EQ(p.LineCount, 0);
  // A huge range with a step of 1: at most one line per percentage, found without walking every value.
  t.SetMaxVal(INT32_MAX);
  t.SetMinVal(INT32_MIN);
  t.SetGridYstep(1);
  t.Draw(Metrics(300, 100), p);
  EXPECT_EQ(p.GridY.size(), 100u);
  t.SetGridYstep(INT32_MAX);  // multiples inside Min+1..Max-1: -INT32_MAX (= Min + 1) and 0
  t.Draw(Metrics(300, 100), p);
  ASSERT_EQ(p.GridY.size(), 2u);
  EXPECT_EQ(p.GridY[0], 100);
  EXPECT_EQ(p.GridY[1], 50);
}

TEST(TrendModel, OtherStyles) {
  TrendModel t;
  t.SetDivisions(4);
  for (int v : {10, 20, 30, 40}) t.Add(v);
  for (int v : {5, 25, 5, 45}) t.AddBase(v);
  TrendPicture p;
  const TrendMetrics m = Metrics(106, 106);  // s = 100 / 4 = 25; height range 100

  t.SetStyle(TrendStyle::Bar);
  t.Draw(m, p);
  ASSERT_EQ(p.Shapes.size(), 4u);
  EXPECT_EQ(p.Shapes[0].Points[0].X, 3);
  EXPECT_EQ(p.Shapes[0].Points[0].Y, 103);
  EXPECT_EQ(p.Shapes[0].Points[1].X, 28);
  EXPECT_EQ(p.Shapes[0].Points[1].Y, 106 - 13);  // Y(10) = 10 × 100 div 100 + 3
  EXPECT_EQ(p.Shapes[0].Pen, 0xC0C0C0u);         // outlined in the grid colour
  t.SetOptions(kTrendPrintValues);
  t.Draw(m, p);
  ASSERT_EQ(p.Texts.size(), 4u);
  EXPECT_EQ(p.Texts[3].Text, L"40");
  EXPECT_EQ(p.Shapes[3].Points[1].Y, 106 - (40 * 92 / 100 + 3));  // room for the label
  EXPECT_EQ(p.Texts[3].Y, 106 - (40 * 92 / 100 + 3) - 8);
  EXPECT_EQ(p.Texts[3].X, 78 + 12 - 6);

  t.SetOptions(kTrendDrawTwin);
  t.SetStyle(TrendStyle::Scatter);
  t.Draw(m, p);
  ASSERT_EQ(p.Shapes.size(), 8u);
  EXPECT_EQ(p.Shapes[1].Fill, 0xFFFF00u);  // the base series' square follows the main one
  EXPECT_EQ(p.Shapes[0].Points[1].X - p.Shapes[0].Points[0].X, 12);  // r = Round(25 / 4) = 6

  t.SetStyle(TrendStyle::Filled);
  t.Draw(m, p);
  ASSERT_EQ(p.Shapes.size(), 3u);
  EXPECT_EQ(p.Shapes[0].PointCount, 4);
  EXPECT_EQ(p.Shapes[0].Points[0].X, 16);  // Round(3 + 12.5) = 16 (ties to even)
  EXPECT_EQ(p.Shapes[0].Points[2].Y, 106 - 23);

  t.SetStyle(TrendStyle::ThreeD);
  t.SetOptions(kTrendDrawTwin | kTrendPrintValues);
  t.Draw(m, p);
  ASSERT_EQ(p.Shapes.size(), 12u);
  EXPECT_EQ(p.Shapes[1].Fill, ShadeColor(0x0000FF, -60));
  EXPECT_EQ(p.Shapes[2].Fill, ShadeColor(0x0000FF, 60));
  EXPECT_EQ(p.Texts[1].Text, L"5");  // |20 - 25|
  t.SetStyle(TrendStyle::Line);
  t.Draw(m, p);
  EXPECT_EQ(p.LineCount, 2);
  EXPECT_EQ(p.Lines[1].Pen, 0xFFFF00u);
}

}  // namespace
}  // namespace vantrel
