// Failures of the file system layer say which folder could not be made
// (FileSystem_win_test.cpp: and with the error of the call that failed).
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

// Whether `text` names `folder` itself, not just a path below it.
bool NamesFolder(const std::string& text, const std::string& folder) {
  for (std::size_t at = text.find(folder); at != std::string::npos;
       at = text.find(folder, at + 1)) {
    const std::size_t end = at + folder.size();
    if (end == text.size() || (text[end] != '\\' && text[end] != '/')) return true;
  }
  return false;
}

TEST(FileSystem, AFolderThatCannotBeMadeIsNamed) {
  pelmora::test::ScratchDir dir("unace-fs");
  const fs::path inTheWay = dir.Path() / "file.txt";
  std::ofstream(inTheWay) << "a file where a folder is needed";
  const std::string target = (inTheWay / "sub" / "x").string();

  const std::optional<FsFailure> folder = pelmora::unace::fs::MakeDirectory(target, 0);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->kind, FsFailure::Kind::Failed);
  EXPECT_TRUE(NamesFolder(folder->text, inTheWay.string())) << folder->text;
  const auto sink = pelmora::unace::fs::CreateFileSink(target + "/y.bin");
  ASSERT_TRUE(std::holds_alternative<FsFailure>(sink));
  const std::string& sinkWhy = std::get<FsFailure>(sink).text;
  EXPECT_TRUE(NamesFolder(sinkWhy, inTheWay.string())) << sinkWhy;
}

}  // namespace
