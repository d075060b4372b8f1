// What the page tests share: a main window started as the program starts it, message pumping, and reading back
// the list files the pages write.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/frame/main_window.h"
#include "app/program.h"

namespace vantrel::app::testing {

inline std::unique_ptr<MainWindow> QuietMainWindow(const std::vector<std::wstring>& words = {}) {
  StartupEnvironment env;
  env.isRemoteSession = [] { return false; };
  env.elevationButtonVisible = [] { return false; };
  return std::make_unique<MainWindow>(CommandLineSwitches(words), env);
}

// Runs the window's messages until done() or timeoutMs passed; done()'s last answer.
inline bool PumpUntil(MainWindow& main, const std::function<bool()>& done, DWORD timeoutMs = 15000) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  while (!done()) {
    if (::GetTickCount64() > end) return false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchProgramMessage(&main, msg);
    ::Sleep(10);
  }
  return true;
}

// With VANTREL_SHOW_PAGES=<seconds> in the environment, shows the window that long (answering its messages), so
// that a screenshot of a page filled by a test can be taken from outside.
inline void ShowForLooking(MainWindow& main) {
  wchar_t seconds[16] = {};
  if (!::GetEnvironmentVariableW(L"VANTREL_SHOW_PAGES", seconds, 16)) return;
  ::ShowWindow(main.hwnd(), SW_SHOWNORMAL);
  const ULONGLONG end = ::GetTickCount64() + 1000ull * static_cast<ULONGLONG>(_wtoi(seconds));
  PumpUntil(main, [end] { return ::GetTickCount64() > end; }, 1000u * static_cast<DWORD>(_wtoi(seconds)) + 1000u);
}

inline std::wstring WindowText(HWND hwnd) {
  wchar_t buf[512] = {};
  ::GetWindowTextW(hwnd, buf, 512);
  return buf;
}

inline std::wstring TempPath(const std::wstring& name) {
  wchar_t dir[MAX_PATH];
  ::GetTempPathW(MAX_PATH, dir);
  return std::wstring(dir) + name;
}

inline std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::wstring FromCodePage(UINT codePage, const std::string& bytes) {
  std::wstring text(bytes.size(), L'\0');
  text.resize(static_cast<size_t>(::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                         text.data(), static_cast<int>(text.size()))));
  return text;
}
inline std::wstring FromUtf8(const std::string& bytes) { return FromCodePage(CP_UTF8, bytes); }
inline std::wstring FromAnsi(const std::string& bytes) { return FromCodePage(CP_ACP, bytes); }

// One line of a list file, read back as a spreadsheet program reads it.
inline std::vector<std::wstring> Fields(const std::wstring& line) {
  std::vector<std::wstring> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const wchar_t c = line[i];
    if (quoted && c == L'"' && i + 1 < line.size() && line[i + 1] == L'"') {
      fields.back() += L'"';
      ++i;
    } else if (c == L'"' && (quoted || fields.back().empty())) {
      quoted = !quoted;
    } else if (c == L';' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// Every line of a list file that ends in CR LF, split into its fields.
inline std::vector<std::vector<std::wstring>> FieldLines(const std::wstring& text) {
  std::vector<std::vector<std::wstring>> lines;
  for (size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    lines.push_back(Fields(text.substr(start, end - start)));
  return lines;
}

}  // namespace vantrel::app::testing
