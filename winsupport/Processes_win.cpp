#include <windows.h>
// After windows.h, which they build on.
#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>
#include <vector>

#include "winsupport/LibrarySearch_win.h"
#include "winsupport/Processes_win.h"
#include "winsupport/SystemInfo_win.h"
#include "common/WinHandle.h"

#if defined(__i386__)
// The record layout that kernel32 of every 32-bit Windows expects in dwSize.
static_assert(sizeof(PROCESSENTRY32) == 296, "PROCESSENTRY32 must be the 296-byte ANSI record");
#endif

namespace pelmora::winsupport {
namespace {

// Both interfaces are looked up at run time: NT 4 has no ToolHelp functions
// and the 9x family has no PSAPI.dll, and a static import of either would
// stop the program from loading there at all.
struct ToolHelpFunctions {
  decltype(&::CreateToolhelp32Snapshot) createSnapshot = nullptr;
  decltype(&::Process32First) first = nullptr;
  decltype(&::Process32Next) next = nullptr;

  ToolHelpFunctions() {
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    createSnapshot =
        win::LookUpExport<decltype(createSnapshot)>(kernel, "CreateToolhelp32Snapshot");
    first = win::LookUpExport<decltype(first)>(kernel, "Process32First");
    next = win::LookUpExport<decltype(next)>(kernel, "Process32Next");
  }
  bool Available() const { return createSnapshot && first && next; }
};

struct ProcessStatusFunctions {
  // By its full path: Windows before 7 does not protect PSAPI.dll from a
  // copy beside the program.
  win::LoadedLibrary library = LoadSystemLibrary("psapi.dll");
  decltype(&::EnumProcesses) enumProcesses =
      win::LookUpExport<decltype(enumProcesses)>(library.Get(), "EnumProcesses");
  decltype(&::GetModuleFileNameExA) moduleFileName =
      win::LookUpExport<decltype(moduleFileName)>(library.Get(), "GetModuleFileNameExA");
  decltype(&::GetModuleBaseNameA) moduleBaseName =
      win::LookUpExport<decltype(moduleBaseName)>(library.Get(), "GetModuleBaseNameA");
};

// NT 6 and later name a process by its image without reading its memory, so
// they also name 64-bit processes to this 32-bit program and need only the
// limited query right. Looked up at run time: Windows 2000 and XP lack it.
using QueryFullProcessImageNameFunction = BOOL(WINAPI*)(HANDLE process, DWORD flags, LPSTR name,
                                                        PDWORD size);
constexpr DWORD kProcessQueryLimitedInformation = 0x1000;

QueryFullProcessImageNameFunction ImageNameQuery() {
  static const auto function = win::LookUpExport<QueryFullProcessImageNameFunction>(
      ::GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA");
  return function;
}

// The full path of the process's image; empty when it cannot be asked.
std::string ProcessImagePath(ProcessId id) {
  const QueryFullProcessImageNameFunction query = ImageNameQuery();
  if (query == nullptr) return {};
  const win::UniqueHandle process(::OpenProcess(kProcessQueryLimitedInformation, FALSE, id));
  if (!process) return {};
  char path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (!query(process.Get(), 0, path, &size) || size == 0 || size >= MAX_PATH) return {};
  return std::string(path, size);
}

const ToolHelpFunctions& ToolHelp() {
  static const ToolHelpFunctions functions;
  return functions;
}

// Loaded on first use and kept until the program ends.
const ProcessStatusFunctions& ProcessStatus() {
  static const ProcessStatusFunctions functions;
  return functions;
}

ProcessNaming NamingForThisWindows(bool fullPath) {
  const WindowsVersionFlags flags = CurrentWindowsVersionFlags();
  ProcessNaming naming;
  naming.modulePathNames = winrules::UsesModulePathNames(CurrentWindowsVersionFacts());
  naming.windowsNt4 = flags.windowsNt4;
  naming.windowsNt5 = flags.windowsNt5;
  naming.fullPath = fullPath;
  return naming;
}

}  // namespace

std::string GetProcessModulePath(ProcessId id, bool fullPath) {
  if (winrules::AsksProcessImageName(CurrentWindowsVersionFacts())) {
    const std::string image = ProcessImagePath(id);
    if (!image.empty()) return fullPath ? image : std::string(winrules::FileNamePart(image));
  }
  const ProcessStatusFunctions& psapi = ProcessStatus();
  const auto query = fullPath ? psapi.moduleFileName : psapi.moduleBaseName;
  if (query == nullptr) return {};
  const win::UniqueHandle process(
      ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
  if (!process) return {};
  char name[MAX_PATH] = {};
  if (query(process.Get(), nullptr, name, MAX_PATH) == 0) return {};
  return std::string(name, strnlen(name, MAX_PATH));
}

bool ListProcessesByToolHelp(ProcessList& list, const ProcessNaming& naming) {
  const ToolHelpFunctions& toolHelp = ToolHelp();
  if (!toolHelp.Available()) return false;
  const win::UniqueHandle snapshot(toolHelp.createSnapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = toolHelp.first(snapshot.Get(), &entry); more;
       more = toolHelp.next(snapshot.Get(), &entry)) {
    const std::string_view exeFile(entry.szExeFile, strnlen(entry.szExeFile, MAX_PATH));
    list.push_back(
        {winrules::NameToolHelpEntry(entry.th32ProcessID, exeFile, naming, GetProcessModulePath),
         entry.th32ProcessID});
  }
  return true;
}

bool ListProcessesByProcessStatus(ProcessList& list, const ProcessNaming& naming) {
  const ProcessStatusFunctions& psapi = ProcessStatus();
  if (psapi.enumProcesses == nullptr) return false;
  std::vector<DWORD> ids(winrules::kMaxListedProcessIds);
  DWORD bytesReturned = 0;
  if (!psapi.enumProcesses(ids.data(), winrules::kProcessIdBufferBytes, &bytesReturned))
    return false;
  ids.resize(winrules::ProcessIdCount(bytesReturned));
  for (const DWORD id : ids) {
    std::string name = winrules::NameProcessStatusEntry(id, naming, GetProcessModulePath);
    if (!name.empty()) list.push_back({std::move(name), id});
  }
  return true;
}

bool ListProcesses(ProcessList& list, bool fullPath) {
  const ProcessNaming naming = NamingForThisWindows(fullPath);
  if (winrules::ChooseProcessListMethod(GetWindowsVersionClass()) ==
      winrules::ProcessListMethod::ProcessStatus)
    return ListProcessesByProcessStatus(list, naming);
  return ListProcessesByToolHelp(list, naming);
}

ProcessId FindProcessIdByPath(std::string_view path) {
  return winrules::FindProcessIdByPath(path, ListProcesses);
}

std::optional<ProcessId> FindRunningProgram(std::string_view programName) {
  return winrules::FindRunningProgram(programName, ListProcesses);
}

}  // namespace pelmora::winsupport
