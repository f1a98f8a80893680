#include "install/RegistrySettings_win.h"

#include <windows.h>

#include <algorithm>

#include "common/WinHandle.h"
#include "contract/KeyRules.h"
#include "contract/ProductFiles.h"
#include "winsupport/Files_win.h"
#include "winsupport/Registry_win.h"

namespace pelmora::install {
namespace {

// Long enough for any settings file; a registry editor that hangs must not
// hold the installation for ever.
constexpr DWORD kImportTimeoutMs = 120000;

bool IsBlankOrControl(const std::string& line) {
  return std::all_of(line.begin(), line.end(),
                     [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// A 32-bit program on 64-bit Windows: its registry is the 32-bit view, which
// the 32-bit registry editor in SysWOW64 writes. IsWow64Process came with
// XP SP2; without it there is no 64-bit Windows either.
bool RunsIn32BitViewOf64BitWindows() {
  using IsWow64Function = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64 =
      win::LookUpExport<IsWow64Function>(::GetModuleHandleA("kernel32.dll"), "IsWow64Process");
  BOOL wow64 = FALSE;
  return isWow64 != nullptr && isWow64(::GetCurrentProcess(), &wow64) && wow64;
}

std::optional<common::WinFailure> RunRegistryEditor(const std::string& windowsDir,
                                                    const std::string& settingsFile) {
  const std::string editor =
      windowsDir + (RunsIn32BitViewOf64BitWindows() ? "SysWOW64\\regedit.exe" : "regedit.exe");
  // CreateProcessA may write into the command line.
  std::string commandLine = "regedit /s \"" + settingsFile + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(editor.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
    return common::Failed(common::WinFailure::Subject::File, editor, ::GetLastError());
  const win::UniqueHandle processHandle(process.hProcess);
  const win::UniqueHandle threadHandle(process.hThread);
  ::WaitForSingleObject(processHandle.Get(), kImportTimeoutMs);
  return std::nullopt;
}

}  // namespace

void ImportRegistryFile(const std::string& targetDir, const std::string& windowsDir,
                        bool unpackedThisRun, bool targetTrusted, StepReport& report) {
  const std::string settingsFile = targetDir + contract::kRegistrySettingsFileName;
  if (!unpackedThisRun || !winsupport::IsExistingFile(settingsFile)) return;
  if (!targetTrusted) {
    report.Fail({common::WinFailure::Subject::File, settingsFile, ERROR_ACCESS_DENIED});
    return;
  }
  {
    // Held with readers only from before the editor starts until it is
    // done: what it reads is the file the run unpacked, not one rewritten
    // or put in its place meanwhile.
    const auto held = winsupport::HoldForReading(settingsFile);
    if (const auto* failure = std::get_if<common::WinFailure>(&held)) {
      report.Fail(*failure);
      return;
    }
    if (auto failure = RunRegistryEditor(windowsDir, settingsFile)) report.Fail(*failure);
  }
  if (!::DeleteFileA(settingsFile.c_str()))
    report.Fail({common::WinFailure::Subject::File, settingsFile, ::GetLastError()});
}

std::vector<std::string> DeleteRegistryKeys(const setupdesc::SetupDescription& description) {
  std::vector<std::string> kept;
  for (std::int32_t i = 1; i <= description.RegistryCount; ++i) {
    const std::string& line = description.RegistryLines[static_cast<std::size_t>(i)];
    if (IsBlankOrControl(line)) continue;
    const auto checked = contract::CheckSettingsKey(line);
    if (!std::holds_alternative<std::string>(checked))
      kept.push_back(line);
    else if (!contract::IsVendorKey(line))  // the vendor's other products keep theirs
      winsupport::DeleteRegKey(HKEY_CURRENT_USER, std::get<std::string>(checked));
  }
  return kept;
}

void CreateRegistryKeys(const setupdesc::SetupDescription& description, StepReport& report) {
  for (std::int32_t i = 1; i <= description.RegistryCount; ++i) {
    const std::string& line = description.RegistryLines[static_cast<std::size_t>(i)];
    if (line.empty()) continue;
    // A key the rule refuses is none of the product's: it is neither made
    // nor recorded (the packer refuses it; a complete repair names it).
    const auto checked = contract::CheckSettingsKey(line);
    if (!std::holds_alternative<std::string>(checked)) continue;
    // The key as the rule reads it: a "HKCU\" in front names the root the
    // key is made in, not a key of that name below it; the uninstaller
    // reads the protocol's line the same way.
    const std::string& key = std::get<std::string>(checked);
    if (auto failure = winsupport::CreateRegKey(HKEY_CURRENT_USER, key)) {
      if (!report.Fail(*failure)) return;
    } else {
      report.Protocol().AddUserKey(key);
    }
  }
}

}  // namespace pelmora::install
