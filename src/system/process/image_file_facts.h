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
  // was replaced in place (its stamp, looked at once per round between DropUnused calls, changed).
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

// A path on another machine (a UNC path or a network drive): reading it may wait for the network.
bool IsRemoteFilePath(const std::wstring& path);

// The facts of files on other machines, read on a worker thread, one path at a time: the walk shows the stock icon
// and no version texts until they arrive, and never waits for an unreachable server.
class RemoteFileFacts {
 public:
  using Reader = std::function<ImageFileFacts(const std::wstring& path, int32_t defaultImageIndex)>;
  explicit RemoteFileFacts(Reader reader = ReadImageFileFacts);
  // A read still running finishes on its own; its answer is dropped.
  ~RemoteFileFacts();
  RemoteFileFacts(const RemoteFileFacts&) = delete;
  RemoteFileFacts& operator=(const RemoteFileFacts&) = delete;

  // The facts once read; null while the read is on its way (asked now).
  const ImageFileFacts* Get(const std::wstring& path, int32_t defaultImageIndex);
  // Drops the files no request named since the last call.
  void DropUnused();
  size_t Pending() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace vantrel
