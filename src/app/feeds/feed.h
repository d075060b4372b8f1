// A value one part of the program publishes and others follow, so that pages learn from each other without going
// through the frame. Window thread only; a follower lives as long as the feed (pages and the frame's parts do).
#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace vantrel::app {

template <class T>
class Feed {
 public:
  using Follower = std::function<void(const T&)>;

  // The follower hears every later value; it reads the current one with Value() if it needs it at once.
  void Follow(Follower follower) { followers_.push_back(std::move(follower)); }

  void Publish(T&& value) {
    value_ = std::move(value);
    Tell();
  }
  // Copied into the kept value: a publisher that reuses its value allocates nothing once the sizes stay.
  void Publish(const T& value) {
    value_ = value;
    Tell();
  }

  const T& Value() const { return value_; }

 private:
  void Tell() const {
    for (const Follower& f : followers_) f(value_);
  }

  T value_{};
  std::vector<Follower> followers_;
};

}  // namespace vantrel::app
