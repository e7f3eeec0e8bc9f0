#pragma once
// "导出报告" of the two file-cleaning pages: the result list as it stands, as
// the same report the command line writes (every row would be removed).

#include <windows.h>

#include <string>
#include <vector>

#include "core/modules.h"
#include "engines/cleaning/found_row.h"
#include "engines/unattended/report.h"

namespace wv {

// The report rows of a page's result list, stamped with the given time.
std::vector<ReportRow> ReportRowsOf(const std::vector<FoundRow>& rows, Module module,
                                    const std::vector<std::wstring>& itemCaptions, const SYSTEMTIME& time);

// The save dialog (CSV or HTML), then the file; the status line names it, a
// failure is told in a box. Nothing happens when the user cancels.
void ExportFoundRows(HWND owner, const std::vector<FoundRow>& rows, Module module,
                     const std::vector<std::wstring>& itemCaptions);

}  // namespace wv
