// On Windows a failure carries the error of the call that failed: a test in
// between (is it there? is it a folder?) would report something else.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
