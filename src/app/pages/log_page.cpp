#include "app/pages/log_page.h"

#include "core/shell/pages.h"

namespace vantrel::app {

LogPage::LogPage() : Page(kPageLog) {}

bool LogPage::OnCreate() {
  host().Feeds().log.Follow([this](const LogEvent& e) {
    if (e.kind == LogEvent::Kind::Clear) ClearLog();
    else WriteLog(e.text);
  });
  logEdit_ = ::CreateWindowExW(0, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                   ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                               0, 0, 0, 0, hwnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!logEdit_) return false;
  // The default limit of an edit control would silently stop taking lines.
  ::SendMessageW(logEdit_, EM_SETLIMITTEXT, 0, 0);
  return true;
}

void LogPage::ApplyDpi(const ui::Dpi& dpi) {
  Page::ApplyDpi(dpi);
  // Courier New at 8 points.
  font_.reset(ui::CreateUiFont(dpi, 8, false, L"Courier New"));
  ::SendMessageW(logEdit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
}

void LogPage::OnLayout(int width, int height) { ::MoveWindow(logEdit_, 0, 0, width, height, TRUE); }

void LogPage::WriteLog(const std::wstring& text) {
  const size_t dropped = log_.Write(text);
  if (dropped > 0) {
    // Cut the oldest lines from the top of the control.
    const LRESULT end = ::SendMessageW(logEdit_, EM_LINEINDEX, static_cast<WPARAM>(dropped), 0);
    if (end > 0) {
      ::SendMessageW(logEdit_, EM_SETSEL, 0, end);
      ::SendMessageW(logEdit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
  }
  const std::wstring line = (::GetWindowTextLengthW(logEdit_) > 0 ? L"\r\n" : L"") + log_.Lines().back();
  const int length = ::GetWindowTextLengthW(logEdit_);
  ::SendMessageW(logEdit_, EM_SETSEL, length, length);
  ::SendMessageW(logEdit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
  host().SetPageCaption(Position(), log_.Caption());
}

void LogPage::ClearLog() {
  log_.Clear();
  ::SetWindowTextW(logEdit_, L"");
  host().SetPageCaption(Position(), log_.Caption());
}

}  // namespace vantrel::app
