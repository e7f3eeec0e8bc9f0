#include "core/folder_walk.h"

#include <memory>

namespace wv {
namespace {

struct Subfolder {
  std::wstring name;
  std::wstring shortName;
};

// One folder on the stack: the subfolders its listing kept and the next one to walk.
struct Frame {
  std::vector<Subfolder> subfolders;
  std::size_t count = 0;  // kept this time (the vector is reused between folders)
  std::size_t next = 0;
  std::size_t pathLength = 0;
  std::size_t shortLength = 0;
};

class Walk {
 public:
  Walk(FolderVisitor& visitor, const WalkOptions& options) : visitor_(visitor), options_(options) {}

  bool run(std::wstring_view root) {
    if (root.empty()) return true;
    here_.path.assign(root);
    if (here_.path.back() != L'\\') here_.path += L'\\';
    if (options_.shortPaths) {
      here_.shortPath = Fs().shortPath(here_.path);
      if (here_.shortPath.empty()) here_.shortPath = here_.path;  // no short form: the path alone
      if (here_.shortPath.back() != L'\\') here_.shortPath += L'\\';
    }
    here_.depth = 0;
    if (!open()) return !stopped_;

    while (depth_ > 0) {
      Frame& frame = frames_[depth_ - 1];
      if (frame.next == frame.count) {
        close();
        continue;
      }
      if (!visitor_.proceed()) return false;
      const Subfolder& sub = frame.subfolders[frame.next++];
      here_.path += sub.name;
      here_.path += L'\\';
      if (options_.shortPaths) {
        here_.shortPath += sub.shortName;
        here_.shortPath += L'\\';
      }
      here_.depth = depth_;
      if (!open()) {
        if (stopped_) return false;
        trim(frame);  // left out: back to the parent
      }
    }
    return true;
  }

 private:
  // Enters and lists the folder at here_; false when it was left out or the walk stopped.
  bool open() {
    if (!visitor_.enter(here_)) return false;
    if (frames_.size() == depth_) frames_.emplace_back();
    Frame& frame = frames_[depth_];
    frame.count = 0;
    frame.next = 0;
    frame.pathLength = here_.path.size();
    frame.shortLength = here_.shortPath.size();

    const std::size_t base = here_.path.size();
    here_.path += L"*.*";
    std::unique_ptr<DirSearch> search = Fs().search(here_.path, options_.foldersOnly);
    here_.path.resize(base);
    if (!search) {
      visitor_.unreadable(here_);
    } else {
      while (search->next(entry_)) {
        if (entry_.isFolder() && entry_.isDots()) continue;
        const FolderVisitor::Step step = visitor_.entry(here_, entry_);
        if (step == FolderVisitor::Step::Stop) return stop();
        if (step != FolderVisitor::Step::Enter || !entry_.isFolder() ||
            (entry_.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
          continue;
        if (frame.count == frame.subfolders.size()) frame.subfolders.emplace_back();
        Subfolder& sub = frame.subfolders[frame.count++];
        sub.name = entry_.name;
        sub.shortName = entry_.shortName.empty() ? entry_.name : entry_.shortName;
      }
    }
    if (!visitor_.listed(here_)) return stop();
    ++depth_;
    return true;
  }

  // The folder on top is done: leave it and return to its parent.
  void close() {
    Frame& frame = frames_[depth_ - 1];
    here_.path.resize(frame.pathLength);
    here_.shortPath.resize(frame.shortLength);
    here_.depth = depth_ - 1;
    visitor_.leave(here_);
    --depth_;
    if (depth_ > 0) trim(frames_[depth_ - 1]);
  }

  // Back to the parent's own path after one of its subfolders.
  void trim(const Frame& parent) {
    here_.path.resize(parent.pathLength);
    here_.shortPath.resize(parent.shortLength);
    here_.depth = depth_ - 1;
  }

  bool stop() {
    stopped_ = true;
    return false;
  }

  FolderVisitor& visitor_;
  WalkOptions options_;
  WalkFolder here_;
  FindEntry entry_;
  // Frames stay allocated between folders of the same depth: a walk of a
  // million files does not allocate per folder.
  std::vector<Frame> frames_;
  std::size_t depth_ = 0;  // frames in use
  bool stopped_ = false;
};

}  // namespace

bool WalkFolders(std::wstring_view root, FolderVisitor& visitor, const WalkOptions& options) {
  return Walk(visitor, options).run(root);
}

}  // namespace wv
