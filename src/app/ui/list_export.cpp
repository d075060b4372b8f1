#include "app/ui/list_export.h"

#include <vector>

#include "app/ui/save_file_box.h"
#include "controls/message_dialogs.h"
#include "system/os/file_write.h"
#include "system/text/locale_text.h"

namespace vantrel::app {

CsvTable ShownTable(ui::TreeGrid& list) {
  CsvTable table;
  std::vector<int> columns;
  for (int c = 0; c < list.ColumnCount(); ++c) {
    if (list.ColumnWidthPx(c) <= 0) continue;
    columns.push_back(c);
    table.Header.push_back(list.Column(c).header);
  }
  const size_t rows = list.VisibleRowCount();
  table.Rows.reserve(rows);
  for (size_t r = 0; r < rows; ++r) {
    const ui::TreeNode* node = list.VisibleRow(r);
    std::vector<std::wstring> cells;
    cells.reserve(columns.size());
    for (int c : columns) cells.push_back(node && list.onGetText ? list.onGetText(*node, c) : std::wstring());
    table.Rows.push_back(std::move(cells));
  }
  return table;
}

DWORD SaveTreeToCSV(ui::TreeGrid& list, const std::wstring& path, CsvEncoding encoding) {
  const std::wstring text = CsvText(ShownTable(list));
  const std::string bytes = encoding == CsvEncoding::Utf8WithBom ? Utf8WithBom(text) : WideToAnsi(text, CP_ACP);
  return WriteFileReplacing(path, bytes);
}

std::wstring AskSaveFileName(HWND owner, const std::wstring& suggestedName, const wchar_t* filter,
                             const wchar_t* defaultExtension) {
  std::vector<wchar_t> name(32768, L'\0');
  suggestedName.copy(name.data(), std::min(suggestedName.size(), name.size() - 1));
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrDefExt = defaultExtension;
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!ShowSaveFileBox(ofn)) return L"";
  return name.data();
}

bool SaveListReportingErrors(ui::TreeGrid& list, const std::wstring& path, CsvEncoding encoding) {
  const DWORD error = SaveTreeToCSV(list, path, encoding);
  if (error == 0) return true;
  ErrorDlg(L"File " + path + L" cannot be saved.\r\n" + SystemErrorText(error));
  return false;
}

void ExportListWithDialog(HWND owner, ui::TreeGrid& list) {
  const std::wstring path = AskSaveFileName(owner, L"");
  if (!path.empty()) SaveListReportingErrors(list, path, CsvEncoding::Utf8WithBom);
}

}  // namespace vantrel::app
