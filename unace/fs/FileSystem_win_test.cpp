// On Windows a failure carries the error of the call that failed: a test in
// between (is it there? is it a folder?) would report something else.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "TestPaths.h"
#include "unace/fs/FileSystem.h"

namespace {

namespace fs = std::filesystem;
using pelmora::unace::fs::FsFailure;

// What the failing call itself reports for `folder`.
std::string CreationError(const std::string& folder) {
  EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  return "Windows error " + std::to_string(GetLastError());
}

TEST(FileSystem, AFolderThatCannotBeMadeComesWithItsOwnError) {
  pelmora::test::ScratchDir dir("unace-fs");
  const fs::path inTheWay = dir.Path() / "file.txt";
  std::ofstream(inTheWay) << "a file where a folder is needed";
  const std::string target = (inTheWay / "sub" / "x").string();

  const std::optional<FsFailure> folder = pelmora::unace::fs::MakeDirectory(target, 0);
  ASSERT_TRUE(folder);
  EXPECT_NE(folder->text.find(CreationError(inTheWay.string())), std::string::npos) << folder->text;
  const auto sink = pelmora::unace::fs::CreateFileSink(target + "/y.bin");
  ASSERT_TRUE(std::holds_alternative<FsFailure>(sink));
  const std::string& sinkWhy = std::get<FsFailure>(sink).text;
  EXPECT_NE(sinkWhy.find(CreationError(inTheWay.string())), std::string::npos) << sinkWhy;
}

// A file's folders are made when its temporary file finds them missing, and
// it ends with the attributes its entry asks for: one that asks for the
// archive attribute alone is left as Windows created it, which has it.
TEST(FileSystem, CommittedFilesGetTheirFoldersAndAttributes) {
  pelmora::test::ScratchDir dir("unace-fs");
  const auto write = [&](const std::string& name, std::uint32_t attributes) {
    const std::string path = (dir.Path() / name).string();
    auto sink = pelmora::unace::fs::CreateFileSink(path);
    const auto* made = std::get_if<std::unique_ptr<pelmora::unace::fs::FileSink>>(&sink);
    if (made == nullptr) return INVALID_FILE_ATTRIBUTES;
    const std::uint8_t data[] = {'p', 'e', 'l'};
    EXPECT_TRUE((*made)->Write(data, sizeof data));
    EXPECT_FALSE((*made)->Commit(0x5A210000, attributes)) << path;
    return GetFileAttributesA(path.c_str());
  };
  constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                              FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  EXPECT_EQ(write("a\\b\\plain.txt", FILE_ATTRIBUTE_ARCHIVE) & kSettable, FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(write("a\\b\\none.txt", 0) & kSettable, FILE_ATTRIBUTE_ARCHIVE);
  const DWORD locked = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  EXPECT_EQ(write("a\\locked.txt", locked) & kSettable, locked);
  SetFileAttributesA((dir.Path() / "a" / "locked.txt").string().c_str(), FILE_ATTRIBUTE_NORMAL);
  // The two files and no temporary one beside them.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path() / "a" / "b"), fs::directory_iterator()),
            2);
}

// Server and share of a UNC path are not folders to make: the trouble is
// reported for the folder below them.
TEST(FileSystem, AnUnreachableUncFolderIsNamedBelowItsShare) {
  const std::string unc = "\\\\no-such-server\\share\\folder";
  const std::optional<FsFailure> failure = pelmora::unace::fs::MakeDirectory(unc, 0);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->kind, FsFailure::Kind::Failed);
  EXPECT_EQ(failure->text, "cannot create folder " + unc + ": " + CreationError(unc));
}

}  // namespace
