#pragma once
// Stand-ins for Windows' own programs and for the DLLs of Windows that are not
// among its known DLLs, built in tests/planted and carried as resources of each
// test program that links them. Planted under their Windows names where a search
// by bare name looks first (beside a program, in its current folder), each leaves
// a marker beside itself when it is run or loaded: a test plants them, does its
// work and expects no marker.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace wv::test {

// The last is no stand-in but the control of the DLL tests: a program that imports
// msimg32.dll, which therefore takes a stand-in planted beside it when the loader
// is asked for Windows' search order.
enum class StandIn { RegistryEditor, FileBrowser, HelpViewer, Msimg32, WinInet, Msimg32Importer };
inline constexpr StandIn kStandInPrograms[] = {StandIn::RegistryEditor, StandIn::FileBrowser, StandIn::HelpViewer};
inline constexpr StandIn kStandInLibraries[] = {StandIn::Msimg32, StandIn::WinInet};

// Its Windows name: "regedit.exe", "explorer.exe", "hh.exe", "msimg32.dll", "wininet.dll"
// (the importer: "foreign_import.exe").
std::wstring_view StandInName(StandIn which);

// Every stand-in asked for, planted in each folder for the lifetime of this
// object; the stand-ins and their markers are removed again at its end.
class PlantedStandIns {
 public:
  PlantedStandIns(std::vector<std::wstring> folders, std::vector<StandIn> which);
  ~PlantedStandIns();
  PlantedStandIns(const PlantedStandIns&) = delete;
  PlantedStandIns& operator=(const PlantedStandIns&) = delete;

  // Whether every stand-in was written (a folder that cannot take them fails the test's premise).
  [[nodiscard]] bool planted() const { return planted_; }
  // One line per marker found, "folder\name: what it recorded"; empty while nothing planted ran or was loaded.
  [[nodiscard]] std::vector<std::wstring> markers() const;

 private:
  std::vector<std::wstring> folders_;
  std::vector<StandIn> which_;
  bool planted_ = true;
};

// The stand-ins planted beside this test program and in a fresh folder made its
// current folder: the two places a search by bare name looks first. The current
// folder is put back and everything planted removed at the end.
class PlantedAroundThisProgram {
 public:
  explicit PlantedAroundThisProgram(std::vector<StandIn> which);
  ~PlantedAroundThisProgram();
  PlantedAroundThisProgram(const PlantedAroundThisProgram&) = delete;
  PlantedAroundThisProgram& operator=(const PlantedAroundThisProgram&) = delete;

  [[nodiscard]] bool planted() const { return planted_ && stands_->planted(); }
  [[nodiscard]] std::vector<std::wstring> markers() const { return stands_->markers(); }
  [[nodiscard]] const std::wstring& programFolder() const { return programFolder_; }
  [[nodiscard]] const std::wstring& currentFolder() const { return currentFolder_; }

 private:
  std::wstring programFolder_, currentFolder_, previousFolder_;
  bool planted_ = false;
  std::unique_ptr<PlantedStandIns> stands_;
};

}  // namespace wv::test
