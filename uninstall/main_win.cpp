// Entry of the uninstaller: started with the path of a product's protocol
// ("UnInstall.log"), it asks once, removes what the protocol lists within
// the rules of the plan and tells what it removed and what it left.
// Exit code 0: all removed; 1: nothing changed (refused, or the user said
// No); 2: something was left.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <shlobj.h>

#include <string>
#include <variant>
#include <vector>

#include "common/ProgramPath.h"
#include "common/WinHandle.h"
#include "install/ShellLink_win.h"
#include "install/Shortcuts_win.h"
#include "pages/ErrorReport_win.h"
#include "uninstall/CommandLine.h"
#include "uninstall/ProgressWindow_win.h"
#include "uninstall/Removal_win.h"
#include "uninstall/UninstallEntries_win.h"
#include "uninstall/UninstallPlan.h"
#include "uninstall/UninstallTexts.h"
#include "winsupport/AnsiText.h"
#include "winsupport/CommonControls.h"
#include "winsupport/LibrarySearch.h"
#include "winsupport/ShellFolders.h"
#include "winsupport/SystemLanguage.h"

namespace pelmora::uninstall {
namespace {

// Far above any protocol (one line per installed file, one block per run).
constexpr DWORD kLargestProtocol = 16 * 1024 * 1024;

constexpr int kAllRemoved = 0;
constexpr int kNothingChanged = 1;
constexpr int kSomethingLeft = 2;

std::variant<std::string, Rejection> ReadProtocol(const std::string& path) {
  const win::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Rejection::Unreadable;
  DWORD high = 0;
  const DWORD size = ::GetFileSize(file.Get(), &high);
  if (size == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return Rejection::Unreadable;
  if (high != 0 || size > kLargestProtocol) return Rejection::TooLarge;
  std::string bytes(size, '\0');
  DWORD read = 0;
  if (size > 0 && (!::ReadFile(file.Get(), bytes.data(), size, &read, nullptr) || read != size))
    return Rejection::Unreadable;
  return bytes;
}

// The argument as a full path: the rules compare it with the target folder.
std::string FullPath(const std::string& path) {
  char full[MAX_PATH * 2] = {};
  const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length == 0 || length >= sizeof full ? path : std::string(full, length);
}

std::string WindowsFolderCopy() {
  char folder[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string path(folder, length);
  if (path.back() != '\\') path += '\\';
  return path + "stUnInst.exe";
}

// Folders no product owns: a target that is or holds one is refused.
std::vector<std::string> SystemFolders() {
  std::vector<std::string> folders;
  char path[MAX_PATH] = {};
  const UINT windowsLength = ::GetWindowsDirectoryA(path, MAX_PATH);
  if (windowsLength > 0 && windowsLength < MAX_PATH) folders.emplace_back(path, windowsLength);
  const UINT systemLength = ::GetSystemDirectoryA(path, MAX_PATH);
  if (systemLength > 0 && systemLength < MAX_PATH) folders.emplace_back(path, systemLength);
  for (const int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROFILE,
                          CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_PERSONAL,
                          CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
    folders.push_back(winsupport::ShellFolderPath(csidl));
  return folders;
}

// A running program cannot delete its own file: the copy in the Windows
// folder goes at the next restart, but only when no other product's
// Uninstall entry still starts it (every product shares the one copy).
void ScheduleOwnCopyWhenUnused() {
  const std::string own = win::OwnProgramPath();
  const std::string windowsCopy = WindowsFolderCopy();
  if (own.empty() || !winsupport::EqualsIgnoreCaseAnsi(own, windowsCopy)) return;
  if (AnyEntryStartsProgram(own)) return;
  ::MoveFileExA(own.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

int Uninstall(HINSTANCE instance) {
  const bool english = EnglishForLanguageName(winsupport::SystemLanguageName());
  const std::string title(UninstallTitle(english));
  const auto refuse = [&](Rejection rejection, const std::string& path) {
    ::MessageBoxA(nullptr, RejectionText(rejection, path, english).c_str(), title.c_str(),
                  MB_OK | MB_ICONSTOP);
    return kNothingChanged;
  };

  const std::string argument = SplitCommandLine(::GetCommandLineA()).argument;
  if (argument.empty()) return refuse(Rejection::NoArgument, argument);
  const std::string protocolPath = FullPath(argument);
  const auto bytes = ReadProtocol(protocolPath);
  if (const Rejection* rejection = std::get_if<Rejection>(&bytes))
    return refuse(*rejection, protocolPath);
  const auto planned = PlanUninstall(protocolPath, std::get<std::string>(bytes), SystemFolders());
  if (const Rejection* rejection = std::get_if<Rejection>(&planned))
    return refuse(*rejection, protocolPath);
  const UninstallPlan& plan = std::get<UninstallPlan>(planned);

  std::string product = DisplayNameForProtocol(protocolPath);
  if (product.empty()) product = plan.targetFolder;
  if (::MessageBoxA(nullptr, ConfirmationText(product, english).c_str(), product.c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
    return kNothingChanged;

  const install::ComApartment com;
  winsupport::InitCommonControlsFromSystem(ICC_PROGRESS_CLASS);
  ProgressWindow window(instance, title, plan.StepCount());
  const Outcome outcome =
      RemovePlanned(plan, install::StartMenuProgramsFolder(),
                    [&](const std::string& what) { window.Step(ProgressText(what, english)); });
  ScheduleOwnCopyWhenUnused();

  window.Finish(SummaryHeadline(product, outcome, english));
  ::MessageBoxA(window.Handle(), SummaryText(product, outcome, english).c_str(), product.c_str(),
                MB_OK | (outcome.left.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
  return outcome.left.empty() ? kAllRemoved : kSomethingLeft;
}

}  // namespace
}  // namespace pelmora::uninstall

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything else is loaded: a library planted beside the program
  // must never be found by its name.
  pelmora::winsupport::HardenLibrarySearch();
  // An error no step expected may come after something was removed: then
  // "nothing changed" would be untrue, "something left" is.
  int exitCode = 2;
  pelmora::pages::ReportingErrors([&] { exitCode = pelmora::uninstall::Uninstall(instance); });
  return exitCode;
}
