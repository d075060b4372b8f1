// How another window asks the processes page to show a process with one of its handle or module rows: the page
// answers while it lives; whoever asks needs no page type and no frame.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vantrel::app {

struct ProcessRowRequest {
  uint32_t pid = 0;
  bool module = false;      // a module row, else a handle row
  uint64_t handle = 0;      // the handle value
  std::wstring imageName;   // the module's full path
};

class ProcessRowFeed {
 public:
  // Whether the request reached a page that will show it.
  using Answer = std::function<bool(const ProcessRowRequest&)>;

  // The program's one feed (one processes page at a time).
  static ProcessRowFeed& Instance();

  // The answering page: kept until the returned token goes (a later one takes over).
  class Subscription {
   public:
    Subscription() = default;
    ~Subscription();
    Subscription(Subscription&& other) noexcept : id_(other.id_) { other.id_ = 0; }
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

   private:
    friend class ProcessRowFeed;
    explicit Subscription(uint64_t id) : id_(id) {}
    uint64_t id_ = 0;
  };
  [[nodiscard]] Subscription Subscribe(Answer answer);
  bool Request(const ProcessRowRequest& request) const { return answer_ && answer_(request); }
  // Opens the find window (the main window sets it while it lives; a page's menu item calls it).
  std::function<void()> openFinder;

 private:
  void Drop(uint64_t id);
  Answer answer_;
  uint64_t answerId_ = 0;
  uint64_t lastId_ = 0;
};

}  // namespace vantrel::app
