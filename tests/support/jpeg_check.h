// Test helper: decodes a JPEG file's bytes with libjpeg and reports what the snapshot tests check.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace vantrel::testing {

struct JpegFacts {
  bool decoded = false;
  int width = 0, height = 0, components = 0;
  bool progressive = true;
  bool quality90 = false;  // the luminance table is the standard one scaled for quality 90
  std::vector<uint8_t> rgb;
};

namespace detail {
struct JumpError {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};
inline void Jump(j_common_ptr info) { std::longjmp(reinterpret_cast<JumpError*>(info->err)->jump, 1); }
inline bool Decode(const std::vector<uint8_t>& bytes, JpegFacts* facts) {
  static const int kLuminance[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                     14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                     18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                     49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
  jpeg_decompress_struct info;
  JumpError errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = Jump;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  facts->quality90 = info.quant_tbl_ptrs[0] != nullptr;
  for (int i = 0; i < 64 && facts->quality90; ++i) {
    int expected = (kLuminance[i] * 20 + 50) / 100;  // libjpeg's scaling: 200 - 2 * 90 percent
    expected = expected < 1 ? 1 : expected;
    facts->quality90 = info.quant_tbl_ptrs[0]->quantval[i] == expected;
  }
  facts->progressive = jpeg_has_multiple_scans(&info);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  facts->width = static_cast<int>(info.output_width);
  facts->height = static_cast<int>(info.output_height);
  facts->components = info.num_components;
  facts->rgb.resize(static_cast<size_t>(info.output_width) * info.output_height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = facts->rgb.data() + static_cast<size_t>(info.output_scanline) * info.output_width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}
}  // namespace detail

inline JpegFacts DecodeJpeg(const std::vector<uint8_t>& bytes) {
  JpegFacts facts;
  facts.decoded = detail::Decode(bytes, &facts);
  return facts;
}

}  // namespace vantrel::testing
