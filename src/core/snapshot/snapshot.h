// The window snapshot's portable half: the file name rule and the JPEG encoding (libjpeg, baseline, quality 90).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct SnapshotTime {
  int Year, Month, Day, Hour, Minute, Second;
};

// "QRV_yyyymmddhhnnss.jpg".
std::wstring SnapshotBaseName(const SnapshotTime& t);
// The base name, or the first of "QRV_..._2.jpg", "_3", ... that does not exist yet; nothing after maxTries names.
std::optional<std::wstring> FreeSnapshotName(const SnapshotTime& t,
                                             const std::function<bool(const std::wstring&)>& exists,
                                             int maxTries = 10000);

inline constexpr int kSnapshotQuality = 90;

// Encodes 32-bit pixels (blue, green, red, unused; rows top-down, stride bytes apart) as a baseline colour JPEG
// with libjpeg's defaults at the given quality. False with libjpeg's message in error on failure.
bool EncodeJpeg(const uint8_t* bgrx, int width, int height, int stride, int quality, std::vector<uint8_t>& out,
                std::string& error);

}  // namespace vantrel
