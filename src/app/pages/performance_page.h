// The performance page: per-CPU load, per-core clock, memory, uptime and system facts.
#pragma once

#include "app/pages/page.h"

namespace vantrel::app {

class PerformancePage : public Page {
 public:
  bool Create(HWND parent) override;
  void Layout(const RECT& area) override;
  void Show(bool visible) override;
  // Fits the level indicators to the page's size.
  void FitIndicators();

 private:
  HWND panel_ = nullptr;
};

}  // namespace vantrel::app
