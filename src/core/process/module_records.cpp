#include "core/process/module_records.h"

#include "core/text/char_fold.h"
#include "core/text/str_utils.h"

namespace vantrel {
namespace {

std::wstring Folded(std::wstring_view s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = text_detail::FoldSimple(c);
  return out;
}

}  // namespace

bool ModuleDeduplicator::FirstTime(std::wstring_view imageName) { return seen_.insert(Folded(imageName)).second; }

std::wstring RepairModulePath(const std::wstring& path, const ModulePathRepair& repair) {
  if (repair.exists(path)) return path;
  std::wstring p = path;
  const int prefix = PosText(L"\\??\\", p);
  if (prefix > 0) p.erase(static_cast<size_t>(prefix - 1), 4);
  if (repair.exists(p)) return p;
  p = repair.expand(p);
  if (repair.exists(p)) return p;
  return repair.search(p);
}

bool IsMainModule(const ModuleRecord& module, std::wstring_view processName) {
  return !processName.empty() && Folded(module.Name) == Folded(processName);
}

std::wstring ModuleCellText(const ModuleRecord& record, int column) {
  switch (column) {
    case Index(ModuleColumn::Name): return record.Name;
    case Index(ModuleColumn::Desc): return record.Desc;
    case Index(ModuleColumn::Company): return record.Company;
    case Index(ModuleColumn::Version): return record.Version;
    case Index(ModuleColumn::ImageName): return record.ImageName;
    default: return {};
  }
}

std::wstring ModulesCaption(size_t rows) { return L" 模块 (" + std::to_wstring(rows) + L") "; }

}  // namespace vantrel
