// The process parameters of another process (command line, image path, current directory, environment), read
// through a memory-reader seam in the 64-bit layout or the 32-bit (WOW64) layout. Every length and pointer comes
// from memory the target can rewrite, so each one is bounded before use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

class ProcessMemoryReader {
 public:
  virtual ~ProcessMemoryReader() = default;
  // Exactly size bytes at address, or false.
  virtual bool Read(uint64_t address, void* buffer, size_t size) = 0;
};

enum class PebLayout { Native64, Wow64x86 };

// Largest environment block read, in bytes; a longer block is cut at the last whole entry before it.
inline constexpr size_t kMaxEnvironmentBytes = 4u * 1024u * 1024u;

struct ProcessParameters {
  std::wstring CommandLine;
  std::wstring ImagePathName;
  std::wstring CurrentDirectory;
  uint64_t Environment = 0;      // address of the block in the target
  uint64_t EnvironmentSize = 0;  // bytes, 0 where the system does not record it
  bool HaveCommandLine = false;  // each string read separately: one bad pointer spoils only its own field
  bool HaveImagePathName = false;
  bool HaveCurrentDirectory = false;
};

// A counted string at address, in the layout's UNICODE_STRING form: Length clamped to MaximumLength and made even,
// text cut at an embedded NUL. False when the header or the text cannot be read.
bool ReadCountedString(ProcessMemoryReader& reader, uint64_t address, PebLayout layout, std::wstring& text);

// The parameters block named by the PEB at pebAddress. False when the PEB or the block cannot be read; the
// strings that could not be read stay empty.
bool ReadProcessParameters(ProcessMemoryReader& reader, uint64_t pebAddress, PebLayout layout,
                           ProcessParameters& params);

// The raw environment block at address: sizeHint bytes when known (capped), otherwise read page by page until the
// empty entry, the cap or unreadable memory. The text ends after the last complete entry.
bool ReadEnvironmentBlock(ProcessMemoryReader& reader, uint64_t address, uint64_t sizeHint, std::wstring& block);

// NAME=value lines of the target's environment ("=C:" entries skipped); false when nothing could be read.
bool ReadProcessEnvironment(ProcessMemoryReader& reader, uint64_t pebAddress, PebLayout layout,
                            std::vector<std::wstring>& lines);

}  // namespace vantrel
