// The environment page: the program's own environment variables, sorted by name, with the focused variable's
// whole value in a read-only box below the list.
#pragma once

#include <string>

#include "app/pages/page.h"
#include "system/raii.h"

namespace vantrel::app {

class EnvironmentPage : public TreePage {
 public:
  EnvironmentPage();
  bool UsesNameFilter() const override { return true; }
  void Refresh(Refresher step, const std::wstring& filter) override;
  void ApplyDpi(const ui::Dpi& dpi) override;
  // Rebuilds the list; the name filter selects variables by the start of their name (empty: all).
  void RefreshEnvironment(const std::wstring& filter);

  // --- what the user sees, for tests ---
  HWND ValueBox() const { return valueBox_; }

 protected:
  bool OnCreate() override;
  void OnLayout(int width, int height) override;
  HBRUSH OnStaticColour(HDC dc, HWND control) override;

 private:
  void ShowValue(ui::TreeNode* node);

  HWND valueBox_ = nullptr;
  win::UniqueFont valueFont_;
  win::UniqueBrush valueBrush_;
};

}  // namespace vantrel::app
