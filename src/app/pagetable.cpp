#include "app/pagetable.h"

#include "cleaning/qdszpage.h"
#include "cleaning/qtrcpage.h"
#include "cleaning/rjqlpage.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcpage.h"
#include "registry/bfglpage.h"
#include "registry/zcqlpage.h"
#include "registry/zcrcpage.h"
#include "tools/wjfspage.h"
#include "tools/wjszpage.h"
#include "tools/yyszpage.h"

namespace wv {
namespace {

template <class P>
std::unique_ptr<Page> Make(Tfrmmain& form) {
  return std::make_unique<P>(form);
}

using SideGroup::Cleaning;
using SideGroup::FileTools;
using enum SidePicture;

const PageEntry kPages[] = {
    {L"wjrc", Cleaning, L" 文件日常清理 ", DailyFiles, true, Make<WjrcPage>},
    {L"zcrc", Cleaning, L" 注册日常清理 ", DailyRegistry, true, Make<ZcrcPage>},
    {L"qtrc", Cleaning, L" 其它日常清理 ", OtherTraces, true, Make<QtrcPage>},
    {L"qdsz", Cleaning, L" 启动项目清理 ", Startup, true, Make<QdszPage>},
    {L"rjql", Cleaning, L" 软件卸载清理 ", Software, true, Make<RjqlPage>},
    {L"wjql", Cleaning, L" 磁盘文件清理 ", JunkFiles, true, Make<WjqlPage>},
    {L"zcql", Cleaning, L" 注册信息清理 ", RegistryRedundancy, true, Make<ZcqlPage>},
    {L"wjsz", FileTools, L" 文件信息设置 ", FileInfo, true, Make<WjszPage>},
    {L"wjfs", FileTools, L" 文件资料粉碎 ", Shredder, true, Make<WjfsPage>},
    {L"yysz", FileTools, L" 音乐信息设置 ", Music, false, Make<YyszPage>},  // the music page has no way in
    {L"bfgl", SideGroup::None, L"", NoPicture, false, Make<BfglPage>},
};

}  // namespace

std::span<const PageEntry> PageTable() { return kPages; }

}  // namespace wv
