// The built library (UnACE.dll, libunace.so) as the setup program meets it:
// loaded at run time, exporting the five functions under their plain names,
// and working through them.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <typeinfo>
#include <variant>

#include "TestPaths.h"
#include "archive/DynamicLibrary.h"
#include "unace/fs/PathSeparator.h"
#include "unace/UnAceApi.h"

namespace {

namespace fs = std::filesystem;

// A function of the library's insides by its mangled name on this build:
// the code of std::size_t and the span's dynamic extent differ between them.
std::string InternalFunctionName() {
  return std::string("_ZN7pelmora5unace6format10AceCrc32OfESt4spanIKhL") +
         typeid(std::size_t).name() + std::to_string(std::numeric_limits<std::size_t>::max()) +
         "EE";
}

TEST(SharedLibrary, ExportsTheFiveFunctionsAndExtracts) {
  using pelmora::archive::DynamicLibrary;
  const auto loaded = DynamicLibrary::Load(pelmora::test::HostPath(UNACE_LIBRARY_PATH));
  ASSERT_TRUE(std::holds_alternative<DynamicLibrary>(loaded))
      << std::get<pelmora::archive::LibraryLoadFailure>(loaded).text;
  const DynamicLibrary& library = std::get<DynamicLibrary>(loaded);
  const auto open = library.Find<ACEOpenArchiveFn>("ACEOpenArchive");
  const auto close = library.Find<ACECloseArchiveFn>("ACECloseArchive");
  const auto readHeader = library.Find<ACEReadHeaderFn>("ACEReadHeader");
  const auto process = library.Find<ACEProcessFileFn>("ACEProcessFile");
  const auto setPassword = library.Find<ACESetPasswordFn>("ACESetPassword");
  ASSERT_TRUE(open && close && readHeader && process && setPassword);
  // Nothing else of the library's insides is visible.
  EXPECT_EQ(library.Symbol(InternalFunctionName().c_str()), nullptr);

  pelmora::test::ScratchDir dir("unace-shared");
  std::string archive = pelmora::test::AceSample("t.ace");
  TACEOpenData data{};
  data.ArchiveName = archive.data();
  data.OpenMode = ACE_OPEN_EXTRACT;
  const ACEHandle handle = open(&data);
  ASSERT_NE(handle, 0) << data.OpenResult;
  TACEHeaderData header{};
  int code;
  while ((code = readHeader(handle, &header)) == ACE_OK) {
    EXPECT_EQ(setPassword(handle, "unused"), ACE_OK);
    const std::string target = dir.Str() + pelmora::unace::fs::kPathSeparator + header.FileName;
    EXPECT_EQ(process(handle, ACE_EXTRACT, target.c_str()), ACE_OK) << header.FileName;
  }
  EXPECT_EQ(code, ACE_END_OF_ARCHIVE);
  EXPECT_EQ(close(handle), ACE_OK);
  EXPECT_EQ(fs::file_size(dir.Path() / "t" / "t.txt"), 2u);
}

}  // namespace
