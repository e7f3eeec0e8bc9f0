#pragma once
// Which entries of the rule file apply to this machine: an entry applies when
// any of its detect keys (a registry key, a file or folder with "*" allowed in
// its parts) is there, or when it has none; a DetectOS range must also hold.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engines/cleaning/winapp2_file.h"
#include "engines/cleaning/winapp2_folders.h"
#include "platform/platform.h"

namespace wv {

// The key in both registry views of a 64-bit system: keys below
// "HKLM\Software" and "HKCR" also have their 32-bit copy below "Wow6432Node".
// The key itself first; a key already below "Wow6432Node" is only itself.
std::vector<RuleKey> BothViews(const RuleKey& key);
// The 32-bit view alone into out (its buffer reused); false when the key has none.
bool OtherView(const RuleKey& key, RuleKey& out);

// Whether registry keys exist, asked of subkey listings read once per key for
// the lookup's lifetime (thousands of detect keys begin alike).
class KeyLookup {
 public:
  [[nodiscard]] bool exists(const RuleKey& key);

 private:
  struct Subkeys;
  Subkeys& subkeys(RegRoot root, const std::wstring& path);
  std::unordered_map<std::wstring, std::unique_ptr<Subkeys>> cache_[5];  // by root, then folded path
  std::wstring folded_, part_, at_;  // scratch
};

// One answer per entry, in order.
std::vector<bool> DetectEntries(const std::vector<Winapp2Entry>& entries, const RuleFolders& folders,
                                const OsVersion& os);

}  // namespace wv
