// The activity log page: one read-only line per error met while reading the system.
#pragma once

#include <string>

#include "app/pages/page.h"
#include "core/shell/activity_log.h"
#include "system/raii.h"

namespace vantrel::app {

class LogPage : public Page {
 public:
  LogPage();
  HWND FocusTarget() const override { return logEdit_; }
  void ApplyDpi(const ui::Dpi& dpi) override;

  void WriteLog(const std::wstring& text);
  void ClearLog();
  const ActivityLog& log() const { return log_; }
  HWND logEdit() const { return logEdit_; }

 protected:
  bool OnCreate() override;
  void OnLayout(int width, int height) override;

 private:
  HWND logEdit_ = nullptr;
  ActivityLog log_;
  win::UniqueFont font_;
};

}  // namespace vantrel::app
