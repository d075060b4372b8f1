#include "app/pages/process_row_feed.h"

#include <utility>

namespace vantrel::app {

ProcessRowFeed& ProcessRowFeed::Instance() {
  static ProcessRowFeed feed;
  return feed;
}

ProcessRowFeed::Subscription ProcessRowFeed::Subscribe(Answer answer) {
  answer_ = std::move(answer);
  answerId_ = ++lastId_;
  return Subscription(answerId_);
}

void ProcessRowFeed::Drop(uint64_t id) {
  if (id == 0 || id != answerId_) return;  // a later page already answers
  answer_ = nullptr;
  answerId_ = 0;
}

ProcessRowFeed::Subscription::~Subscription() { Instance().Drop(id_); }

ProcessRowFeed::Subscription& ProcessRowFeed::Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    Instance().Drop(id_);
    id_ = other.id_;
    other.id_ = 0;
  }
  return *this;
}

}  // namespace vantrel::app
