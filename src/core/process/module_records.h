// The modules of one process: the record of a row, the de-duplication by full path, the repair of a module path
// that does not name an existing file, and the texts of the list.
#pragma once

#include "core/base/enum_index.h"
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/paths/paths.h"

namespace vantrel {

struct ModuleRecord {
  std::wstring Name;
  std::wstring ImageName;
  uint64_t ImageSize = 0;
  uint64_t EntryPoint = 0;  // not filled
  uint64_t BaseAddress = 0;
  std::wstring Desc;
  std::wstring Company;
  std::wstring Version;
  std::wstring Copyright;
  int64_t Size = 0;
  int32_t ImageIndexValue = 0;  // not used by this view
};

// Keeps the first module of each full path, compared ignoring case: a module reported twice gives one row, and
// modules that share a name but not a folder keep a row each.
class ModuleDeduplicator {
 public:
  // True the first time a path is offered.
  bool FirstTime(std::wstring_view imageName);

 private:
  std::set<std::wstring> seen_;
};

// The file a module path names: the path itself when it exists; else without its first "\??\"; else with
// environment variables expanded (the backslash form too); else the match found along the search path (empty when
// none). Expand and search come from the caller.
struct ModulePathRepair {
  FileExistsFn exists;
  std::function<std::wstring(const std::wstring&)> expand;
  // The full path of the first file of that name in the Windows or system folders, or empty.
  std::function<std::wstring(const std::wstring&)> search;
};
std::wstring RepairModulePath(const std::wstring& path, const ModulePathRepair& repair);

// Whether the row of this module is the process's main module.
bool IsMainModule(const ModuleRecord& module, std::wstring_view processName);

enum class ModuleColumn { Name = 0, Desc = 1, Company = 2, Version = 3, ImageName = 4 };
std::wstring ModuleCellText(const ModuleRecord& record, int column);
// " 模块 (n) "
std::wstring ModulesCaption(size_t rows);

}  // namespace vantrel
