#include "app/pages/action_runner.h"

namespace vantrel::app {

void ActionRunner::Begin(PageHost& host) {
  ++running_;
  if (cursor_ == Cursor::Busy) host.BeginBackgroundWork();
  if (runningChanged_) runningChanged_();
}

void ActionRunner::End(PageHost& host, After after) {
  --running_;
  if (cursor_ == Cursor::Busy) host.EndBackgroundWork();
  if (runningChanged_) runningChanged_();
  if (after == After::Refresh) host.RefreshCommand();
}

}  // namespace vantrel::app
