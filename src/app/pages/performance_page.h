// The performance page: per-CPU load, per-core clock, memory, uptime and system facts.
#pragma once

#include <string>

#include "app/pages/page.h"

namespace vantrel::app {

class PerformancePage : public Page {
 public:
  bool Create(HWND parent) override;
  void Layout(const RECT& area) override;
  void Show(bool visible) override;
  // Fits the level indicators to the page's size.
  void FitIndicators();
  // The system facts: logged-on user, IP addresses, build number, MAC addresses.
  void SetFacts(const std::wstring& user, const std::wstring& ip, const std::wstring& build, const std::wstring& mac);
  void SetFont(HFONT font);
  HWND lCU() const { return lCU_; }
  HWND lIP() const { return lIP_; }
  HWND lBN() const { return lBN_; }
  HWND lMAC() const { return lMAC_; }

 private:
  HWND panel_ = nullptr;
  HWND lCU_ = nullptr, lIP_ = nullptr, lBN_ = nullptr, lMAC_ = nullptr;
  ui::Dpi dpi_;
};

}  // namespace vantrel::app
