// The performance page: per-CPU load, per-core clock, memory, uptime and the system facts, with the OS and
// session labels above the pages.
#pragma once

#include <string>

#include "app/pages/page.h"
#include "system/raii.h"

namespace vantrel::app {

class PerformancePage : public Page {
 public:
  PerformancePage();
  void Start(const TCommandLineSwitches& switches, const StartupEnvironment& env) override;
  void ApplyDpi(const ui::Dpi& dpi) override;

  // What the user sees, for tests.
  HWND OsLabel() const { return osLabel_; }
  HWND SessionLabel() const { return sessionLabel_; }
  HWND LoggedUserLabel() const { return loggedUser_; }
  HWND IpAddressLabel() const { return ipAddresses_; }
  HWND BuildNumberLabel() const { return buildNumber_; }
  HWND MacAddressLabel() const { return macAddresses_; }

 protected:
  bool OnCreate() override;
  void OnLayout(int width, int height) override;
  void OnLayoutStrip(int width, int height) override;
  HBRUSH FaceBrush() const override { return ::GetSysColorBrush(COLOR_WINDOW); }
  HBRUSH OnStaticColour(HDC dc, HWND label) override;

 private:
  HWND osLabel_ = nullptr, sessionLabel_ = nullptr;
  HWND loggedUser_ = nullptr, ipAddresses_ = nullptr, buildNumber_ = nullptr, macAddresses_ = nullptr;
  win::UniqueFont boldFont_;
};

}  // namespace vantrel::app
