#include "app/catalogue.h"

#include "platform/text.h"

namespace wv {
namespace {

const std::vector<CatalogueRow> kRedundancyItems = {
    {L"HKEY_CURRENT_USER中的冗余信息", L"推荐", picture::RegistryHive, 1},
    {L"HKEY_LOCAL_MACHINE中的冗余信息", L"推荐", picture::RegistryHive, 1},
    {L"HKEY_USERS中的冗余信息", L"推荐", picture::RegistryHive, 1},
};

const std::vector<CatalogueRow> kRegistryTraceItems = {
    {L"用户操作历史信息", L"推荐", picture::History, 1},   {L"软件使用历史信息", L"推荐", picture::History, 1},
    {L"文件扩展名历史信息", L"推荐", picture::History, 1}, {L"无效动态链接库信息", L"推荐", picture::SharedLibrary, 1},
    {L"无效软件安装信息", L"推荐", picture::Software, 1},    {L"无效安装文件夹信息", L"推荐", picture::Software, 1},
    {L"无效软件反安装信息", L"推荐", picture::Software, 1},  {L"无效开始菜单信息", L"推荐", picture::Menu, 1},
    {L"无效右键菜单信息", L"推荐", picture::Menu, 1},   {L"无效帮助信息", L"推荐", picture::Help, 1},
    {L"无效字体信息", L"推荐", picture::Font, 1},       {L"无效组件信息", L"可选", picture::Component, 0},
    {L"无效文件关联信息", L"可选", picture::Component, 0},
};

const std::vector<CatalogueRow> kJunkMasks = {
    {L"*.~*", L"临时文件", picture::JunkFile, 1},
    {L"*.^*", L"临时文件", picture::JunkFile, 0},
    {L"*.??$", L"临时文件", picture::JunkFile, 1},
    {L"*.??~", L"临时文件", picture::JunkFile, 0},
    {L"*.$*", L"临时文件", picture::JunkFile, 1},
    {L"*._mp", L"临时文件", picture::JunkFile, 1},
    {L"*.tmp", L"临时文件", picture::JunkFile, 1},
    {L"~*.*", L"备份文件", picture::JunkFile, 1},
    {L"*.bak", L"备份文件", picture::JunkFile, 1},
    {L"*.old", L"备份文件", picture::JunkFile, 1},
    {L"*.prv", L"备份文件", picture::JunkFile, 1},
    {L"*.syd", L"备份文件", picture::JunkFile, 0},
    {L"*.err", L"错误日志文件", picture::JunkFile, 1},
    {L"errorlog.txt", L"错误日志文件", picture::JunkFile, 1},
    {L"*.gid", L"帮助的临时文件", picture::JunkFile, 1},
    {L"*.ftg", L"帮助的临时文件", picture::JunkFile, 1},
    {L"*.fts", L"帮助的临时文件", picture::JunkFile, 1},
    {L"*.$$$", L"异常的临时文件", picture::JunkFile, 1},
    {L"*.@@@", L"异常的临时文件", picture::JunkFile, 1},
    {L"*.dmp", L"系统内存转储文件", picture::JunkFile, 1},
    {L"chklist.*", L"丢失簇的恢复文件", picture::JunkFile, 1},
    {L"*.chk", L"丢失簇的恢复文件", picture::JunkFile, 1},
    {L"*.diz", L"Zip文档说明文件", picture::JunkFile, 0},
    {L"*.wbk", L"Word备份件", picture::JunkFile, 0},
    {L"*.xlk", L"Excel备份文件", picture::JunkFile, 0},
    {L"*.cdr_", L"Corel Draw备份文件", picture::JunkFile, 0},
    {L"*.#Res", L"Mac Photoshop转存到PC的临时文件", picture::JunkFile, 0},
    {L"*.---", L"安装临时文件", picture::JunkFile, 1},
    {L"mscreate.dir", L"安装临时文件", picture::JunkFile, 1},
    {L"imagedb.aid", L"安装临时文件", picture::JunkFile, 1},
    {L"0???????.nch", L"新闻组临时缓存数据文件", picture::JunkFile, 1},
    {L"*.fnd", L"Explorer保存的搜索文件", picture::JunkFile, 1},
    {L"*.spc", L"WordPerfect临时文件", picture::JunkFile, 0},
    {L"*.mch", L"Macromedia Xtra缓存文件", picture::JunkFile, 1},
    {L"Thumbs.db", L"图片预览缩略图缓存文件", picture::JunkFile, 1},
};

const std::vector<CatalogueRow> kDailyFileItems = {
    {L"Windows临时文件夹", L"推荐", picture::TempFolders, 1}, {L"文档访问历史记录", L"推荐", picture::History, 1},
    {L"系统操作日志", L"推荐", picture::Logs, 1},      {L"软件使用日志", L"推荐", picture::Logs, 1},
    {L"用户自定", L"可选", picture::UserFolders, 0},
};

const std::vector<CatalogueRow> kOtherTraceItems = {
    {L"Internet Explorer中的所有临时文件", L"推荐", picture::Browser, 1},
    {L"Internet Explorer中的所有历史记录", L"推荐", picture::Browser, 1},
    {L"Internet Explorer中地址栏历史网址", L"可选", picture::Browser, 0},
    {L"Internet Explorer中的所有Cookies", L"可选", picture::Browser, 0},
    {L"Windows系统日志-应用程序", L"可选", picture::Logs, 0},
    {L"Windows系统日志-安全性", L"可选", picture::Logs, 0},
    {L"Windows系统日志-系统", L"可选", picture::Logs, 0},
};

const std::vector<CatalogueRow> kNone;

}  // namespace

const std::vector<CatalogueRow>& CatalogueRows(Module module) {
  switch (module) {
    case Module::Redundancy: return kRedundancyItems;
    case Module::RegistryTraces: return kRegistryTraceItems;
    case Module::JunkFiles: return kJunkMasks;
    case Module::DailyFiles: return kDailyFileItems;
    case Module::OtherTraces: return kOtherTraceItems;
    default: return kNone;
  }
}

void FillCatalogue(Module module, std::vector<ListRow>& rows) {
  const bool withResult = module == Module::OtherTraces;
  for (const CatalogueRow& c : CatalogueRows(module)) {
    ListRow row;
    row.caption = c.caption;
    row.sub.emplace_back(c.advice);
    if (withResult) row.sub.emplace_back();
    row.image = c.icon;
    row.state = c.recommended;
    rows.push_back(std::move(row));
  }
  for (ListRow& row : rows)
    if (row.state == 1) row.checked = true;
}

void RestoreDefaults(std::vector<ListRow>& rows) {
  for (ListRow& row : rows) row.checked = row.state == 1;
}

}  // namespace wv
