// The window snapshot against a real window: two snapshots in one second, decoded back with libjpeg; failures
// that leave no file.
#include "system/snapshot/window_snapshot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../support/jpeg_check.h"
#include "../support/long_folder.h"

namespace vantrel {
namespace {

LRESULT CALLBACK RedWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HBRUSH red = CreateSolidBrush(RGB(220, 30, 30));
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, red);
    DeleteObject(red);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class WindowSnapshot : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RedWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VantrelSnapshotTest";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, wc.lpszClassName, L"Snapshot", WS_OVERLAPPEDWINDOW, 40, 40, 333, 211, nullptr,
                              nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    MSG msg;
    for (int i = 0; i < 20; ++i) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(10);
    }
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"vantrel-snapshot-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  }
  void TearDown() override {
    if (window_) DestroyWindow(window_);
    for (const std::wstring& name : FilesIn(folder_)) DeleteFileW((folder_ + L"\\" + name).c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  HWND window_ = nullptr;
  std::wstring folder_;
};

TEST_F(WindowSnapshot, TwoInOneSecondGiveTwoDecodableFiles) {
  RECT rect;
  GetWindowRect(window_, &rect);
  const SYSTEMTIME when{2014, 5, 2, 6, 14, 5, 9, 0};
  const SnapshotOutcome first = SaveWindowSnapshot(window_, folder_, when);
  const SnapshotOutcome second = SaveWindowSnapshot(window_, folder_, when);
  ASSERT_TRUE(first.Saved) << first.Error;
  ASSERT_TRUE(second.Saved) << second.Error;
  EXPECT_EQ(first.FileName, folder_ + L"\\QRV_20140506140509.jpg");
  EXPECT_EQ(second.FileName, folder_ + L"\\QRV_20140506140509_2.jpg");
  EXPECT_EQ(FilesIn(folder_).size(), 2u);  // no temporary file left
  for (const std::wstring& file : {first.FileName, second.FileName}) {
    const testing::JpegFacts facts = testing::DecodeJpeg(ReadFileBytes(file));
    ASSERT_TRUE(facts.decoded);
    EXPECT_EQ(facts.width, rect.right - rect.left);
    EXPECT_EQ(facts.height, rect.bottom - rect.top);
    EXPECT_FALSE(facts.progressive);
    EXPECT_TRUE(facts.quality90);
    // The client area's red shows at the picture's centre: real pixels, in the right channel order.
    const uint8_t* centre = &facts.rgb[((facts.height / 2) * facts.width + facts.width / 2) * 3];
    EXPECT_GT(centre[0], 180);
    EXPECT_LT(centre[1], 80);
    EXPECT_LT(centre[2], 80);
  }
}

TEST_F(WindowSnapshot, AFolderDeeperThanThePathLimitTakesTheSnapshot) {
  const testing::LongFolder deep(folder_ + L"\\deep", 250);
  ASSERT_TRUE(deep.ok());
  const SYSTEMTIME when{2014, 5, 2, 6, 14, 5, 9, 0};
  ::SetLastError(0);
  const SnapshotOutcome outcome = SaveWindowSnapshot(window_, deep.path(), when);
  ASSERT_TRUE(outcome.Saved) << outcome.Error;
  EXPECT_EQ(outcome.FileName, deep.path() + L"\\QRV_20140506140509.jpg");
  const std::string bytes = testing::LongFolder::Read(outcome.FileName);
  EXPECT_TRUE(testing::DecodeJpeg(std::vector<uint8_t>(bytes.begin(), bytes.end())).decoded);
  EXPECT_EQ(deep.Files(), std::vector<std::wstring>{L"QRV_20140506140509.jpg"});
}

TEST_F(WindowSnapshot, FailuresReturnTheErrorAndLeaveNoFile) {
  const std::wstring missing = folder_ + L"\\no\\such\\folder";
  const SnapshotOutcome unwritable = SaveWindowSnapshot(window_, missing);
  EXPECT_FALSE(unwritable.Saved);
  EXPECT_NE(unwritable.Error, 0u);
  EXPECT_EQ(unwritable.ErrorText.find(L"File " + missing + L"\\QRV_"), 0u) << "the box names the file";

  const std::wstring notAFolder = folder_ + L"\\plain-file";
  CloseHandle(CreateFileW(notAFolder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  const SnapshotOutcome intoFile = SaveWindowSnapshot(window_, notAFolder);
  EXPECT_FALSE(intoFile.Saved);
  EXPECT_NE(intoFile.Error, 0u);

  DestroyWindow(window_);
  window_ = nullptr;
  const SnapshotOutcome gone = SaveWindowSnapshot(reinterpret_cast<HWND>(0x1234), folder_);
  EXPECT_FALSE(gone.Saved);
  EXPECT_EQ(gone.Error, static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(FilesIn(folder_), std::vector<std::wstring>{L"plain-file"});
}

}  // namespace
}  // namespace vantrel
