// File listing, existence, size, in-use test and icons.
#include <algorithm>

#include "core/folder_walk.h"
#include "core/utilities.h"
#include "platform/platform.h"

namespace wv {
namespace {

bool HasWildcard(std::wstring_view path) { return path.find_first_of(L"*?") != std::wstring_view::npos; }

// INVALID_FILE_ATTRIBUTES also for an empty path or a pattern: neither names one entry.
DWORD AttributesOf(std::wstring_view path) {
  return path.empty() || HasWildcard(path) ? INVALID_FILE_ATTRIBUTES : Fs().attributes(path);
}

bool IsFileAttributes(DWORD attrs) { return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY); }

}  // namespace

bool CollectFiles(std::wstring_view folder, std::vector<std::wstring>& list, RunContext* run) {
  class Collect : public FolderVisitor {
   public:
    Collect(std::vector<std::wstring>& out, RunContext* run) : out_(out), run_(run) {}
    bool stopped = false;
    bool enter(const WalkFolder& at) override {
      if (!run_) return true;
      if (!run_->proceed()) stopped = true;
      else run_->scanned(out_.size(), 0, at.path);
      return !stopped;
    }
    bool proceed() override { return !stopped; }
    Step entry(const WalkFolder& at, const FindEntry& entry) override {
      if (stopped) return Step::Stop;
      if (!entry.isFolder()) {
        out_.push_back(at.path + entry.name);
        return Step::Next;
      }
      return EqualsNoCase(entry.name, L"Recycled") ? Step::Next : Step::Enter;
    }

   private:
    std::vector<std::wstring>& out_;
    RunContext* run_;
  } collect(list, run);
  static_cast<void>(WalkFolders(folder, collect));
  return !collect.stopped;
}

bool FileExists(std::wstring_view path) { return IsFileAttributes(AttributesOf(path)); }

bool DirectoryExists(std::wstring_view path) {
  const DWORD attrs = AttributesOf(path);
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

std::uint64_t GetFileSizeOf(std::wstring_view path) {
  // A pattern would report whichever file it met first.
  if (path.empty() || HasWildcard(path)) return 0;
  std::unique_ptr<DirSearch> search = Fs().search(path);
  FindEntry entry;
  if (!search || !search->next(entry)) return 0;
  return entry.isFolder() ? 0 : entry.size;
}

bool IsFileInUse(std::wstring_view path) {
  const DWORD saved = AttributesOf(path);
  if (!IsFileAttributes(saved)) return false;
  // A read-only mark would make the exclusive open fail for the wrong reason.
  (void)Fs().setAttributes(path, FILE_ATTRIBUTE_ARCHIVE);
  const bool inUse = Fs().openFile(path, FileAccess::ReadWrite, FileShare::None, FileDisposition::OpenExisting) ==
                     nullptr;
  (void)Fs().setAttributes(path, saved);
  return inUse;
}



}  // namespace wv
