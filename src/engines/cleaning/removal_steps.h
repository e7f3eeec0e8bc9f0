#pragma once
// The steps the removal modes share (engines/cleaning/removal*.cpp only).

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <cstddef>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "engines/cleaning/entry_checks.h"
#include "engines/cleaning/removal.h"

namespace wv::removal {

enum class Done { Untried, Removed, Gone, Kept };

// What became of each chosen row.
class Outcomes {
 public:
  explicit Outcomes(std::size_t rows) : done_(rows, Done::Untried), why_(rows, KeptReason::None) {}
  void removed(std::size_t i) { done_[i] = Done::Removed; }
  void gone(std::size_t i) { done_[i] = Done::Gone; }
  void kept(std::size_t i, KeptReason why) {
    done_[i] = Done::Kept;
    why_[i] = why;
  }
  [[nodiscard]] Done at(std::size_t i) const { return done_[i]; }
  [[nodiscard]] RemovalReport report(const std::vector<std::size_t>& indices, bool stopped) const;

 private:
  std::vector<Done> done_;
  std::vector<KeptReason> why_;
};

// The marks the shell or a deletion is kept from by: read-only always; hidden
// and system make the shell ask.
inline constexpr DWORD kMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Deletes one checked row through its handle (direct deletion, and the waste
// folders of the move mode). The row's way must be held by folders.
void DeleteThroughHandle(const FoundRow& row, std::size_t index, HeldFolders& folders, Outcomes& out);

// Whether the folder holds no file and no link anywhere below it (a folder that
// cannot be read cannot be shown to hold none).
bool HoldsNoFiles(const std::wstring& folder);

// The recycle bin and move modes.
void RemoveThroughShell(const std::vector<FoundRow>& rows, const std::vector<std::size_t>& files,
                        const std::vector<std::size_t>& waste, const RemovalOptions& options, RunContext& run,
                        Outcomes& out, bool& stopped);

// A path the shell's file operation cannot take (MAX_PATH and longer).
inline bool TooLongForShell(std::wstring_view path) { return path.size() >= MAX_PATH; }

}  // namespace wv::removal
