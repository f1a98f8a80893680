// Writing, checking, loading and removing the extraction library file, from
// a test program that carries the scripted stand-in library as its resource
// of type "DLL" named "UnACE".
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TestPaths.h"
#include "archive/LibraryDeployment_win.h"
#include "archive/TdAce.h"
#include "common/ProgramPath.h"
#include "TestFiles.h"

namespace pelmora::archive {
namespace {

using pelmora::test::ReadText;
using pelmora::test::WriteText;

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Payload() { return ReadText(pelmora::test::HostPath(DEPLOYMENT_PAYLOAD_FILE)); }

std::string TemporaryFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof buffer, buffer);
  return std::string(buffer, length);
}

std::string Environment(const char* name) {
  char buffer[4096] = {};
  const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return length < sizeof buffer ? std::string(buffer, length) : std::string();
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

class LibraryDeployment : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GT(Payload().size(), 4096u) << "test payload missing";
    RemoveLibraryFile();
  }
  void TearDown() override { RemoveLibraryFile(); }

  void RemoveLibraryFile() {
    SetFileAttributesA(library.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(library.c_str());
  }

  const std::string programFolder = win::OwnProgramFolder();
  const std::string library = programFolder + "UnACE.dll";
};

TEST_F(LibraryDeployment, SaveResourceToFileCopiesTheResourceBesideTheProgram) {
  const std::string file = programFolder + "saved-resource.bin";
  WriteText(file, std::string(5000, 'x'));  // replaced, not merged
  // Names compare without case.
  EXPECT_FALSE(SaveResourceToFile("saved-resource.bin", "unace", "dll").has_value());
  EXPECT_EQ(ReadText(file), Payload());
  DeleteFileA(file.c_str());
}

TEST_F(LibraryDeployment, AMissingOrDamagedResourceIsNamedAndNothingIsWritten) {
  const struct {
    const char* resource;
    const char* message;
  } cases[] = {
      {"NoSuchThing", "Ressource NoSuchThing wurde nicht gefunden"},
      {"Damaged",
       "Ressource Damaged ist besch\xe4"
       "digt"},  // packed data cut short
  };
  for (const auto& sample : cases) {
    SCOPED_TRACE(sample.resource);
    const auto failure = SaveResourceToFile("never-written.bin", sample.resource, "DLL");
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(DeploymentFailureText(*failure), sample.message);
    EXPECT_FALSE(Exists(programFolder + "never-written.bin"));
  }
}

TEST_F(LibraryDeployment, UncreatableFileNamesTheFullPath) {
  const auto failure = SaveResourceToFile("no-such-folder\\UnACE.dll", "UnACE", "DLL");
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(DeploymentFailureText(*failure),
            "Datei " + programFolder + "no-such-folder\\UnACE.dll kann nicht erstellt werden");
}

TEST_F(LibraryDeployment, RemovalDeletesWhateverSpellingWasWritten) {
  ASSERT_FALSE(SaveResourceToFile("UnACE.dll", "UnACE", "DLL").has_value());
  ASSERT_TRUE(Exists(library));
  RemoveExtractionLibrary(programFolder);
  EXPECT_FALSE(Exists(library));
}

TEST_F(LibraryDeployment, RemovalFailuresAreIgnored) {
  // Nothing there.
  RemoveExtractionLibrary(programFolder);
  EXPECT_FALSE(Exists(library));

  // A file that cannot be deleted stays, quietly.
  WriteText(library, "read-only medium");
  ASSERT_TRUE(SetFileAttributesA(library.c_str(), FILE_ATTRIBUTE_READONLY));
  RemoveExtractionLibrary(programFolder);
  EXPECT_EQ(ReadText(library), "read-only medium");
}

// ---- a run's library: beside the program, or in a private folder --------

// A setup folder of its own per test, so that the program's folder stays clean.
class LibraryRun : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_GT(Payload().size(), 4096u) << "test payload missing"; }

  // The library as a walk loads it: loadable, with all its exports.
  static int ListThrough(const std::string& libraryFolder, const std::string& archive) {
    WriteText(archive, "entry a.txt\n");
    TdAce ace;
    ace.Path2UnAceDll = libraryFolder;
    ace.Archivefilename = archive;
    return ace.List();
  }

  // Whether anyone could replace the file now.
  static bool Writable(const std::string& path) {
    win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
  }

  pelmora::test::ScratchDir scratch{"deploy"};
  const std::string setupDir = scratch.Str() + "\\";
  const std::string besideProgram = setupDir + "UnACE.dll";
};

