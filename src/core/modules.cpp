#include "core/modules.h"

namespace wv {
namespace {

// Sections of modules that keep no settings of their own are empty.
constexpr ModuleInfo kModules[] = {
    {Module::DailyFiles, L"wjrc", L"WJRC", L"文件日常清理", L" 文件日常清理 "},
    {Module::RegistryTraces, L"zcrc", L"ZCRC", L"注册日常清理", L" 注册日常清理 "},
    {Module::OtherTraces, L"qtrc", L"QTRC", L"其它日常清理", L" 其它日常清理 "},
    {Module::Startup, L"qdsz", L"", L"启动项目清理", L" 启动项目清理 "},
    {Module::Software, L"rjql", L"RJQL", L"软件卸载清理", L" 软件卸载清理 "},
    {Module::JunkFiles, L"wjql", L"WJQL", L"磁盘文件清理", L" 磁盘文件清理 "},
    {Module::Redundancy, L"zcql", L"ZCQL", L"注册信息清理", L" 注册信息清理 "},
    {Module::FileInfo, L"wjsz", L"", L"文件信息设置", L" 文件信息设置 "},
    {Module::Shredder, L"wjfs", L"", L"文件资料粉碎", L" 文件资料粉碎 "},
    {Module::Music, L"yysz", L"", L"音乐信息设置", L" 音乐信息设置 "},
    {Module::BackupManager, L"bfgl", L"BFGL", L"备份管理", L""},
};

}  // namespace

std::span<const ModuleInfo> Modules() { return kModules; }

const ModuleInfo& ModuleInfoOf(Module module) { return kModules[static_cast<int>(module)]; }

}  // namespace wv
