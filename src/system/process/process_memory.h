// Reads of another process's memory: its parameters block and its environment.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/process/process_params.h"

namespace vantrel {

// ReadProcessMemory of exactly the bytes asked for.
class ProcessHandleReader : public ProcessMemoryReader {
 public:
  explicit ProcessHandleReader(HANDLE process) : process_(process) {}
  bool Read(uint64_t address, void* buffer, size_t size) override;

 private:
  HANDLE process_;
};

// The parameters block of a process opened with query and VM-read access, in the target's own layout (the
// 32-bit one for WOW64 targets). A 32-bit build cannot read 64-bit targets: false.
bool ReadTargetProcessParameters(HANDLE process, ProcessParameters& params);
bool ReadTargetEnvironment(HANDLE process, std::vector<std::wstring>& lines);

}  // namespace vantrel
