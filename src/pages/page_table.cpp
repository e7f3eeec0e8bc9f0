#include "pages/page_table.h"

#include "pages/cleaning/startup_page.h"
#include "pages/cleaning/other_traces_page.h"
#include "pages/cleaning/software_page.h"
#include "pages/cleaning/junk_files_page.h"
#include "pages/cleaning/daily_files_page.h"
#include "pages/registry/backup_manager_page.h"
#include "pages/registry/redundancy_page.h"
#include "pages/registry/registry_traces_page.h"
#include "pages/tools/shredder_page.h"
#include "pages/tools/file_info_page.h"
#include "pages/tools/music_page.h"

namespace wv {
namespace {

template <class P>
std::unique_ptr<Page> Make(MainWindow& form) {
  return std::make_unique<P>(form);
}

using SideGroup::Cleaning;
using SideGroup::FileTools;
using enum SidePicture;

const PageEntry kPages[] = {
    {Module::DailyFiles, Cleaning, DailyFiles, true, Make<DailyFilesPage>},
    {Module::RegistryTraces, Cleaning, DailyRegistry, true, Make<RegistryTracesPage>},
    {Module::OtherTraces, Cleaning, OtherTraces, true, Make<OtherTracesPage>},
    {Module::Startup, Cleaning, Startup, true, Make<StartupPage>},
    {Module::Software, Cleaning, Software, true, Make<SoftwarePage>},
    {Module::JunkFiles, Cleaning, JunkFiles, true, Make<JunkFilesPage>},
    {Module::Redundancy, Cleaning, RegistryRedundancy, true, Make<RedundancyPage>},
    {Module::FileInfo, FileTools, FileInfo, true, Make<FileInfoPage>},
    {Module::Shredder, FileTools, Shredder, true, Make<ShredderPage>},
    {Module::Music, FileTools, Music, true, Make<MusicPage>},
    {Module::BackupManager, SideGroup::None, NoPicture, false, Make<BackupManagerPage>},
};

}  // namespace

PageTable AllPages() { return kPages; }

}  // namespace wv
