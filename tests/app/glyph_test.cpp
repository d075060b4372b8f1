// Chinese captions must render as glyphs in the program's UI font, not as boxes: a missing glyph draws the same
// box for every character, real glyphs differ.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/dpi.h"
#include "system/raii.h"

namespace vantrel {
namespace {

std::vector<uint32_t> Render(HFONT font, const std::wstring& text) {
  constexpr int kSize = 48;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), kSize, -kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  win::UniqueMemDc dc(::CreateCompatibleDC(nullptr));
  win::UniqueBitmap bmp(::CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dc || !bmp || !bits) return {};
  win::SelectScope selBmp(dc.get(), bmp.get());
  win::SelectScope selFont(dc.get(), font);
  RECT rc{0, 0, kSize, kSize};
  ::FillRect(dc.get(), &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ::SetTextColor(dc.get(), RGB(0, 0, 0));
  ::SetBkMode(dc.get(), TRANSPARENT);
  ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &rc, DT_SINGLELINE | DT_NOPREFIX);
  ::GdiFlush();
  const auto* px = static_cast<const uint32_t*>(bits);
  return std::vector<uint32_t>(px, px + kSize * kSize);
}

size_t Ink(const std::vector<uint32_t>& image) {
  size_t n = 0;
  for (uint32_t p : image) n += (p & 0xFFFFFF) != 0xFFFFFF;
  return n;
}

TEST(ChineseText, CaptionsRenderAsDistinctGlyphsInTheUiFont) {
  for (bool bold : {false, true}) {
    win::UniqueFont font(ui::CreateUiFont(ui::Dpi(96), 14, bold));
    ASSERT_TRUE(font);
    const std::vector<std::wstring> glyphs = {L"进", L"程", L"窗", L"日", L"志"};
    const auto box = Render(font.get(), L"\uE000");  // a private-use character: what a missing glyph looks like
    std::vector<std::vector<uint32_t>> images;
    for (const std::wstring& g : glyphs) {
      images.push_back(Render(font.get(), g));
      EXPECT_GT(Ink(images.back()), 10u) << "no ink for a glyph, bold=" << bold;
      EXPECT_NE(images.back(), box) << "a box instead of a glyph, bold=" << bold;
    }
    for (size_t i = 0; i < images.size(); ++i)
      for (size_t j = i + 1; j < images.size(); ++j)
        EXPECT_NE(images[i], images[j]) << "two different characters drew the same shape, bold=" << bold;
  }
}

}  // namespace
}  // namespace vantrel
