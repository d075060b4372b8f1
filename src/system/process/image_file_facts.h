// What belongs to a program file rather than to a process (version texts, icon, size), read once per path and
// shared by every process of that file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

namespace vantrel {

struct ImageFileFacts {
  std::wstring Desc, Company, Version, Copyright;
  int32_t ImageIndex = 0;  // in the shell's small system image list
  int64_t Size = 0;
};

// Reads them; the default index stands when the shell has no icon for the file.
ImageFileFacts ReadImageFileFacts(const std::wstring& path, int32_t defaultImageIndex);
using ImageFileReader = std::function<ImageFileFacts(const std::wstring& path, int32_t defaultImageIndex)>;

// What tells one file content from the next at the same path: size and last-write time ({-1, -1}: unreadable).
struct FileStamp {
  int64_t Size = -1, LastWrite = -1;
  bool operator==(const FileStamp&) const = default;
};
FileStamp ReadFileStamp(const std::wstring& path);
using FileStampReader = std::function<FileStamp(const std::wstring& path)>;

class ImageFileCache {
 public:
  // The reader is ReadImageFileFacts but in tests, which count the reads through it.
  explicit ImageFileCache(ImageFileReader reader = ReadImageFileFacts, FileStampReader stamp = ReadFileStamp)
      : reader_(std::move(reader)), stamp_(std::move(stamp)) {}
  // The facts of the file, read at the first request for its path (letter case ignored) and again when the file
  // was replaced in place (its stamp, looked at once per round between DropUnused calls, changed). A path that is
  // not on a local fixed drive is never read: its facts are the default icon and nothing else.
  const ImageFileFacts& Get(const std::wstring& path, int32_t defaultImageIndex);
  // Drops the files no request named since the last call.
  void DropUnused();
  size_t size() const { return files_.size(); }

 private:
  struct Entry {
    ImageFileFacts facts;
    FileStamp stamp;
    bool used = true;
  };
  ImageFileReader reader_;
  FileStampReader stamp_;
  std::unordered_map<std::wstring, Entry> files_;
};

}  // namespace vantrel
