#include "pages/registry/registry_reports.h"

#include <string>

#include "ui/notify.h"

namespace wv {
namespace {

// The text of each outcome, in the order of the status enums.
constexpr std::wstring_view kBackupTexts[] = {
    L"您已成功备份注册表！",
    L"备份目录无效请重新选择！",
    L"无法启动注册表编辑器，注册表未备份！",
    L"注册表编辑器未能导出注册表，备份未完成！",
    L"备份文件压缩失败（请检查备份目录所在磁盘的空间），已保留未压缩的完整备份：",
    L"备份记录无法写入，备份文件保留在：",
};

constexpr std::wstring_view kRestoreTexts[] = {
    L"您已成功恢复注册表！",
    L"您选择的备份记录已不存在！",
    L"您选择的备份文件已损坏，注册表未作改动！",
    L"无法启动注册表编辑器，注册表未恢复！",
    L"注册表编辑器未能导入该备份！",
};

// The heading is the action and how it went ("备份成功", "恢复失败"); information
// for success, a warning for everything else.
void Show(std::wstring_view action, bool success, std::wstring_view text, std::wstring_view detail = {}) {
  MsgBox(success ? MsgIcon::Information : MsgIcon::Warning, MsgButtons::Ok,
         std::wstring(action) + (success ? L"成功" : L"失败"), std::wstring(text) + std::wstring(detail));
}

}  // namespace

void ReportBackup(const BackupResult& result) {
  const bool fileKept = result.status == BackupStatus::RecordFailed || result.status == BackupStatus::CompressFailed;
  Show(L"备份", result.status == BackupStatus::Done, kBackupTexts[static_cast<int>(result.status)],
       fileKept ? std::wstring_view(result.file) : std::wstring_view());
}

void ReportRestore(RestoreStatus status) {
  Show(L"恢复", status == RestoreStatus::Done, kRestoreTexts[static_cast<int>(status)]);
}

void ReportUndoFailure(const UndoFile& undo) {
  MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"删除失败", undo.error + L"为能撤销这次清理，未删除任何项目。");
}

}  // namespace wv
