#pragma once
// Files and folders: existence, the in-use test, sizes, the recursive file
// listing. System calls go through platform().

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_context.h"
#include "platform/handles.h"

namespace wv {

// Appends every file below folder: a folder's own files first, then its
// subfolders depth first; folders named "Recycled" (any case) are not entered.
// With a run: asked before each folder (a stop ends the listing: false) and
// told how many files are listed so far and where.
bool CollectFiles(std::wstring_view folder, std::vector<std::wstring>& list, RunContext* run = nullptr);

// True when the file exists and cannot be opened for reading and writing without
// sharing. The file's attributes are as before afterwards.
bool IsFileInUse(std::wstring_view path);
bool FileExists(std::wstring_view path);       // exists and is not a folder
bool DirectoryExists(std::wstring_view path);  // exists and is a folder
// Size from a directory search on the path (full 64 bits); 0 when missing.
std::uint64_t GetFileSizeOf(std::wstring_view path);

}  // namespace wv
