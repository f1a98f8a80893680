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
#include "contract/CommandLine.h"
#include "contract/Language.h"
#include "contract/ProductFiles.h"
#include "uninstall/ProgressWindow_win.h"
#include "uninstall/Removal_win.h"
#include "uninstall/UninstallEntries_win.h"
#include "uninstall/UninstallPlan.h"
#include "uninstall/UninstallTexts.h"
#include "winsupport/AnsiText.h"
#include "winsupport/ComApartment_win.h"
#include "winsupport/CommonControls_win.h"
#include "winsupport/ErrorReport_win.h"
#include "winsupport/Files_win.h"
#include "winsupport/LibrarySearch_win.h"
#include "winsupport/ShellFolders_win.h"
#include "winsupport/SystemLanguage_win.h"

namespace pelmora::uninstall {
namespace {

// Far above any protocol (one line per installed file, one block per run).
constexpr std::size_t kLargestProtocol = 16 * 1024 * 1024;

constexpr int kAllRemoved = 0;
constexpr int kNothingChanged = 1;
constexpr int kSomethingLeft = 2;

std::variant<std::string, Rejection> ReadProtocol(const std::string& path) {
  // One byte more than any protocol tells a file that is too large.
  auto read = winsupport::ReadFileStart(path, kLargestProtocol + 1);
  if (std::holds_alternative<DWORD>(read)) return Rejection::Unreadable;
  std::string& bytes = std::get<std::string>(read);
  if (bytes.size() > kLargestProtocol) return Rejection::TooLarge;
  return std::move(bytes);
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
  return path + contract::kUninstallerFileName;
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
  const bool english = contract::UsesEnglish(winsupport::SystemLanguageName());
  const std::string title(UninstallTitle(english));
  const auto refuse = [&](Rejection rejection, const std::string& path) {
    ::MessageBoxA(nullptr, RejectionText(rejection, path, english).c_str(), title.c_str(),
                  MB_OK | MB_ICONSTOP);
    return kNothingChanged;
  };

  const std::string argument = contract::SplitCommandLine(::GetCommandLineA()).argument;
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

  const winsupport::ComApartment com = winsupport::EnterComApartment();
  winsupport::InitCommonControlsFromSystem(ICC_PROGRESS_CLASS);
  ProgressWindow window(instance, title, plan.StepCount());
  const Outcome outcome =
      RemovePlanned(plan, winsupport::StartMenuProgramsFolder(),
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
  pelmora::winsupport::ReportingErrors([&] { exitCode = pelmora::uninstall::Uninstall(instance); });
  return exitCode;
}
