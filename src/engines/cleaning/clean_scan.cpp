#include "engines/cleaning/clean_scan.h"

#include "platform/platform.h"
#include "platform/text.h"

namespace wv::cleanscan {

std::vector<FileMask> CompileMasks(const std::vector<std::wstring>& patterns) {
  std::vector<FileMask> out;
  out.reserve(patterns.size());
  for (const std::wstring& p : patterns)
    if (auto mask = FileMask::Compile(p)) out.push_back(std::move(*mask));
  return out;
}

const FileMask* FirstMatch(const std::vector<FileMask>& masks, std::wstring_view name) {
  for (const FileMask& m : masks)
    if (m.Matches(name)) return &m;
  return nullptr;
}

std::wstring FinalFolderOf(std::wstring_view finalPath) {
  const std::size_t slash = finalPath.rfind(L'\\');
  if (slash == std::wstring_view::npos) return {};
  return std::wstring(finalPath.substr(0, slash + 1));
}

std::wstring FinalFolderPath(std::wstring_view folder, bool folded) {
  std::wstring out;
  if (const std::unique_ptr<Entry> entry = Fs().openEntry(folder, EntryOpen::Look)) out = entry->finalPath();
  if (out.empty()) out = Fs().fullPath(folder);
  if (out.empty()) out.assign(folder);
  out = IncludeTrailingBackslash(out);
  if (!folded) return out;
  std::wstring f;
  FoldInto(out, f);
  return f;
}

bool IsAtOrBelow(std::wstring_view folder, std::wstring_view outer) {
  return !outer.empty() && folder.starts_with(outer);
}

std::uint32_t VolumeSerials::of(std::wstring_view finalFolder) {
  if (finalFolder.empty()) return 0;
  std::wstring folded;
  FoldInto(IncludeTrailingBackslash(finalFolder), folded);
  if (folded == lastFolder_) return lastSerial_;
  std::uint32_t serial = 0;
  if (const auto known = byFolder_.find(folded); known != byFolder_.end()) {
    serial = known->second;
  } else {
    const std::wstring volume = Vol().volumePathOf(finalFolder);
    std::wstring volumeKey;
    FoldInto(volume, volumeKey);
    if (const auto v = byVolume_.find(volumeKey); v != byVolume_.end()) {
      serial = v->second;
    } else if (!volume.empty()) {
      if (const std::optional<VolumeInformation> info = Vol().volumeInformation(volume)) serial = info->serial;
      byVolume_.emplace(volumeKey, serial);
    }
    byFolder_.emplace(folded, serial);
  }
  lastFolder_ = std::move(folded);
  lastSerial_ = serial;
  return serial;
}

std::optional<ListedEntry> ReadListedFile(const std::wstring& path, VolumeSerials& serials, std::wstring& folderFinal,
                                          std::wstring& folderOfFinal) {
  const std::unique_ptr<Entry> entry = Fs().openEntry(path, EntryOpen::Exclusive);
  if (!entry) return std::nullopt;
  const std::optional<EntryFacts> facts = entry->facts();
  if (!facts || (facts->attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  ListedEntry listed;
  listed.size = facts->size;
  listed.identity.fileId = facts->fileId;
  listed.identity.lastWrite = facts->lastWrite;
  // One final path per walked folder: its files share their volume.
  const std::wstring_view folder = ExtractFilePath(path);
  if (folder != folderOfFinal) {
    folderOfFinal.assign(folder);
    folderFinal = FinalFolderOf(entry->finalPath());
  }
  listed.identity.volumeSerial = serials.of(folderFinal);
  return listed;
}

std::optional<ListedEntry> ReadListedFolder(const std::wstring& path, VolumeSerials& serials) {
  const std::unique_ptr<Entry> entry = Fs().openEntry(path, EntryOpen::Look);
  if (!entry) return std::nullopt;
  const std::optional<EntryFacts> facts = entry->facts();
  if (!facts || !(facts->attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  ListedEntry listed;
  listed.identity.fileId = facts->fileId;
  listed.identity.volumeSerial = serials.of(entry->finalPath());  // the folder's own volume
  return listed;
}

}  // namespace wv::cleanscan
