#include "system/snapshot/window_snapshot.h"

#include <cstring>

#include "core/snapshot/snapshot.h"
#include "system/os/file_write.h"
#include "system/raii.h"
#include "system/text/locale_text.h"

namespace vantrel {
namespace {

// A failure is never reported with error 0, whose text would read as success.
SnapshotOutcome Failure(DWORD error) {
  if (error == 0) error = ERROR_CAN_NOT_COMPLETE;
  return {false, L"", error, SystemErrorText(error)};
}

// Writing failed: the box names the file the snapshot was meant for.
SnapshotOutcome WriteFailure(const std::wstring& fileName, DWORD error) {
  SnapshotOutcome outcome = Failure(error);
  outcome.ErrorText = L"File " + fileName + L" cannot be saved.\r\n" + outcome.ErrorText;
  return outcome;
}

std::wstring FolderPrefix(const std::wstring& folder) {
  if (folder.empty()) return L"";
  const wchar_t last = folder.back();
  return (last == L'\\' || last == L'/') ? folder : folder + L"\\";
}

}  // namespace

bool CaptureWindow(HWND window, CapturedImage& image, DWORD& error) {
  image = {};
  RECT rect{};
  if (!::IsWindow(window) || !::GetWindowRect(window, &rect)) {
    const DWORD rectError = ::GetLastError();
    error = ::IsWindow(window) && rectError != 0 ? rectError : ERROR_INVALID_WINDOW_HANDLE;
    return false;
  }
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) {
    error = ERROR_INVALID_WINDOW_HANDLE;
    return false;
  }
  win::WindowDc source(window, win::WindowDc::Area::Whole);
  if (!source.get()) {
    const DWORD dcError = ::GetLastError();
    error = dcError ? dcError : ERROR_DC_NOT_FOUND;
    return false;
  }
  // A 32-bit top-down section: its pixels are read directly, and no palette is involved at any display depth.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win::UniqueBitmap bitmap(::CreateDIBSection(source.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win::UniqueMemDc memory(::CreateCompatibleDC(source.get()));
  if (!bitmap || !bits || !memory) {
    error = ERROR_NOT_ENOUGH_MEMORY;
    return false;
  }
  {
    win::SelectScope select(memory.get(), bitmap.get());
    if (!::BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY)) {
      const DWORD copyError = ::GetLastError();
      error = copyError ? copyError : ERROR_CAN_NOT_COMPLETE;
      return false;
    }
  }
  ::GdiFlush();
  image.Width = width;
  image.Height = height;
  image.Pixels.resize(static_cast<size_t>(width) * height * 4);
  std::memcpy(image.Pixels.data(), bits, image.Pixels.size());
  return true;
}

SnapshotOutcome SaveWindowSnapshot(HWND window, const std::wstring& folder, const SYSTEMTIME& when) {
  CapturedImage image;
  DWORD error = 0;
  if (!CaptureWindow(window, image, error)) return Failure(error);
  std::vector<uint8_t> jpeg;
  std::string encoderError;
  if (!EncodeJpeg(image.Pixels.data(), image.Width, image.Height, image.Width * 4, kSnapshotQuality, jpeg,
                  encoderError))
    return {false, L"", ERROR_INVALID_DATA, std::wstring(encoderError.begin(), encoderError.end())};

  const std::wstring prefix = FolderPrefix(folder);
  const SnapshotTime t{when.wYear, when.wMonth, when.wDay, when.wHour, when.wMinute, when.wSecond};
  const std::wstring plainName = prefix + SnapshotBaseName(t);
  // The files are named in their extended-length form, so that a deep folder works as well as a short one.
  std::wstring longFolder;
  if (const DWORD pathError = LongPathForm(prefix.empty() ? L".\\" : prefix, longFolder))
    return WriteFailure(plainName, pathError);
  if (longFolder.back() != L'\\') longFolder += L'\\';
  // The temporary file sits in the target folder, so that the rename never crosses volumes.
  TemporaryFile temp;
  if (const DWORD createError = temp.Create(longFolder)) return WriteFailure(plainName, createError);
  if (const DWORD writeError = temp.Write(jpeg.data(), jpeg.size())) return WriteFailure(plainName, writeError);
  const auto exists = [&](const std::wstring& name) {
    return ::GetFileAttributesW((longFolder + name).c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  // Without replacing, the rename itself refuses a name that appeared meanwhile: take the next one.
  for (int attempt = 0; attempt < 16; ++attempt) {
    const auto name = FreeSnapshotName(t, exists);
    if (!name) break;
    const DWORD moveError = temp.RenameTo(longFolder + *name, false);
    if (moveError == 0) return {true, prefix + *name, 0, L""};
    if (moveError != ERROR_ALREADY_EXISTS && moveError != ERROR_FILE_EXISTS)
      return WriteFailure(prefix + *name, moveError);
  }
  return WriteFailure(plainName, ERROR_FILE_EXISTS);
}

SnapshotOutcome SaveWindowSnapshot(HWND window, const std::wstring& folder) {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return SaveWindowSnapshot(window, folder, now);
}

}  // namespace vantrel