TEST_F(LibraryRun, AMissingLibraryIsWrittenBesideTheProgramLoadedAndRemovedOnce) {
  ExtractionLibraryFile run(setupDir);
  EXPECT_EQ(run.LibraryFolder(), "");
  ASSERT_FALSE(run.Deploy().has_value());
  EXPECT_EQ(run.Placement(), LibraryPlacement::kWrittenBesideProgram);
  EXPECT_TRUE(run.WrittenByThisRun());
  EXPECT_EQ(run.LibraryFolder(), setupDir);
  EXPECT_EQ(run.LibraryPath(), besideProgram);
  EXPECT_EQ(ReadText(besideProgram), Payload());
  EXPECT_FALSE(Writable(besideProgram)) << "the file could be replaced after its check";
  EXPECT_EQ(ListThrough(run.LibraryFolder(), setupDir + "DATA.c00"), 128);
  ASSERT_FALSE(run.Deploy().has_value());  // a second call changes nothing
  EXPECT_EQ(run.LibraryFolder(), setupDir);

  // Finish removes it; closing the window afterwards leaves alone whatever
  // has been put there since.
  run.Remove();
  EXPECT_FALSE(Exists(besideProgram));
  EXPECT_EQ(run.Placement(), LibraryPlacement::kNone);
  EXPECT_EQ(run.LibraryFolder(), "");
  WriteText(besideProgram, "put there later");
  run.Remove();
  EXPECT_EQ(ReadText(besideProgram), "put there later");

  // Never deployed (install.pmd missing or of another version): nothing to remove.
  ExtractionLibraryFile untouched(setupDir);
  untouched.Remove();
  EXPECT_EQ(ReadText(besideProgram), "put there later");
}

TEST_F(LibraryRun, TheMediumsOwnCopyIsUsedOnlyWhenItsBytesAreTheEmbeddedOnes) {
  // Equal, under another spelling: used where it is, and left there.
  WriteText(setupDir + "unace.DLL", Payload());
  ExtractionLibraryFile carried(setupDir);
  ASSERT_FALSE(carried.Deploy().has_value());
  EXPECT_EQ(carried.Placement(), LibraryPlacement::kCarriedBesideProgram);
  EXPECT_FALSE(carried.WrittenByThisRun());
  EXPECT_EQ(carried.LibraryFolder(), setupDir);
  EXPECT_FALSE(Writable(besideProgram));
  EXPECT_EQ(ListThrough(carried.LibraryFolder(), setupDir + "DATA.c00"), 128);
  carried.Remove();
  EXPECT_EQ(ReadText(besideProgram), Payload());
  EXPECT_TRUE(Writable(besideProgram)) << "the file is still held after Remove";

  // One byte different, same size: never loaded, never touched; a private
  // copy under the temporary folder is used and removed with its folder.
  std::string planted = Payload();
  planted[planted.size() / 2] ^= 0x5A;
  WriteText(besideProgram, planted);
  ExtractionLibraryFile run(setupDir);
  ASSERT_FALSE(run.Deploy().has_value());
  EXPECT_EQ(run.Placement(), LibraryPlacement::kWrittenToPrivateFolder);
  EXPECT_TRUE(run.WrittenByThisRun());
  const std::string folder = run.LibraryFolder();
  EXPECT_EQ(folder.rfind(TemporaryFolder(), 0), 0u) << folder;
  EXPECT_NE(folder, TemporaryFolder());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_EQ(run.LibraryPath(), folder + "UnACE.dll");
  EXPECT_EQ(ReadText(run.LibraryPath()), Payload());
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"UnACE.dll"});
  EXPECT_FALSE(Writable(run.LibraryPath()));
  EXPECT_EQ(ListThrough(run.LibraryFolder(), setupDir + "DATA.c00"), 128);
  run.Remove();
  EXPECT_FALSE(Exists(folder + "UnACE.dll"));
  EXPECT_FALSE(Exists(folder)) << "the private folder stays";
  EXPECT_EQ(ReadText(besideProgram), planted);
}

TEST_F(LibraryRun, AnUnwritableSetupFolderUsesAPrivateFolderAndOnlyWhenThatFailsTooIsAnError) {
  // A folder that cannot be written to: here, one that does not exist.
  const std::string readOnly = setupDir + "medium\\";
  ExtractionLibraryFile run(readOnly);
  ASSERT_FALSE(run.Deploy().has_value());
  EXPECT_EQ(run.Placement(), LibraryPlacement::kWrittenToPrivateFolder);
  EXPECT_EQ(ReadText(run.LibraryPath()), Payload());
  const std::string folder = run.LibraryFolder();
  run.Remove();
  EXPECT_FALSE(Exists(folder));

  // No temporary folder either.
  const std::string previousTmp = Environment("TMP");
  const std::string previousTemp = Environment("TEMP");
  SetEnvironmentVariableA("TMP", (setupDir + "no-temp").c_str());
  SetEnvironmentVariableA("TEMP", (setupDir + "no-temp").c_str());
  ExtractionLibraryFile stuck(readOnly);
  const auto failure = stuck.Deploy();
  const std::string message = failure ? DeploymentFailureText(*failure) : "";
  SetEnvironmentVariableA("TMP", previousTmp.empty() ? nullptr : previousTmp.c_str());
  SetEnvironmentVariableA("TEMP", previousTemp.empty() ? nullptr : previousTemp.c_str());
  EXPECT_EQ(message, "Datei " + readOnly + "UnACE.dll kann nicht erstellt werden");
  EXPECT_EQ(stuck.Placement(), LibraryPlacement::kNone);
  EXPECT_EQ(stuck.LibraryFolder(), "");
  EXPECT_FALSE(Exists(setupDir + "no-temp"));
}

}  // namespace
}  // namespace pelmora::archive
