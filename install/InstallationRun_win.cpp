#include "install/InstallationRun_win.h"

#include <chrono>
#include <vector>

#include "install/ComServers_win.h"
#include "install/ExtractionHandlers_win.h"
#include "install/Protocol.h"
#include "install/RegistrySettings_win.h"
#include "install/RunErrors.h"
#include "install/RunTexts.h"
#include "install/Shortcuts_win.h"
#include "install/UninstallEntry_win.h"
#include "install/Uninstaller_win.h"
#include "pages/ErrorReport_win.h"
#include "pages/FolderDialog_win.h"
#include "setupdesc/SetupDir.h"
#include "winsupport/Registry_win.h"

namespace pelmora::install {

namespace {

std::string WithBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

// Up to 255 characters, as the run has always read them.
std::string Environment(const char* name) {
  char value[255] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length < sizeof value ? std::string(value, length) : std::string();
}

std::string FormattedNow(bool date) {
  char text[128] = {};
  if (date)
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, sizeof text);
  else
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, sizeof text);
  return text;
}

// The run's duration in the system's long time format.
std::string FormattedDuration(DWORD milliseconds) {
  const TimeOfDay t = ElapsedAsTimeOfDay(std::chrono::milliseconds(milliseconds));
  SYSTEMTIME time{};
  time.wYear = 2000;
  time.wMonth = 1;
  time.wDay = 1;
  time.wHour = static_cast<WORD>(t.hours);
  time.wMinute = static_cast<WORD>(t.minutes);
  time.wSecond = static_cast<WORD>(t.seconds);
  char text[128] = {};
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, sizeof text);
  return text;
}

// Appends the block behind what earlier runs wrote; a write that stores
// less than it was given is a full disk.
void AppendProtocol(const std::string& path, const std::string& bytes) {
  win::UniqueHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw IoError(static_cast<int>(GetLastError()));
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    throw IoError(static_cast<int>(GetLastError()));
  if (written != bytes.size()) throw IoError(IoError::kDiskWriteError);
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

WindowsFacts ReadWindowsFacts() {
  WindowsFacts facts;
  std::string productName;
  facts.windowsKeyFound =
      winsupport::ReadRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                "ProductName", productName) &&
      !productName.empty();
  facts.windowsNtKeyFound =
      winsupport::ReadRegString(HKEY_LOCAL_MACHINE,
                                "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName",
                                productName) &&
      !productName.empty();
  if (facts.windowsKeyFound) {
    winsupport::ReadRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\",
                              "SystemRoot", facts.windowsDir);
    facts.profileDir = facts.windowsDir;
  }
  // Read second, so that it wins where both keys exist.
  if (facts.windowsNtKeyFound) {
    facts.windowsDir = Environment("SYSTEMROOT");
    facts.profileDir = Environment("USERPROFILE");
  }
  facts.windowsDir = WithBackslash(facts.windowsDir);
  return facts;
}

bool InstallationRun::Perform() {
  try {
    const std::string target = WithBackslash(settings_.readTargetDirectory());
    settings_.writeTargetDirectory(target);
    const WindowsFacts windows = ReadWindowsFacts();
    // With every missing parent: C:\Firma\Produkt\ must not fail for want
    // of C:\Firma.
    pages::CreateDirectoryTree(target.substr(0, target.size() - 1));

    Protocol protocol;
    protocol.AddHeader(target, FormattedNow(true), FormattedNow(false));
    const StatusTexts& status = StatusTextsFor(settings_.description.English);
    settings_.page.SetStatus(status.extracting);

    if (settings_.page.Mode() == 5) {  // complete repair
      if (settings_.description.ConfigFiles)
        for (const std::string& line : *settings_.description.ConfigFiles)
          if (IsFile(target + line)) DeleteFileA((target + line).c_str());
      DeleteRegistryKeys(settings_.description);
    }

    if (!Unpack(target, protocol)) return false;

    settings_.page.SetStatus(status.registration);
    settings_.page.SetProgress(95);
    Register(target, windows, protocol);

    protocol.AddTrailer(settings_.description.SetupVersion,
                        FormattedDuration(GetTickCount() - settings_.page.ShownAt()));
    AppendProtocol(target + std::string(kProtocolFileName), protocol.Bytes());
    return !cancelled_;
  } catch (...) {
    // The page has no close box: without Cancel the user could not leave.
    settings_.page.ShowCancel();
    throw;
  }
}

bool InstallationRun::Unpack(const std::string& target, Protocol& protocol) {
  ExtractionHandlers handlers({settings_.page, settings_.passwordPrompt, settings_.mainWindow,
                               protocol, target, settings_.description.English,
                               [this] { Cancel(); }});
  handlers.Attach(reader_);
  reader_.Archivefilename = settings_.setupDir + setupdesc::kFirstVolumeName;
  reader_.TargetDirectory = target;
  reader_.Path2UnAceDll = settings_.libraryFolder;
  reader_.List();
  reader_.Extract();
  // The end of the archive comes as code 128; after an error only Cancel
  // (or a later 128) ends the wait.
  while (handlers.LastArchiveError() != ACE_END_OF_ARCHIVE && !reader_.Stop) {
    WaitMessage();
    if (!pages::PumpWaitingMessages()) break;
  }
  // The handlers end here; the reader must not call them later.
  reader_.OnListing = nullptr;
  reader_.OnExtracting = nullptr;
  reader_.OnProcessData = nullptr;
  reader_.OnVolumeChange = nullptr;
  reader_.OnReqPassword = nullptr;
  reader_.OnError = nullptr;
  // An archive that names an entry outside the target is not installed.
  return !handlers.EntryRefused();
}

void InstallationRun::Register(const std::string& target, const WindowsFacts& windows,
                               Protocol& protocol) {
  std::vector<std::string> lines;
  ImportRegistryFile(target, windows.windowsDir);
  pages::PumpWaitingMessages();
  MoveUninstaller(target, windows.windowsDir, [this](std::uint64_t done, std::uint64_t total) {
    settings_.page.SetProgress(total ? static_cast<int>(done * 100 / total) : 100);
    pages::PumpWaitingMessages();
  });
  pages::PumpWaitingMessages();
  WriteUninstallEntries(target, windows.windowsDir,
                        {windows.windowsKeyFound, windows.windowsNtKeyFound}, settings_.description,
                        lines);
  CreateRegistryKeys(settings_.description, lines);
  RegisterComServers(target, settings_.description, lines,
                     [](const std::string& message) { pages::ShowPlainMessage(message); });
  CreateShortcuts(target, windows.windowsDir, StartMenuProgramsFolder(), settings_.description,
                  lines);
  protocol.AddLines(lines);
}

void InstallationRun::Cancel() {
  reader_.Stop = true;
  cancelled_ = true;
  if (settings_.closeMainWindow) settings_.closeMainWindow();
}

}  // namespace pelmora::install
