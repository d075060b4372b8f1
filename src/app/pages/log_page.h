// The activity log page: one read-only line per error met while reading the system.
#pragma once

#include <functional>
#include <string>

#include "app/pages/page.h"
#include "core/shell/activity_log.h"
#include "system/raii.h"

namespace vantrel::app {

class LogPage : public Page {
 public:
  bool Create(HWND parent) override;
  void Layout(const RECT& area) override;
  void Show(bool visible) override;
  HWND FocusTarget() const override { return memo_; }

  void WriteLog(const std::wstring& text);
  void ClearLog();
  const TActivityLog& log() const { return log_; }
  HWND memo() const { return memo_; }
  void ApplyDpi(const ui::Dpi& dpi);
  // Runs after every change of the caption.
  std::function<void(const std::wstring& caption)> onCaptionChanged;

 private:
  HWND memo_ = nullptr;
  TActivityLog log_;
  win::UniqueFont font_;
};

}  // namespace vantrel::app
