// The list of running processes and the rules that name its entries and find
// a program in it. The enumeration itself is Windows code (Processes.h); the
// rules here are plain so that they can be checked anywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::winrules {

using ProcessId = std::uint32_t;

// "No such process" of the lookups: all bits set.
inline constexpr ProcessId kNoProcessId = 0xFFFFFFFFu;

inline constexpr char kSystemIdleProcessName[] = "System Idle Process";
inline constexpr char kSystemProcessName[] = "System Process";

// The process status interface fills a fixed buffer; more processes than fit
// are simply not seen.
inline constexpr std::size_t kProcessIdBufferBytes = 4100;
inline constexpr std::size_t kMaxListedProcessIds = kProcessIdBufferBytes / sizeof(std::uint32_t);

struct ProcessEntry {
  std::string name;  // module path, bare file name or a fixed system name
  ProcessId id = 0;
};
using ProcessList = std::vector<ProcessEntry>;

// Everything the naming of an entry depends on besides the entry itself.
struct ProcessNaming {
  bool modulePathNames = false;  // ToolHelp: ask the process for its module path
  bool windowsNt4 = false;       // version flag of class 7
  bool windowsNt5 = false;       // version flag of class 8
  bool fullPath = true;          // full paths rather than bare file names
};

// Asks a process for its main module's path (or base name); empty on failure.
using ModulePathLookup = std::function<std::string(ProcessId id, bool fullPath)>;

// Fills the list; false when the platform's enumeration failed.
using ProcessListSource = std::function<bool(ProcessList& list, bool fullPath)>;

// The part after the last path separator.
std::string_view FileNamePart(std::string_view path);

// Name of a ToolHelp snapshot entry whose executable field is exeFile.
std::string NameToolHelpEntry(ProcessId id, std::string_view exeFile, const ProcessNaming& naming,
                              const ModulePathLookup& lookup);

// Name of a process id from the process status interface; empty means the id
// is left out of the list.
std::string NameProcessStatusEntry(ProcessId id, const ProcessNaming& naming,
                                   const ModulePathLookup& lookup);

// How many ids a process status enumeration returned in bytesReturned bytes.
std::size_t ProcessIdCount(std::uint32_t bytesReturned);

// Whether a listed process path is the program named programName: the name
// must be the whole path or follow a path separator, compared without regard
// to case. A bare suffix test would take Xapp.exe for app.exe and close an
// unrelated program.
bool ProgramNameMatches(std::string_view processPath, std::string_view programName);

// Id of the first entry whose name equals path without regard to case, or
// kNoProcessId.
ProcessId FindIdByPath(const ProcessList& list, std::string_view path);

// A fresh list with full paths, looked up by FindIdByPath; kNoProcessId also
// when the enumeration failed.
ProcessId FindProcessIdByPath(std::string_view path, const ProcessListSource& source);

// Looks for a running process of the program named programName (a file name,
// possibly with leading folders). When several match, the one later in the
// list wins. An empty name finds nothing and enumerates nothing.
std::optional<ProcessId> FindRunningProgram(std::string_view programName,
                                            const ProcessListSource& source);

}  // namespace pelmora::winrules
