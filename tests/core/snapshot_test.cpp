#include "core/snapshot/snapshot.h"

#include <gtest/gtest.h>

#include <set>

#include "../support/jpeg_check.h"

namespace vantrel {
namespace {

TEST(Snapshot, NameRuleNeverReusesAnExistingName) {
  const SnapshotTime t{2014, 5, 6, 14, 5, 9};
  EXPECT_EQ(SnapshotBaseName(t), L"QRV_20140506140509.jpg");
  EXPECT_EQ(SnapshotBaseName({987, 12, 31, 0, 0, 0}), L"QRV_09871231000000.jpg");

  std::set<std::wstring> folder;
  const auto exists = [&](const std::wstring& name) { return folder.count(name) > 0; };
  for (const wchar_t* expected : {L"QRV_20140506140509.jpg", L"QRV_20140506140509_2.jpg", L"QRV_20140506140509_3.jpg"}) {
    const auto name = FreeSnapshotName(t, exists);
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(*name, expected);
    folder.insert(*name);
  }
  folder.erase(L"QRV_20140506140509_2.jpg");  // a gap is filled
  EXPECT_EQ(FreeSnapshotName(t, exists), L"QRV_20140506140509_2.jpg");
  EXPECT_FALSE(FreeSnapshotName(t, [](const std::wstring&) { return true; }, 50).has_value());
}

TEST(Snapshot, EncodesBaselineQuality90AtTheImageSize) {
  const int width = 37, height = 23, stride = width * 4 + 8;  // rows padded: the stride is honoured
  std::vector<uint8_t> pixels(static_cast<size_t>(stride) * height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &pixels[static_cast<size_t>(y) * stride + x * 4];
      p[0] = x < width / 2 ? 200 : 20;  // blue on the left half
      p[1] = 20;
      p[2] = x < width / 2 ? 20 : 200;  // red on the right half
    }
  std::vector<uint8_t> jpeg;
  std::string error;
  ASSERT_TRUE(EncodeJpeg(pixels.data(), width, height, stride, kSnapshotQuality, jpeg, error)) << error;
  const testing::JpegFacts facts = testing::DecodeJpeg(jpeg);
  ASSERT_TRUE(facts.decoded);
  EXPECT_EQ(facts.width, width);
  EXPECT_EQ(facts.height, height);
  EXPECT_EQ(facts.components, 3);
  EXPECT_FALSE(facts.progressive);
  EXPECT_TRUE(facts.quality90);
  const uint8_t* left = &facts.rgb[(11 * width + 3) * 3];
  const uint8_t* right = &facts.rgb[(11 * width + 33) * 3];
  EXPECT_GT(left[2], 150);   // blue stays blue (channel order is right)
  EXPECT_LT(left[0], 70);
  EXPECT_GT(right[0], 150);  // red stays red
  EXPECT_LT(right[2], 70);

  std::vector<uint8_t> other;
  ASSERT_TRUE(EncodeJpeg(pixels.data(), width, height, stride, 50, other, error));
  EXPECT_FALSE(testing::DecodeJpeg(other).quality90);  // the check does tell qualities apart

  EXPECT_FALSE(EncodeJpeg(pixels.data(), 0, height, stride, 90, jpeg, error));
  EXPECT_FALSE(EncodeJpeg(pixels.data(), width, height, width * 2, 90, jpeg, error));
  EXPECT_TRUE(jpeg.empty());
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vantrel
