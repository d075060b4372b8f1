// The window snapshot: the whole window (frame included) captured from its window DC and saved as a JPEG file
// that never replaces an earlier one.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// 32-bit pixels (blue, green, red, unused), rows top-down.
struct CapturedImage {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Pixels;
};

// Copies the window's full rectangle from its window DC. False with the failing call's error in error.
bool CaptureWindow(HWND window, CapturedImage& image, DWORD& error);

struct SnapshotOutcome {
  bool Saved = false;
  std::wstring FileName;   // Saved: the full path written
  DWORD Error = 0;         // not Saved: the failing call's error code
  std::wstring ErrorText;  // not Saved: the system's message text (or the encoder's), after the file's name
                           // when writing failed
};

// Captures window and writes it into folder ("" = the current directory) as QRV_yyyymmddhhnnss.jpg, "_2", "_3"
// ... when taken; the file is written under a temporary name and renamed, so a failure leaves no file behind.
SnapshotOutcome SaveWindowSnapshot(HWND window, const std::wstring& folder, const SYSTEMTIME& when);
// The same at the current local time.
SnapshotOutcome SaveWindowSnapshot(HWND window, const std::wstring& folder = L"");

}  // namespace vantrel
