#pragma once
// The installed software: the registrations under HKEY_LOCAL_MACHINE's Uninstall
// keys (the native one, then the one a 64-bit system keeps for 32-bit programs),
// filtered, as rows of plain values; and the three actions on one registration:
// run its uninstaller, delete it, check its web address before it is opened.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/run_context.h"
#include "platform/platform.h"

namespace wv {

// The filter combo's items, in order.
enum class SoftwareFilter { HideUpdates = 0, HideMicrosoft = 1, ShowAll = 2 };

// Which Uninstall key a registration lives under.
enum class UninstallView { Native, Wow32 };

inline constexpr std::wstring_view kUninstallKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr std::wstring_view kUninstallKeyWow32 =
    L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

struct SoftwareRow {
  // The registration this row was read from: actions go back to exactly this key.
  UninstallView view = UninstallView::Native;
  std::wstring subkey;

  std::wstring displayName;
  std::wstring publisher;
  std::wstring version;
  FILETIME installed{};  // the key's last write (UTC)
  bool hasInstalled = false;
  std::wstring webAddress;        // "URLInfoAbout", else "HelpLink"
  std::wstring uninstallCommand;  // "uninstallstring"
  std::wstring iconFile;          // an existing file whose icon stands for the program; empty: the default
};

// The registration's key path below HKEY_LOCAL_MACHINE.
std::wstring RegistrationPath(UninstallView view, std::wstring_view subkey);

// Whether a registration with this display name and publisher is listed under the filter.
bool PassesSoftwareFilter(SoftwareFilter filter, std::wstring_view displayName, std::wstring_view publisher);

// Reads both Uninstall keys, subkeys in enumeration order, asking run.proceed()
// before each registration (a false answer ends the reading). Registrations
// without a display name are left out. Returns the number of rows handed out.
std::size_t ReadInstalledSoftware(SoftwareFilter filter, RunContext& run,
                                  const std::function<void(SoftwareRow)>& sink);

enum class UninstallOutcome {
  Started,
  NoCommand,
  RegistrationGone,
  UninstallerMissing,  // the command names no program by its full path, nor one of Windows' own
};
// Runs the uninstall command the registration holds now (read again, not taken
// from the row) as a command line, shown; never through a command interpreter.
// Nothing waits for it.
UninstallOutcome RunUninstaller(const SoftwareRow& row);

// The command line as it is started: an unquoted program path with blanks in it
// is quoted, so that no file named by its first words ("C:\Program.exe") runs instead.
std::wstring SafeCommandLine(std::wstring_view command);

// The program an uninstall command starts, by its full path, and the command line
// that names it so. A full path stays as written; a bare name ("MsiExec.exe",
// "rundll32") is one of Windows' programs, found only in the Windows or system
// folder: never looked for in the current folder, beside this program or on PATH,
// where a file of that name could have been planted. Nothing when the command
// names a relative path or a bare name Windows does not keep.
struct UninstallCommand {
  std::wstring program;
  std::wstring commandLine;
};
std::optional<UninstallCommand> ResolveUninstallCommand(std::wstring_view command);

// Deletes the registration's key with everything below it. Success when the key
// is gone afterwards (also when it was gone before): only then does its row go.
// Otherwise the system's error (ERROR_INVALID_PARAMETER for a row without a key name).
[[nodiscard]] SysResult DeleteRegistration(const SoftwareRow& row);

enum class WebAddressKind { Empty, Web, NotWeb };
struct WebAddressCheck {
  WebAddressKind kind = WebAddressKind::Empty;
  std::wstring address;  // trimmed; "http://" put before a bare "www." address
};
// Only http, https and ftp addresses and mailto: are handed to the shell; a local
// program, a share or any other protocol is not.
WebAddressCheck CheckWebAddress(std::wstring_view text);
// Opens a checked web address with the shell's default action; false when it is not one.
bool OpenWebAddress(std::wstring_view text);

}  // namespace wv
