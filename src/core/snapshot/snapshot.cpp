#include "core/snapshot/snapshot.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace vantrel {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// Only plain C state lives in this frame, so that the long jump out of libjpeg skips no destructor.
bool Compress(const uint8_t* bgrx, int width, int height, int stride, int quality, unsigned char** buffer,
              unsigned long* size, char* message) {
  jpeg_compress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnJpegError;
  errors.message[0] = '\0';
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 4;
  info.in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(bgrx + static_cast<size_t>(info.next_scanline) * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

std::wstring TwoDigits(int v) {
  return {static_cast<wchar_t>(L'0' + v / 10 % 10), static_cast<wchar_t>(L'0' + v % 10)};
}

}  // namespace

std::wstring SnapshotBaseName(const SnapshotTime& t) {
  std::wstring year = std::to_wstring(t.Year);
  while (year.size() < 4) year.insert(0, 1, L'0');
  return L"QRV_" + year + TwoDigits(t.Month) + TwoDigits(t.Day) + TwoDigits(t.Hour) + TwoDigits(t.Minute) +
         TwoDigits(t.Second) + L".jpg";
}

std::optional<std::wstring> FreeSnapshotName(const SnapshotTime& t,
                                             const std::function<bool(const std::wstring&)>& exists, int maxTries) {
  const std::wstring base = SnapshotBaseName(t);
  const std::wstring stem = base.substr(0, base.size() - 4);
  for (int n = 1; n <= maxTries; ++n) {
    const std::wstring name = n == 1 ? base : stem + L"_" + std::to_wstring(n) + L".jpg";
    if (!exists(name)) return name;
  }
  return std::nullopt;
}

bool EncodeJpeg(const uint8_t* bgrx, int width, int height, int stride, int quality, std::vector<uint8_t>& out,
                std::string& error) {
  out.clear();
  if (!bgrx || width <= 0 || height <= 0 || width > 65500 || height > 65500 || stride < width * 4) {
    error = "invalid image size";
    return false;
  }
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  char message[JMSG_LENGTH_MAX] = {};
  const bool ok = Compress(bgrx, width, height, stride, quality, &buffer, &size, message);
  if (ok) out.assign(buffer, buffer + size);
  std::free(buffer);  // jpeg_mem_dest's buffer is malloc'ed and left to the caller
  if (!ok) error = message;
  return ok;
}

}  // namespace vantrel
