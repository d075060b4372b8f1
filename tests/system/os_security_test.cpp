// Writes an elevated program makes safely (temporary files under random names, renamed and deleted through their
// own handle), where snapshots go when the current directory is the system's, and paths that are never read.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "system/os/file_write.h"
#include "system/security/admin_only_path.h"
#include "system/snapshot/snapshot_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class TemporaryFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / "vantrel_temporary_files";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    ASSERT_EQ(LongPathForm(folder_.wstring() + L"\\", longFolder_), 0u);
  }
  void TearDown() override { fs::remove_all(folder_); }
  size_t FileCount() const { return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {})); }
  fs::path folder_;
  std::wstring longFolder_;
};

TEST_F(TemporaryFiles, NamesCannotBeGuessedAndAnUnrenamedFileIsDeletedThroughItsHandle) {
  std::wstring first, second;
  {
    TemporaryFile a, b;
    ASSERT_EQ(a.Create(longFolder_), 0u);
    ASSERT_EQ(b.Create(longFolder_), 0u);
    first = a.path(), second = b.path();
    EXPECT_NE(first, second);
    EXPECT_GE(fs::path(first).filename().wstring().size(), 32u) << "a random name, not a counter";
    ASSERT_EQ(a.Write("abc", 3), 0u);
    EXPECT_EQ(FileCount(), 2u);
  }
  EXPECT_EQ(FileCount(), 0u) << "neither was renamed, both are gone";
}

TEST_F(TemporaryFiles, RenameThroughTheHandleReplacesOnlyWhenAsked) {
  const std::wstring target = longFolder_ + L"target.txt";
  std::ofstream(folder_ / "target.txt", std::ios::binary) << "old";
  TemporaryFile temp;
  ASSERT_EQ(temp.Create(longFolder_), 0u);
  ASSERT_EQ(temp.Write("new", 3), 0u);
  EXPECT_EQ(temp.RenameTo(target, false), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(Contents(folder_ / "target.txt"), "old");
  ASSERT_EQ(temp.RenameTo(target, true), 0u);
  temp.Discard();  // renamed: nothing left to delete
  EXPECT_EQ(Contents(folder_ / "target.txt"), "new");
  EXPECT_EQ(FileCount(), 1u);

  EXPECT_EQ(WriteFileReplacing((folder_ / "target.txt").wstring(), "newest"), 0u);
  EXPECT_EQ(Contents(folder_ / "target.txt"), "newest");
  EXPECT_EQ(FileCount(), 1u);
}

// Started as the replacement, the current directory is the system folder: pictures go to the user's own folder.
TEST(SnapshotFolder, TheSystemFolderIsNeverTheTarget) {
  wchar_t saved[MAX_PATH] = {}, system[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, saved);
  ::GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(ResolveSnapshotFolder(L"D:\\pictures"), L"D:\\pictures") << "a configured folder stays";
  ASSERT_TRUE(::SetCurrentDirectoryW(fs::temp_directory_path().wstring().c_str()));
  EXPECT_EQ(ResolveSnapshotFolder(L""), L"") << "any other current directory stays";
  ASSERT_TRUE(::SetCurrentDirectoryW(system));
  const std::wstring pictures = ResolveSnapshotFolder(L"");
  ::SetCurrentDirectoryW(saved);
  EXPECT_FALSE(pictures.empty());
  EXPECT_NE(fs::path(pictures), fs::path(system));
  EXPECT_TRUE(fs::is_directory(pictures));
}

// A share is judged by its form alone: nothing is opened, so a dead or hostile server is never asked.
TEST(AdminOnlyPath, ASharePathIsRefusedWithoutBeingRead) {
  for (const wchar_t* path : {L"\\\\vantrel-no-such-host.invalid\\share\\Vantrel.exe",
                              L"\\\\?\\UNC\\vantrel-no-such-host.invalid\\share\\Vantrel.exe", L"Vantrel.exe"}) {
    EXPECT_FALSE(IsAdminOnlyPath(path));
    EXPECT_FALSE(IsLocalFixedPath(std::wstring(path)));
  }
  EXPECT_EQ(DriveKindOf(L'C'), DriveKind::Fixed);
}

// The reader hands the rule what the file system keeps: an owner as SID text and the list's entries.
TEST(AdminOnlyPath, TheOwnerAndEntriesOfAFolderAreRead) {
  wchar_t windows[MAX_PATH] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  ObjectSecurity security;
  ASSERT_TRUE(ReadObjectSecurity(windows, security));
  EXPECT_EQ(security.OwnerSid.rfind(L"S-1-", 0), 0u) << std::string(security.OwnerSid.begin(), security.OwnerSid.end());
  for (const AccessEntry& e : security.Entries) EXPECT_EQ(e.Sid.rfind(L"S-1-", 0), 0u);
  EXPECT_FALSE(ReadObjectSecurity(L"C:\\vantrel-no-such-folder\\x", security));
}

}  // namespace
}  // namespace vantrel
