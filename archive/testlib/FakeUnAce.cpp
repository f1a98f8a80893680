// A stand-in for the extraction library with scripted behaviour, so that the
// component's walk can be checked call by call. The "archive" is a text
// file; each line is one instruction:
//
//   open CODE                      OpenResult (default 0)
//   entry NAME [key=value ...]     next entry; keys:
//       flags=N time=N             header fields (decimal or 0x hex)
//       result=N                   what ACEProcessFile answers (default 0)
//       password=TEXT              extracting needs this password, else
//                                  ACE_ERR_PASSWORD
//       steps=S,S,...              callbacks made inside ACEProcessFile:
//                                  data:N  ProcessDataProc with N bytes (an
//                                          answer 0 aborts the entry:
//                                          ACE_ERR_ABORTED)
//                                  vol:NAME:MODE  ChangeVolProc (an answer
//                                          other than 0 to mode 0 gives up:
//                                          ACE_ERR_VOLUME)
//   header-error CODE              ACEReadHeader answers CODE at this place
//   end CODE                       answer after the last entry (default
//                                  ACE_END_OF_ARCHIVE)
//
// Every call, every callback answer and the unloading of the library are
// appended to the file ARCHIVE + ".log".
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "unace/UnAceApi.h"

#define FAKE_EXPORT extern "C" UNACE_EXPORT

namespace {

struct Item {
  bool isEntry = true;
  std::string name;
  std::uint32_t flags = 0;
  std::uint32_t time = 0;
  int result = 0;
  int headerCode = 0;
  std::string password;
  std::vector<std::string> steps;
};

struct FakeArchive {
  std::string logPath;
  std::vector<Item> items;
  int openResult = 0;
  int endCode = ACE_END_OF_ARCHIVE;
  std::size_t next = 0;
  std::string password;
  ACEProcessDataProc dataProc = nullptr;
  ACEChangeVolProc volumeProc = nullptr;
  bool open = false;

  void Log(const std::string& line) const {
    if (logPath.empty()) return;
    if (std::FILE* f = std::fopen(logPath.c_str(), "ab")) {
      std::fputs(line.c_str(), f);
      std::fputc('\n', f);
      std::fclose(f);
    }
  }

  // Static destruction runs when the library is unloaded: that is what the
  // tests look for to see the library released.
  ~FakeArchive() { Log("unload"); }
};

FakeArchive g_archive;

// The handle the fake hands out; anything else is a caller's mistake.
constexpr ACEHandle kHandle = 0x5A5A;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

long Number(const std::string& text) { return std::strtol(text.c_str(), nullptr, 0); }

bool ReadScript(const char* path, FakeArchive& archive) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  std::string content;
  char buffer[512];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, got);
  std::fclose(f);

  for (std::string line : Split(content, '\n')) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> words = Split(line, ' ');
    if (words.empty() || words[0].empty()) continue;
    const std::string& keyword = words[0];
    if (keyword == "open" && words.size() > 1) {
      archive.openResult = static_cast<int>(Number(words[1]));
    } else if (keyword == "end" && words.size() > 1) {
      archive.endCode = static_cast<int>(Number(words[1]));
    } else if (keyword == "header-error" && words.size() > 1) {
      Item item;
      item.isEntry = false;
      item.headerCode = static_cast<int>(Number(words[1]));
      archive.items.push_back(item);
    } else if (keyword == "entry" && words.size() > 1) {
      Item item;
      item.name = words[1];
      for (std::size_t i = 2; i < words.size(); ++i) {
        const std::size_t eq = words[i].find('=');
        const std::string key = words[i].substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : words[i].substr(eq + 1);
        if (key == "flags")
          item.flags = static_cast<std::uint32_t>(Number(value));
        else if (key == "time")
          item.time = static_cast<std::uint32_t>(std::strtoul(value.c_str(), nullptr, 0));
        else if (key == "result")
          item.result = static_cast<int>(Number(value));
        else if (key == "password")
          item.password = value;
        else if (key == "steps")
          item.steps = Split(value, ',');
      }
      archive.items.push_back(item);
    }
  }
  return true;
}

