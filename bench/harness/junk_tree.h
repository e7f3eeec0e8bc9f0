#pragma once
// The tree the junk-scan benchmarks walk: 200,000 five-byte files in 20,000
// folders (100 top folders of 199 subfolders, ten files each), ordinary long
// names so that every folder has an 8.3 form, one file in 500 junk.
// scripts/make-test-volume makes the same tree, name for name, on an NTFS volume.

#include <cstddef>
#include <string>
#include <vector>

namespace wv::bench {

inline constexpr int kJunkTreeFolders = 20000;

// The name of the tree's n-th file.
std::wstring JunkTreeFileName(int n);
// Makes the tree below root; the number of files. folders, when given, receives every folder.
int BuildJunkTree(const std::wstring& root, std::vector<std::wstring>* folders = nullptr);
// The bare baseline: a recursive FindFirstFileExW walk (basic level, large fetch)
// that does nothing per entry; the entries it saw.
std::size_t BareWalk(const std::wstring& folder);

}  // namespace wv::bench
