// The component over the real extraction library and archives made by the
// original archiver: what lands on disk must match the expected digests.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "Md5.h"
#include "TestFiles.h"
#include "TestPaths.h"
#include "archive/TdAce.h"
#include "archive/UnAceLibrary.h"

namespace pelmora::archive::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::string ArchiveEntryName(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

class RealArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(libraryDir);
    fs::copy_file(pelmora::test::HostPath(UNACE_LIBRARY_FILE), libraryDir / kUnAceLibraryName);
    fs::create_directories(targetDir);
    ace.Path2UnAceDll = libraryDir.string();
    ace.TargetDirectory = targetDir.string();
    ace.OnError = [this](TdAce&, int error) { events.push_back("error " + std::to_string(error)); };
  }

  static fs::path TestArchive(const std::string& name) {
    return fs::path(pelmora::test::AceSample(name));
  }

  void UseArchive(const std::string& name) { ace.Archivefilename = TestArchive(name).string(); }

  void ExpectDigests(const std::string& md5FileName) {
    for (const auto& [path, md5] : pelmora::test::SampleDigests(md5FileName)) {
      const fs::path file = targetDir / fs::path(path);
      ASSERT_TRUE(fs::is_regular_file(file)) << path;
      EXPECT_EQ(pelmora::test::Md5::Of(pelmora::test::ReadText(file)), md5) << path;
    }
  }

  // Every file below the scratch folder other than the library copy.
  Lines FilesWritten() const {
    Lines files;
    for (const auto& item : fs::recursive_directory_iterator(scratch.Path()))
      if (item.is_regular_file() && item.path().parent_path() != libraryDir)
        files.push_back(fs::relative(item.path(), scratch.Path()).generic_string());
    return files;
  }

  pelmora::test::ScratchDir scratch{"realace"};
  const fs::path libraryDir = scratch.Path() / "lib";
  const fs::path targetDir = scratch.Path() / "target";
  TdAce ace;
  Lines events;
};

