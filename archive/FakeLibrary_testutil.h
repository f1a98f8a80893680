// A component wired to the scripted stand-in library in a scratch folder,
// with every event recorded as one line of text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "TestPaths.h"
#include "archive/TdAce.h"
#include "archive/UnAceLibrary.h"

namespace pelmora::archive::test {

using Lines = std::vector<std::string>;

inline std::string FakeLibraryFile() { return pelmora::test::HostPath(FAKE_UNACE_FILE); }
inline std::string FakeLibraryWithoutSetPasswordFile() {
  return pelmora::test::HostPath(FAKE_UNACE_NO_PASSWORD_FILE);
}

class FakeLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    libraryDir = (scratch.Path() / "lib").string();
    InstallLibrary(FakeLibraryFile(), libraryDir);
    archivePath = (scratch.Path() / "DATA.c00").string();
    targetDir = (scratch.Path() / "target").string();
    ace.Path2UnAceDll = libraryDir;
    ace.Archivefilename = archivePath;
    ace.TargetDirectory = targetDir;
    RecordEvents();
  }

  static void InstallLibrary(const std::string& file, const std::string& folder) {
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(file, std::filesystem::path(folder) / kUnAceLibraryName,
                               std::filesystem::copy_options::overwrite_existing);
  }

  void WriteScript(const std::string& script) {
    std::ofstream(archivePath, std::ios::binary) << script;
  }

  // The stand-in library's record of the calls it received.
  Lines LibraryLog() const {
    Lines lines;
    std::ifstream in(archivePath + ".log", std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // Starts the record afresh, for a test that runs several operations.
  void ClearLibraryLog() const { std::filesystem::remove(archivePath + ".log"); }

  // How often the library logged exactly `line`.
  long LogCount(const std::string& line) const {
    const Lines log = LibraryLog();
    return static_cast<long>(std::count(log.begin(), log.end(), line));
  }

  // The paths the library was asked to extract to and did, in archive order.
  Lines Extracted() const {
    const std::string prefix = "process 2 ";
    const std::string success = " -> 0";
    Lines paths;
    for (const std::string& line : LibraryLog())
      if (line.rfind(prefix, 0) == 0 && line.ends_with(success))
        paths.push_back(line.substr(prefix.size(), line.size() - prefix.size() - success.size()));
    return paths;
  }

  // However the walk ended: the component never misused a handle, closed an
  // archive it had opened, and unloaded the library after that.
  void ExpectLibraryReleased() const {
    const Lines log = LibraryLog();
    ASSERT_FALSE(log.empty()) << "the library was never used";
    for (const std::string& line : log) {
      EXPECT_EQ(line.rfind("bad-handle", 0), std::string::npos) << line;
      EXPECT_NE(line, "process without header");
    }
    const bool opened = log.front().rfind("open ", 0) == 0 && log.front().ends_with(" -> 0");
    EXPECT_EQ(std::count(log.begin(), log.end(), "close"), opened ? 1 : 0);
    EXPECT_EQ(log.back(), "unload");
    if (opened && log.size() >= 2) {
      EXPECT_EQ(log[log.size() - 2], "close");
    }
  }

  // The path the component hands the library for `name`.
  std::string Target(const std::string& name) const { return targetDir + "\\" + name; }

  void RecordEvents() {
    ace.OnError = [this](TdAce& sender, int error) {
      CheckSender(sender);
      events.push_back("error " + std::to_string(error));
    };
    ace.OnListing = [this](TdAce& sender, TACEHeaderData& eFile) {
      CheckSender(sender);
      events.push_back("listing " + std::string(eFile.FileName));
    };
    ace.OnList = [this](TdAce& sender, TACEHeaderData& eFile, bool result) {
      CheckSender(sender);
      events.push_back("list " + std::string(eFile.FileName) + " " + (result ? "ok" : "failed"));
    };
    ace.OnExtracting = [this](TdAce& sender, TACEHeaderData& eFile) {
      CheckSender(sender);
      events.push_back("extracting " + std::string(eFile.FileName));
    };
    ace.OnExtract = [this](TdAce& sender, TACEHeaderData& eFile, bool result) {
      CheckSender(sender);
      events.push_back("extract " + std::string(eFile.FileName) + " " + (result ? "ok" : "failed"));
    };
    ace.OnProcessData = [this](TdAce& sender, unsigned char* addr, int blockSize, int position) {
      CheckSender(sender);
      EXPECT_NE(addr, nullptr);
      events.push_back("data " + std::to_string(blockSize) + " " + std::to_string(position));
      return 0;  // ignored by the component
    };
    ace.OnVolumeChange = [this](TdAce& sender, char* arcName, int mode) {
      CheckSender(sender);
      events.push_back("volume " + std::string(arcName) + " " + std::to_string(mode));
      return volumeAnswer;
    };
    ace.OnReqPassword = [this](TdAce& sender, TACEHeaderData& eFile, std::string& password) {
      CheckSender(sender);
      events.push_back("password " + std::string(eFile.FileName) + " in=" + password);
      if (!passwordAnswers.empty()) {
        password = passwordAnswers.front();
        passwordAnswers.pop_front();
      }
    };
  }

  void CheckSender(TdAce& sender) { EXPECT_EQ(&sender, &ace); }

  pelmora::test::ScratchDir scratch{"archive"};
  std::string libraryDir;
  std::string archivePath;
  std::string targetDir;
  TdAce ace;
  Lines events;
  int volumeAnswer = 0;
  std::deque<std::string> passwordAnswers;
};

}  // namespace pelmora::archive::test
