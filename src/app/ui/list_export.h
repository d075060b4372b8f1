// "导出...": a list saved as the program's list file (UTF-8 with a byte-order mark, so no name is lost to the code
// page), through the save dialog; an error box names the file when the save fails.
#pragma once

#include <windows.h>

#include <string>

#include "controls/tree_grid.h"
#include "core/export/csv.h"

namespace vantrel::app {

enum class CsvEncoding { AnsiCodePage, Utf8WithBom };

// The visible columns in column index order and the shown rows in their order.
CsvTable ShownTable(ui::TreeGrid& list);
// Writes the list; 0 or the error of the call that failed (the earlier file is then intact).
DWORD SaveTreeToCSV(ui::TreeGrid& list, const std::wstring& path, CsvEncoding encoding);
// Asks for a file name (suggested: name) in the save dialog; empty when the user cancelled. filter: the dialog's
// double-NUL-terminated filter list; defaultExtension: added to a name without one, or nullptr for none.
std::wstring AskSaveFileName(HWND owner, const std::wstring& suggestedName,
                             const wchar_t* filter = L"CSV (*.csv)\0*.csv\0*.*\0*.*\0",
                             const wchar_t* defaultExtension = L"csv");
// Saves and shows the error box on failure; true when saved.
bool SaveListReportingErrors(ui::TreeGrid& list, const std::wstring& path, CsvEncoding encoding);
void ExportListWithDialog(HWND owner, ui::TreeGrid& list);

}  // namespace vantrel::app
