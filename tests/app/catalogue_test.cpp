// The scan-item lists as the window fills them: every row's caption, advice or
// description, picture and recommendation, in order, against the table below.

#include "appfixture.h"
#include "cleaning/qtrcpage.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcpage.h"
#include "registry/zcqlpage.h"
#include "registry/zcrcpage.h"

namespace wv::test {
namespace {

struct Item {
  const wchar_t* caption;
  const wchar_t* advice;
  int icon;
  bool recommended;
};

const std::vector<Item> kZcql = {
    {L"HKEY_CURRENT_USER中的冗余信息", L"推荐", 1, true},
    {L"HKEY_LOCAL_MACHINE中的冗余信息", L"推荐", 1, true},
    {L"HKEY_USERS中的冗余信息", L"推荐", 1, true},
};

const std::vector<Item> kZcrc = {
    {L"用户操作历史信息", L"推荐", 15, true},   {L"软件使用历史信息", L"推荐", 15, true},
    {L"文件扩展名历史信息", L"推荐", 15, true}, {L"无效动态链接库信息", L"推荐", 16, true},
    {L"无效软件安装信息", L"推荐", 0, true},    {L"无效安装文件夹信息", L"推荐", 0, true},
    {L"无效软件反安装信息", L"推荐", 0, true},  {L"无效开始菜单信息", L"推荐", 17, true},
    {L"无效右键菜单信息", L"推荐", 17, true},   {L"无效帮助信息", L"推荐", 18, true},
    {L"无效字体信息", L"推荐", 19, true},       {L"无效组件信息", L"可选", 20, false},
    {L"无效文件关联信息", L"可选", 20, false},
};

const std::vector<Item> kWjql = {
    {L"*.~*", L"临时文件", 6, true},
    {L"*.^*", L"临时文件", 6, false},
    {L"*.??$", L"临时文件", 6, true},
    {L"*.??~", L"临时文件", 6, false},
    {L"*.$*", L"临时文件", 6, true},
    {L"*._mp", L"临时文件", 6, true},
    {L"*.tmp", L"临时文件", 6, true},
    {L"~*.*", L"备份文件", 6, true},
    {L"*.bak", L"备份文件", 6, true},
    {L"*.old", L"备份文件", 6, true},
    {L"*.prv", L"备份文件", 6, true},
    {L"*.syd", L"备份文件", 6, false},
    {L"*.err", L"错误日志文件", 6, true},
    {L"errorlog.txt", L"错误日志文件", 6, true},
    {L"*.gid", L"帮助的临时文件", 6, true},
    {L"*.ftg", L"帮助的临时文件", 6, true},
    {L"*.fts", L"帮助的临时文件", 6, true},
    {L"*.$$$", L"异常的临时文件", 6, true},
    {L"*.@@@", L"异常的临时文件", 6, true},
    {L"*.dmp", L"系统内存转储文件", 6, true},
    {L"chklist.*", L"丢失簇的恢复文件", 6, true},
    {L"*.chk", L"丢失簇的恢复文件", 6, true},
    {L"*.diz", L"Zip文档说明文件", 6, false},
    {L"*.wbk", L"Word备份件", 6, false},
    {L"*.xlk", L"Excel备份文件", 6, false},
    {L"*.cdr_", L"Corel Draw备份文件", 6, false},
    {L"*.#Res", L"Mac Photoshop转存到PC的临时文件", 6, false},
    {L"*.---", L"安装临时文件", 6, true},
    {L"mscreate.dir", L"安装临时文件", 6, true},
    {L"imagedb.aid", L"安装临时文件", 6, true},
    {L"0???????.nch", L"新闻组临时缓存数据文件", 6, true},
    {L"*.fnd", L"Explorer保存的搜索文件", 6, true},
    {L"*.spc", L"WordPerfect临时文件", 6, false},
    {L"*.mch", L"Macromedia Xtra缓存文件", 6, true},
    {L"Thumbs.db", L"图片预览缩略图缓存文件", 6, true},
};

const std::vector<Item> kWjrc = {
    {L"Windows临时文件夹", L"推荐", 14, true}, {L"文档访问历史记录", L"推荐", 15, true},
    {L"系统操作日志", L"推荐", 22, true},      {L"软件使用日志", L"推荐", 22, true},
    {L"用户自定", L"可选", 21, false},
};

const std::vector<Item> kQtrc = {
    {L"Internet Explorer中的所有临时文件", L"推荐", 3, true},
    {L"Internet Explorer中的所有历史记录", L"推荐", 3, true},
    {L"Internet Explorer中地址栏历史网址", L"可选", 3, false},
    {L"Internet Explorer中的所有Cookies", L"可选", 3, false},
    {L"Windows系统日志-应用程序", L"可选", 22, false},
    {L"Windows系统日志-安全性", L"可选", 22, false},
    {L"Windows系统日志-系统", L"可选", 22, false},
};

using CatalogueTest = FormTest;

TEST_F(CatalogueTest, EveryListHoldsItsItemsInOrderWithTheirTextsPicturesAndTicks) {
  const std::pair<ListView*, const std::vector<Item>*> lists[] = {
      {&form->page<ZcqlPage>().zcql_select, &kZcql},   {&form->page<ZcrcPage>().zcrc_select, &kZcrc},
      {&form->page<WjqlPage>().wjql_wjlxlist, &kWjql}, {&form->page<WjrcPage>().wjrc_select, &kWjrc},
      {&form->page<QtrcPage>().qtrc_showlist, &kQtrc},
  };
  for (const auto& [list, items] : lists) {
    ASSERT_EQ(list->count(), static_cast<int>(items->size()));
    for (int i = 0; i < list->count(); ++i) {
      const Item& want = (*items)[static_cast<std::size_t>(i)];
      SCOPED_TRACE(want.caption);
      const ListRow row = list->row(i);
      EXPECT_EQ(row.caption, want.caption);
      EXPECT_EQ(row.column(1), want.advice);
      EXPECT_EQ(row.image, want.icon);
      EXPECT_EQ(row.checked, want.recommended) << "a fresh start ticks the recommended rows";
      EXPECT_EQ(list->state(i), want.recommended ? 1 : 0);
    }
  }
  EXPECT_EQ(form->page<QtrcPage>().qtrc_showlist.row(0).column(2), L"") << "the result column starts empty";
}

}  // namespace
}  // namespace wv::test
