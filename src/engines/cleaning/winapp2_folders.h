#pragma once
// The folder names of the rule file ("%LocalAppData%", "%ProgramFiles%") as this
// machine and user have them, and the folders that a path with "*" in its parts
// names on disk, each folder listed at most once per lookup.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/file_mask.h"

namespace wv {

struct FindEntry;

// Each name with the folders it stands for: one, two for the program folders of
// a 64-bit system (the 64-bit and the 32-bit one), none when this machine has no
// such folder. Folders have no trailing backslash.
class RuleFolders {
 public:
  // The current user's and this machine's, asked of the shell.
  static RuleFolders Resolve();
  // Given directly (tests: a planted profile). Names without percent signs.
  explicit RuleFolders(std::vector<std::pair<std::wstring, std::vector<std::wstring>>> names);

  // Null for a name the rule file does not use.
  [[nodiscard]] const std::vector<std::wstring>* find(std::wstring_view name) const;
  // The text with every "%Name%" replaced: one text per choice of folders (the
  // program folders give two). Empty when a name has no folder here or is unknown.
  [[nodiscard]] std::vector<std::wstring> expand(std::wstring_view text) const;

 private:
  std::vector<std::pair<std::wstring, std::vector<std::wstring>>> names_;  // names folded
};

// True when a path part holds "*" or "?".
bool HasWildcard(std::wstring_view part);

// What a path names on disk, asked of directory listings that are read once and
// kept for the lookup's lifetime (a detection asks thousands of paths that begin
// alike). The listings form a tree, so that a path is followed part by part
// without building the folder paths along it. Listings of folders that are not
// there are empty.
class FolderLookup {
 public:
  FolderLookup();
  ~FolderLookup();
  FolderLookup(const FolderLookup&) = delete;
  FolderLookup& operator=(const FolderLookup&) = delete;

  // The folders that a full path ("C:\Users\*\Cache*") names: every part with "*"
  // or "?" matched against the listing of the folder before it, without regard to
  // case; a wildcard never matches a folder that is a link or junction. In the
  // listings' order; no trailing backslash.
  [[nodiscard]] std::vector<std::wstring> folders(std::wstring_view path);
  // Whether the path (wildcards allowed in any part) names a file or a folder.
  [[nodiscard]] bool exists(std::wstring_view path);

 private:
  struct Node;
  // The node of an entry of the folder at parent.
  static std::unique_ptr<Node> NodeOf(const std::wstring& parent, const FindEntry& e);
  // The node of a root ("C:", "\\server\share"), made on first use.
  Node& root(std::wstring_view name);
  // The node's entries, read from disk on first use.
  void list(Node& node);
  // The entry of that name (no wildcard), or null when it is not there; ask: by
  // itself while the folder has not been asked about too many names.
  Node* child(Node& node, std::wstring_view name, bool ask);
  // Leaves in current_ the matches of the last part among the entries of the
  // folders named by the parts before it (the root itself when there are no
  // parts); false when the path is no full path or a part is no valid mask.
  bool walk(std::wstring_view path, bool foldersOnly, bool firstOnly);

  std::unordered_map<std::wstring, std::unique_ptr<Node>> roots_;  // by folded root
  std::unordered_map<std::wstring, FileMask> masks_;             // compiled wildcard parts, by text
  std::vector<std::wstring_view> parts_;                           // scratch of walk()
  std::vector<Node*> current_, next_;                              // scratch of walk()
  std::wstring scratch_;
};

}  // namespace wv
