// Multi-volume sets: naming of the following volumes and the callback that
// lets the caller supply a missing one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "unace/ApiWalk_testutil.h"
#include "unace/format/Flags.h"
#include "Md5.h"

namespace {

namespace fs = std::filesystem;
using namespace pelmora::unace::test;
using pelmora::test::Md5;
using pelmora::test::ScratchDir;

fs::path Sample(const std::string& name) { return pelmora::test::AceSample(name); }

// Copies the three sample volumes under the given names.
void CopySet(const fs::path& dir, const std::vector<std::string>& names) {
  const char* samples[] = {"multivolume.ace", "multivolume.c00", "multivolume.c01"};
  for (std::size_t i = 0; i < names.size(); ++i) fs::copy_file(Sample(samples[i]), dir / names[i]);
}

void ExpectMultivolumeContent(const fs::path& root) {
  for (const auto& [relative, md5] : pelmora::test::SampleDigests("multivolume.ace.md5"))
    EXPECT_EQ(Md5::Of(ReadBytes(root / relative)), md5) << relative;
}

// The volume callback has no context; the tests steer it through these.
struct VolumeScript {
  fs::path hidden;     // where the missing volume waits
  fs::path placeHere;  // where it must go
  int answerWhenMissing = 0;
  std::vector<std::pair<std::string, int>> calls;
};
VolumeScript* g_script = nullptr;

int UNACE_CALL OnVolume(char* name, int mode) {
  g_script->calls.emplace_back(name, mode);
  if (mode == ACE_VOLUME_MISSING && g_script->answerWhenMissing == 0 &&
      fs::exists(g_script->hidden))
    fs::rename(g_script->hidden, g_script->placeHere);
  return mode == ACE_VOLUME_MISSING ? g_script->answerWhenMissing : 0;
}

TEST(Volumes, SetOpensThroughItsFirstVolume) {
  for (const auto& names : {std::vector<std::string>{"set.ace", "set.c00", "set.c01"},
                            std::vector<std::string>{"DATA.c00", "DATA.c01", "DATA.c02"},
                            std::vector<std::string>{"SET.ACE", "SET.C00", "SET.C01"}}) {
    SCOPED_TRACE(names[0]);
    ScratchDir dir("unace-vol");
    CopySet(dir.Path(), names);
    const fs::path out = dir.Path() / "out";
    const WalkResult walk = Walk((dir.Path() / names[0]).string(), out.string());
    EXPECT_EQ(walk.endCode, ACE_END_OF_ARCHIVE);
    ExpectMultivolumeContent(out);
  }
}

TEST(Volumes, MissingVolumeSuppliedThroughTheCallback) {
  ScratchDir dir("unace-vol-late");
  CopySet(dir.Path(), {"set.ace", "set.c00", "set.c01"});
  fs::create_directories(dir.Path() / "disk2");
  VolumeScript script;
  script.hidden = dir.Path() / "disk2" / "set.c01";
  script.placeHere = dir.Path() / "set.c01";
  fs::rename(script.placeHere, script.hidden);
  g_script = &script;

  WalkOptions options;
  options.volumeCallback = OnVolume;
  const fs::path out = dir.Path() / "out";
  const WalkResult walk = Walk((dir.Path() / "set.ace").string(), out.string(), options);
  EXPECT_EQ(walk.endCode, ACE_END_OF_ARCHIVE);
  ExpectMultivolumeContent(out);

  // .c00 was there (found), .c01 was missing once, then found.
  const std::string c00 = (dir.Path() / "set.c00").string();
  const std::string c01 = (dir.Path() / "set.c01").string();
  EXPECT_EQ(script.calls, (std::vector<std::pair<std::string, int>>{{c00, 1}, {c01, 0}, {c01, 1}}));
  g_script = nullptr;
}

TEST(Volumes, MissingVolumeNotSuppliedGivesVolumeError) {
  for (const bool withCallback : {true, false}) {
    SCOPED_TRACE(withCallback);
    ScratchDir dir("unace-vol-missing");
    CopySet(dir.Path(), {"set.ace", "set.c00"});
    VolumeScript script;
    script.answerWhenMissing = 1;  // the user gave up
    g_script = &script;
    WalkOptions options;
    if (withCallback) options.volumeCallback = OnVolume;
    const fs::path out = dir.Path() / "out";
    const WalkResult walk = Walk((dir.Path() / "set.ace").string(), out.string(), options);
    EXPECT_EQ(walk.endCode, ACE_ERR_VOLUME);
    if (withCallback) {
      ASSERT_FALSE(script.calls.empty());
      EXPECT_EQ(script.calls.back(), std::make_pair((dir.Path() / "set.c01").string(), 0));
    }
    // Only complete files are in the target; the split one is not.
    for (const auto& item : fs::recursive_directory_iterator(out))
      EXPECT_EQ(item.path().filename().string().find(".~"), std::string::npos) << item.path();
    g_script = nullptr;
  }
}

// Volumes that each end between entries, as older writers made them: the
// format has no mark for the last volume, so only a later volume of the set
// shows that the next one is missing rather than beyond the end.
TEST(Volumes, AVolumeMissingBeforeALaterOneIsAskedFor) {
  ScratchDir dir("unace-vol-gap");
  const char* names[] = {"set.ace", "set.c00", "set.c01"};
  const char* entries[] = {"a", "b", "c"};
  for (std::uint8_t v = 0; v < 3; ++v)
    WriteBytes(dir.Path() / names[v],
               Archive({Stored(entries[v], std::string(300, 'x'))}, MainFields{0x0800, v}));
  fs::create_directories(dir.Path() / "disk2");
  const std::string c00 = (dir.Path() / "set.c00").string();
  const std::string c01 = (dir.Path() / "set.c01").string();
  VolumeScript script;
  script.hidden = dir.Path() / "disk2" / "set.c00";
  script.placeHere = c00;
  fs::rename(script.placeHere, script.hidden);
  g_script = &script;
  WalkOptions options;
  options.volumeCallback = OnVolume;
  options.operation = ACE_TEST;

  // The user gives up: the gap is an error, not the end.
  script.answerWhenMissing = 1;
  WalkResult walk = Walk((dir.Path() / "set.ace").string(), "", options);
  EXPECT_EQ(walk.names, std::vector<std::string>{"a"});
  EXPECT_EQ(walk.endCode, ACE_ERR_VOLUME);
  EXPECT_EQ(script.calls, (std::vector<std::pair<std::string, int>>{{c00, 0}}));

  // The user supplies it: the walk goes on through every volume.
  script.answerWhenMissing = 0;
  script.calls.clear();
  walk = Walk((dir.Path() / "set.ace").string(), "", options);
  EXPECT_EQ(walk.names, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(walk.endCode, ACE_END_OF_ARCHIVE);
  EXPECT_EQ(script.calls, (std::vector<std::pair<std::string, int>>{{c00, 0}, {c00, 1}, {c01, 1}}));

  // Without a later volume of the set (a stray file is none) the archive ends.
  fs::rename(c00, script.hidden);
  WriteBytes(c01, BytesOf("not a volume"));
  script.calls.clear();
  walk = Walk((dir.Path() / "set.ace").string(), "", options);
  EXPECT_EQ(walk.names, std::vector<std::string>{"a"});
  EXPECT_EQ(walk.endCode, ACE_END_OF_ARCHIVE);
  EXPECT_TRUE(script.calls.empty());
  g_script = nullptr;
}

TEST(Volumes, VolumeOutOfOrderIsRefused) {
  ScratchDir dir("unace-vol-order");
  // The third volume where the second belongs.
  CopySet(dir.Path(), {"set.ace", "set.c01", "set.c00"});
  const WalkResult walk = Walk((dir.Path() / "set.ace").string(), (dir.Path() / "out").string());
  EXPECT_EQ(walk.endCode, ACE_ERR_VOLUME);
}

}  // namespace

// An archive stored inside another file (a setup that carries it): only its
// bytes are read, though another archive lies before it and a valid entry
// header right after it, and though its MAIN header claims more volumes,
// none is looked for or asked about.
TEST(Volumes, StoredArchiveIsReadInPlaceAndAlone) {
  ScratchDir dir("unace-stored");
  const Bytes before = Archive({Stored("before.txt", "no")});
  MainFields multi;
  multi.flags = pelmora::unace::format::flags::kMultiVolume;
  const Bytes stored =
      Archive({Stored("a.txt", "alpha"), Folder("d"), Stored("d\\b.txt", "beta")}, multi);
  Bytes file = before;
  Append(file, stored);
  Append(file, FileBlock(Stored("after.txt", "no")));
  const fs::path carrier = dir.Path() / "setup.exe";
  WriteBytes(carrier, file);
  // Where the library would look for the set's next volume.
  for (const char* name : {"setup.c00", "setup.c01", "setup.exe.c01"})
    WriteBytes(dir.Path() / name, before);
  VolumeScript script;
  g_script = &script;

  WalkOptions options;
  options.volumeCallback = OnVolume;
  options.volumeOffset = before.size();
  options.volumeLength = stored.size();
  const fs::path out = dir.Path() / "out";
  const WalkResult walk = Walk(carrier.string(), out.string(), options);
  EXPECT_EQ(walk.endCode, ACE_END_OF_ARCHIVE);
  EXPECT_EQ(walk.names, (std::vector<std::string>{"a.txt", "d", "d\\b.txt"}));
  EXPECT_EQ(ReadBytes(out / "d" / "b.txt"), BytesOf("beta"));
  EXPECT_TRUE(script.calls.empty());

  // A range that leaves the file, or an offset without a length, opens nothing.
  options.volumeLength = file.size() - before.size() + 1;
  EXPECT_EQ(Walk(carrier.string(), out.string(), options).openResult, ACE_ERR_OPEN);
  options.volumeLength = 0;
  EXPECT_EQ(Walk(carrier.string(), out.string(), options).openResult, ACE_ERR_ARGUMENT);
  g_script = nullptr;
}
