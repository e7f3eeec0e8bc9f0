#pragma once
// One depth-first walk of a folder tree for every engine that lists files,
// without recursion: an explicit stack of folders, so that the deepest tree a
// path can name (some 16,000 levels) needs no more than the heap.
//
// The order is the one the engines promise: a folder's entries as its search
// lists them (files handled as they come), then the subfolders the visitor kept,
// each walked whole before the next, in search order. Folders that are reparse
// points (junctions, links) are never entered: they lead out of the tree or back
// into it.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace wv {

// Where the walk is: the folder with its trailing backslash, and its short
// (8.3) form built from the parent's short form and the names the searches
// report (only when the walk was asked to keep it).
struct WalkFolder {
  std::wstring path;
  std::wstring shortPath;
  std::size_t depth = 0;  // 0 for the root
};

class FolderVisitor {
 public:
  enum class Step { Next, Enter, Stop };
  virtual ~FolderVisitor() = default;
  // Before a folder is listed; false leaves it out (not listed, not entered, no leave()).
  virtual bool enter(const WalkFolder& folder) { (void)folder; return true; }
  // The folder could not be searched (then listed() and leave() still follow).
  virtual void unreadable(const WalkFolder& folder) { (void)folder; }
  // One entry of the listing, "." and ".." left out. Enter (folders only, never
  // reparse points) keeps the folder for walking after the listing; Stop ends the walk.
  virtual Step entry(const WalkFolder& folder, const FindEntry& entry) = 0;
  // The listing of the folder has ended; false ends the walk.
  virtual bool listed(const WalkFolder& folder) { (void)folder; return true; }
  // Before each kept subfolder is walked; false ends the walk.
  virtual bool proceed() { return true; }
  // The folder and everything kept below it have been walked (not after a stop).
  virtual void leave(const WalkFolder& folder) { (void)folder; }
};

struct WalkOptions {
  bool shortPaths = false;    // keep WalkFolder::shortPath
  bool foldersOnly = false;   // ask the search for folders only (a hint: files may still come)
};

// Walks root (with or without its trailing backslash; an empty root is not
// walked). False when the visitor stopped the walk.
bool WalkFolders(std::wstring_view root, FolderVisitor& visitor, const WalkOptions& options = {});

}  // namespace wv
