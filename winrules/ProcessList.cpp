#include "winrules/ProcessList.h"

#include "contract/AnsiText.h"

namespace pelmora::winrules {
namespace {

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string_view FileNamePart(std::string_view path) {
  const auto cut = path.find_last_of("\\/:");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string NameToolHelpEntry(ProcessId id, std::string_view exeFile, const ProcessNaming& naming,
                              const ModulePathLookup& lookup) {
  if (id == 0) return kSystemIdleProcessName;
  if (naming.modulePathNames) {
    std::string modulePath = lookup(id, naming.fullPath);
    return modulePath.empty() ? std::string(exeFile) : modulePath;
  }
  // The 9x family puts the full path into the snapshot entry itself.
  return std::string(naming.fullPath ? exeFile : FileNamePart(exeFile));
}

std::string NameProcessStatusEntry(ProcessId id, const ProcessNaming& naming,
                                   const ModulePathLookup& lookup) {
  if (id == 0) return kSystemIdleProcessName;
  // The kernel's own process has no module to ask: id 2 on NT 4, 8 on NT 5.
  if (id == 2 && naming.windowsNt4) return kSystemProcessName;
  if (id == 8 && naming.windowsNt5) return kSystemProcessName;
  return lookup(id, naming.fullPath);
}

std::size_t ProcessIdCount(std::uint32_t bytesReturned) {
  const std::size_t count = bytesReturned / sizeof(std::uint32_t);
  return count < kMaxListedProcessIds ? count : kMaxListedProcessIds;
}

bool ProgramNameMatches(std::string_view processPath, std::string_view programName) {
  if (programName.empty() || processPath.size() < programName.size()) return false;
  const std::size_t start = processPath.size() - programName.size();
  if (start > 0 && !IsPathSeparator(processPath[start - 1])) return false;
  return contract::EqualsIgnoreCaseAnsi(processPath.substr(start), programName);
}

ProcessId FindIdByPath(const ProcessList& list, std::string_view path) {
  for (const ProcessEntry& entry : list)
    if (contract::EqualsIgnoreCaseAnsi(entry.name, path)) return entry.id;
  return kNoProcessId;
}

ProcessId FindProcessIdByPath(std::string_view path, const ProcessListSource& source) {
  ProcessList list;
  if (!source(list, true)) return kNoProcessId;
  return FindIdByPath(list, path);
}

std::optional<ProcessId> FindRunningProgram(std::string_view programName,
                                            const ProcessListSource& source) {
  if (programName.empty()) return std::nullopt;
  ProcessList list;
  if (!source(list, true)) return std::nullopt;
  // The entry carries its own id; looking its path up again would hand back
  // the first of two copies started from the same file instead of the last.
  std::optional<ProcessId> found;
  for (const ProcessEntry& entry : list)
    if (ProgramNameMatches(entry.name, programName) && entry.id != 0) found = entry.id;
  return found;
}

}  // namespace pelmora::winrules