TEST_F(RealArchive, ListReportsTheEntriesInArchiveOrder) {
  UseArchive("t.ace");
  Lines listed;
  ace.OnListing = [&](TdAce&, TACEHeaderData& eFile) { listed.push_back(eFile.FileName); };
  ace.OnList = [&](TdAce&, TACEHeaderData&, bool result) { EXPECT_TRUE(result); };
  EXPECT_EQ(ace.List(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(listed, (Lines{"t", "t\\t.txt"}));
  EXPECT_EQ(events, (Lines{"error 128"}));
  EXPECT_TRUE(FilesWritten().empty());
}

TEST_F(RealArchive, ExtractWritesTheEntriesBelowTheTarget) {
  UseArchive("t.ace");
  EXPECT_EQ(ace.Extract(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(pelmora::test::ReadText(targetDir / "t" / "t.txt"), "42");
  EXPECT_EQ(FilesWritten(), (Lines{"target/t/t.txt"}));
}

class RealArchiveContent : public RealArchive, public ::testing::WithParamInterface<const char*> {};

TEST_P(RealArchiveContent, ExtractMatchesTheExpectedDigests) {
  const std::string name = GetParam();
  UseArchive(name);
  Lines volumes;
  ace.OnVolumeChange = [&](TdAce&, char* arcName, int mode) {
    volumes.push_back(fs::path(arcName).filename().string() + " " + std::to_string(mode));
    return 0;
  };
  int blocks = 0;
  ace.OnProcessData = [&](TdAce&, unsigned char*, int blockSize, int position) {
    EXPECT_GE(position, blockSize);
    ++blocks;
    return 1;
  };
  EXPECT_EQ(ace.Extract(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(events, (Lines{"error 128"}));
  EXPECT_GT(blocks, 0);
  ExpectDigests(name + ".md5");
  // Every volume is there: the library may say it found one, never that one
  // is missing.
  for (const std::string& volume : volumes) EXPECT_EQ(volume.back(), '1') << volume;
  if (name != "multivolume.ace") {
    EXPECT_TRUE(volumes.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Archives, RealArchiveContent,
                         ::testing::Values("onefile.ace", "zdir.ace", "dir2.ace",
                                           "multivolume.ace"));

TEST_F(RealArchive, PasswordFromTheEventUnlocksEncryptedEntries) {
  UseArchive("passwd2.ace");
  int requests = 0;
  ace.OnReqPassword = [&](TdAce&, TACEHeaderData&, std::string& password) {
    ++requests;
    password = "1234";
  };
  EXPECT_EQ(ace.Extract(), ACE_END_OF_ARCHIVE);
  EXPECT_GT(requests, 0);
  ExpectDigests("passwd2.ace.md5");
}

TEST_F(RealArchive, WrongPasswordFailsTheEntry) {
  UseArchive("passwd2.ace");
  ace.OnReqPassword = [&](TdAce&, TACEHeaderData&, std::string& password) { password = "4321"; };
  bool extracted = true;
  ace.OnExtract = [&](TdAce&, TACEHeaderData&, bool result) { extracted = result; };
  const int result = ace.Extract();
  EXPECT_NE(result, ACE_END_OF_ARCHIVE);
  EXPECT_NE(result, 0);
  EXPECT_FALSE(extracted);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0], "error " + std::to_string(result));
}

TEST_F(RealArchive, SelectionWritesOnlyTheNamedEntryWhateverItsCase) {
  UseArchive("zdir.ace");
  const auto digests = pelmora::test::SampleDigests("zdir.ace.md5");
  ASSERT_GE(digests.size(), 2u);
  const auto& [path, md5] = *digests.begin();
  std::string wanted = ArchiveEntryName(path);
  for (char& c : wanted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ace.FilesToProcess().Add(wanted);
  EXPECT_EQ(ace.Extract(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(FilesWritten(), (Lines{"target/" + path}));
  EXPECT_EQ(pelmora::test::Md5::Of(pelmora::test::ReadText(targetDir / fs::path(path))), md5);
}

TEST_F(RealArchive, StopDuringAnEntryEndsTheWalk) {
  UseArchive("dir2.ace");
  ace.OnProcessData = [](TdAce& sender, unsigned char*, int, int) {
    sender.Stop = true;
    return 1;
  };
  EXPECT_EQ(ace.Extract(), ACE_ERR_ABORTED);
  EXPECT_TRUE(ace.Stop);
  EXPECT_EQ(events, (Lines{"error 110"}));
}

class HostileArchive : public RealArchive, public ::testing::WithParamInterface<const char*> {};

TEST_P(HostileArchive, WritesNothingAndReportsAnError) {
  UseArchive(GetParam());
  const int listed = ace.List();
  const int extracted = ace.Extract();
  for (int result : {listed, extracted}) {
    EXPECT_NE(result, ACE_END_OF_ARCHIVE);
    EXPECT_NE(result, 0);
  }
  EXPECT_TRUE(FilesWritten().empty()) << FilesWritten()[0];
  // One report per operation, and never the end code of a complete walk.
  ASSERT_EQ(events.size(), 2u);
  for (const std::string& event : events) EXPECT_NE(event, "error 128");
}

INSTANTIATE_TEST_SUITE_P(Archives, HostileArchive,
                         ::testing::Values("dirtraversal1.ace", "dirtraversal2.ace",
                                           "out_of_bounds.ace"));

TEST_F(RealArchive, ClimbingNamesNeverReachTheEvents) {
  for (const char* archive : {"dirtraversal1.ace", "dirtraversal2.ace"}) {
    UseArchive(archive);
    Lines seen;
    ace.OnListing = ace.OnExtracting = [&seen](TdAce&, TACEHeaderData& eFile) {
      seen.push_back(eFile.FileName);
    };
    EXPECT_EQ(ace.List(), ACE_ERR_UNSAFE_NAME) << archive;
    EXPECT_EQ(ace.Extract(), ACE_ERR_UNSAFE_NAME) << archive;
    for (const std::string& name : seen) EXPECT_EQ(name.find(".."), std::string::npos) << name;
  }
  EXPECT_TRUE(FilesWritten().empty());
}

TEST_F(RealArchive, LibraryFileIsReleasedAfterEveryOperation) {
  UseArchive("t.ace");
  EXPECT_EQ(ace.List(), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(ace.Extract(), ACE_END_OF_ARCHIVE);
  // Windows refuses to delete a library that is still loaded.
  std::error_code error;
  EXPECT_TRUE(fs::remove(libraryDir / kUnAceLibraryName, error)) << error.message();
}

}  // namespace
}  // namespace pelmora::archive::test