// Runs an entry's callbacks; answers the code that ends the entry early, or 0.
int RunSteps(FakeArchive& archive, const Item& item) {
  static unsigned char block[4096];
  for (const std::string& step : item.steps) {
    const std::vector<std::string> parts = Split(step, ':');
    if (parts[0] == "data" && parts.size() == 2) {
      const int count = static_cast<int>(Number(parts[1]));
      if (!archive.dataProc) continue;
      const int answer = archive.dataProc(block, count);
      archive.Log("data " + parts[1] + " -> " + std::to_string(answer));
      if (answer == 0) return ACE_ERR_ABORTED;
    } else if (parts[0] == "vol" && parts.size() == 3) {
      if (!archive.volumeProc) continue;
      std::string volume = parts[1];
      const int mode = static_cast<int>(Number(parts[2]));
      const int answer = archive.volumeProc(volume.data(), mode);
      archive.Log("volume " + parts[1] + " " + parts[2] + " -> " + std::to_string(answer));
      if (mode == ACE_VOLUME_MISSING && answer != 0) return ACE_ERR_VOLUME;
    }
  }
  return 0;
}

bool CheckHandle(ACEHandle handle, const char* call) {
  if (handle == kHandle && g_archive.open) return true;
  g_archive.Log(std::string("bad-handle ") + call);
  return false;
}

}  // namespace

FAKE_EXPORT ACEHandle UNACE_CALL ACEOpenArchive(TACEOpenData* data) {
  FakeArchive& archive = g_archive;
  archive = FakeArchive{};
  // The destructor of the temporary above logged nothing: its log path was empty.
  const std::string name = data->ArchiveName ? data->ArchiveName : "";
  archive.logPath = name + ".log";
  if (!ReadScript(name.c_str(), archive)) archive.openResult = ACE_ERR_OPEN;
  archive.dataProc = data->ProcessDataProc;
  archive.volumeProc = data->ChangeVolProc;
  data->OpenResult = archive.openResult;
  archive.Log("open mode=" + std::to_string(data->OpenMode) +
              " volproc=" + (data->ChangeVolProc ? "1" : "0") + " dataproc=" +
              (data->ProcessDataProc ? "1" : "0") + " -> " + std::to_string(archive.openResult));
  if (archive.openResult != 0) return 0;
  archive.open = true;
  return kHandle;
}

FAKE_EXPORT int UNACE_CALL ACECloseArchive(ACEHandle handle) {
  if (!CheckHandle(handle, "close")) return ACE_ERR_ARGUMENT;
  g_archive.Log("close");
  g_archive.open = false;
  return 0;
}

FAKE_EXPORT int UNACE_CALL ACEReadHeader(ACEHandle handle, TACEHeaderData* header) {
  if (!CheckHandle(handle, "header")) return ACE_ERR_ARGUMENT;
  FakeArchive& archive = g_archive;
  if (archive.next >= archive.items.size()) {
    archive.Log("header -> " + std::to_string(archive.endCode));
    return archive.endCode;
  }
  const Item& item = archive.items[archive.next++];
  if (!item.isEntry) {
    archive.Log("header -> " + std::to_string(item.headerCode));
    return item.headerCode;
  }
  std::memset(header, 0, sizeof *header);
  std::strncpy(header->FileName, item.name.c_str(), sizeof header->FileName - 1);
  header->Flags = item.flags;
  header->FileTime = item.time;
  archive.Log("header -> 0 " + item.name);
  return 0;
}

FAKE_EXPORT int UNACE_CALL ACEProcessFile(ACEHandle handle, int operation, const char* destPath) {
  if (!CheckHandle(handle, "process")) return ACE_ERR_ARGUMENT;
  FakeArchive& archive = g_archive;
  if (archive.next == 0 || !archive.items[archive.next - 1].isEntry) {
    archive.Log("process without header");
    return ACE_ERR_ARGUMENT;
  }
  const Item& item = archive.items[archive.next - 1];
  int result = RunSteps(archive, item);
  if (result == 0 && operation == ACE_EXTRACT && !item.password.empty() &&
      archive.password != item.password)
    result = ACE_ERR_PASSWORD;
  if (result == 0) result = item.result;
  archive.Log("process " + std::to_string(operation) + " " + (destPath ? destPath : "(null)") +
              " -> " + std::to_string(result));
  return result;
}

#if !defined(FAKE_UNACE_WITHOUT_SET_PASSWORD)
FAKE_EXPORT int UNACE_CALL ACESetPassword(ACEHandle handle, const char* password) {
  if (!CheckHandle(handle, "password")) return ACE_ERR_ARGUMENT;
  g_archive.password = password ? password : "";
  g_archive.Log("password " + g_archive.password);
  return 0;
}
#endif
