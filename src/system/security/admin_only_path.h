// Whether a file and every folder above it can be changed only by administrators, read from the file system.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "core/security/admin_only_rule.h"
#include "core/security/local_path.h"

namespace vantrel {

// The kind of a drive letter; a subst drive is told apart from the drive it points into.
DriveKind DriveKindOf(wchar_t letter);
bool IsLocalFixedPath(const std::wstring& path);

// IsLocalFixedPath for the length of one read (a walk of the processes, a services read), each drive's kind asked
// once: a question costs several round trips to the system, and a read asks about the same few drives many times.
class DriveKindsOfOneRead {
 public:
  bool IsLocalFixedPath(const std::wstring& path);

 private:
  DriveKind KindOf(wchar_t letter);
  std::map<wchar_t, DriveKind> kinds_;
};
// The owner and access list of a file or folder; false when it cannot be read.
bool ReadObjectSecurity(const std::wstring& path, ObjectSecurity& security);
// The file's real path (links resolved) is on a local fixed drive, and it and each folder above it up to the root
// pass IsAdminOnly. Anything unreadable counts as not admin-only.
bool IsAdminOnlyPath(const std::wstring& path);

}  // namespace vantrel
