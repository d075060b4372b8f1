// The process-parameters and environment readers over a target address space made of the fuzz bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/process/process_params.h"

namespace {

// The input is mapped at a fixed base; every read outside it fails. Pointers in the input land inside it often.
class BytesReader : public vantrel::ProcessMemoryReader {
 public:
  BytesReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Read(uint64_t address, void* buffer, size_t size) override {
    if (address < kBase || address - kBase > size_ || size > size_ - (address - kBase)) return false;
    if (size) std::memcpy(buffer, data_ + (address - kBase), size);
    return true;
  }
  static constexpr uint64_t kBase = 0x1000;

 private:
  const uint8_t* data_;
  size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BytesReader reader(data, size);
  for (vantrel::PebLayout layout : {vantrel::PebLayout::Native64, vantrel::PebLayout::Wow64x86}) {
    vantrel::ProcessParameters params;
    if (vantrel::ReadProcessParameters(reader, BytesReader::kBase, layout, params)) {
      if (params.CommandLine.size() > 32767 || params.ImagePathName.size() > 32767) __builtin_trap();
    }
    std::vector<std::wstring> lines;
    (void)vantrel::ReadProcessEnvironment(reader, BytesReader::kBase, layout, lines);
  }
  std::wstring block;
  if (vantrel::ReadEnvironmentBlock(reader, BytesReader::kBase + (size ? data[0] : 0), 0, block) &&
      block.size() * 2 > size)
    __builtin_trap();
  return 0;
}
