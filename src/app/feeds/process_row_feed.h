// How another window asks the processes page to show a process with one of its handle or module rows, and how the
// page's menu opens the find window: whoever asks needs no page type and no frame.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace vantrel::app {

struct ProcessRowRequest {
  uint32_t pid = 0;
  bool module = false;     // a module row, else a handle row
  uint64_t handle = 0;     // the handle value
  std::wstring imageName;  // the module's full path
};

class ProcessRowFeed {
 public:
  // Whether the request reached a page that will show it.
  using Answer = std::function<bool(const ProcessRowRequest&)>;

  // The page that answers; it lives as long as the feed, like every follower of the feeds.
  void SetAnswer(Answer answer) { answer_ = std::move(answer); }
  bool Request(const ProcessRowRequest& request) const { return answer_ && answer_(request); }
  // Opens the find window (the main window sets it while it lives; a page's menu item calls it).
  std::function<void()> openFinder;

 private:
  Answer answer_;
};

}  // namespace vantrel::app
