// Extraction details, on archives built here: where files go, what happens
// to existing targets, and that failures never leave a file behind.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <utility>

#include "unace/ApiWalk_testutil.h"

namespace {

namespace fs = std::filesystem;
using namespace pelmora::unace::test;
using pelmora::test::ScratchDir;

// Writes `archive` into the scratch folder and returns its path; the
// extraction target is the folder "out" beside it.
struct Fixture {
  explicit Fixture(const Bytes& archive) : dir("unace-x") {
    WriteBytes(dir.Path() / "a.ace", archive);
    fs::create_directories(Out());
  }
  std::string ArchivePath() const { return (dir.Path() / "a.ace").string(); }
  fs::path Out() const { return dir.Path() / "out"; }
  WalkResult Walk(const WalkOptions& options = {}) const {
    return pelmora::unace::test::Walk(ArchivePath(), Out().string(), options);
  }
  ScratchDir dir;
};

std::time_t LocalTimeOf(std::uint32_t dosTime) {
  std::tm t{};
  t.tm_year = static_cast<int>(dosTime >> 25) + 80;
  t.tm_mon = static_cast<int>((dosTime >> 21) & 0x0F) - 1;
  t.tm_mday = static_cast<int>((dosTime >> 16) & 0x1F);
  t.tm_hour = static_cast<int>((dosTime >> 11) & 0x1F);
  t.tm_min = static_cast<int>((dosTime >> 5) & 0x3F);
  t.tm_sec = static_cast<int>(dosTime & 0x1F) * 2;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

std::time_t ModificationTime(const fs::path& path) {
  const auto sys = std::chrono::file_clock::to_sys(fs::last_write_time(path));
  return std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
}

TEST(Extraction, CreatesFoldersParentsAndFilesWithTheirTime) {
  EntryFields deep = Stored("a\\b\\c.txt", "deep content");  // no folder entries before it
  deep.dosTime = 0x41046DDAu;
  EntryFields empty = Stored("empty.txt", "");
  Fixture f(Archive({Folder("docs"), Folder("docs\\sub"), deep, empty}));

  const WalkResult walk = f.Walk();
  EXPECT_EQ(walk.endCode, ACE_END_OF_ARCHIVE);
  EXPECT_TRUE(fs::is_directory(f.Out() / "docs" / "sub"));
  EXPECT_EQ(ReadBytes(f.Out() / "a" / "b" / "c.txt"), BytesOf("deep content"));
  EXPECT_TRUE(fs::is_regular_file(f.Out() / "empty.txt"));
  EXPECT_EQ(fs::file_size(f.Out() / "empty.txt"), 0u);
  EXPECT_EQ(ModificationTime(f.Out() / "a" / "b" / "c.txt"), LocalTimeOf(0x41046DDAu));
  EXPECT_EQ(TreeOf(f.Out()),
            (std::set<std::string>{"docs", "docs/sub", "a", "a/b", "a/b/c.txt", "empty.txt"}));
}

TEST(Extraction, ReadOnlyAttributeIsApplied) {
  EntryFields entry = Stored("ro.txt", "locked");
  entry.attributes = 0x21;
  Fixture f(Archive({entry, Stored("rw.txt", "open")}));
  EXPECT_EQ(f.Walk().endCode, ACE_END_OF_ARCHIVE);
  const auto writable = [](const fs::path& p) {
    return (fs::status(p).permissions() & fs::perms::owner_write) != fs::perms::none;
  };
  EXPECT_FALSE(writable(f.Out() / "ro.txt"));
  EXPECT_TRUE(writable(f.Out() / "rw.txt"));
  fs::permissions(f.Out() / "ro.txt", fs::perms::owner_write,
                  fs::perm_options::add);  // let the cleanup remove it
}

TEST(Extraction, TestOperationChecksWithoutWriting) {
  EntryFields bad = Stored("bad.txt", "content");
  bad.crc = 1;
  Fixture f(Archive({Stored("good.txt", "fine"), bad}));
  WalkOptions options;
  options.operation = ACE_TEST;
  const WalkResult walk = f.Walk(options);
  EXPECT_EQ(walk.processCodes, (std::vector<int>{ACE_OK, ACE_ERR_DATA_CRC}));
  EXPECT_TRUE(TreeOf(f.Out()).empty());
}

TEST(Extraction, ExistingFileIsReplaced) {
  Fixture f(Archive({Stored("f.txt", "new")}));
  WriteBytes(f.Out() / "f.txt", BytesOf("old and longer"));
  EXPECT_EQ(f.Walk().endCode, ACE_END_OF_ARCHIVE);
  EXPECT_EQ(ReadBytes(f.Out() / "f.txt"), BytesOf("new"));
}

TEST(Extraction, TargetThatCannotBeReplacedGivesCode11) {
  Fixture f(Archive({Stored("f.txt", "content")}));
  fs::create_directories(f.Out() / "f.txt" / "inner");
  const WalkResult walk = f.Walk();
  EXPECT_EQ(walk.endCode, ACE_ERR_EXISTS);
  EXPECT_EQ(TreeOf(f.Out()), (std::set<std::string>{"f.txt", "f.txt/inner"}));
}

TEST(Extraction, FolderEntryWhereAFileStandsGivesCode11) {
  Fixture f(Archive({Folder("d")}));
  WriteBytes(f.Out() / "d", BytesOf("x"));
  EXPECT_EQ(f.Walk().endCode, ACE_ERR_EXISTS);
}

TEST(Extraction, DamagedDataLeavesNoFile) {
  EntryFields wrongCrc = Stored("bad.txt", "content");
  wrongCrc.crc = 0x12345678u;
  EntryFields shortData = Stored("short.txt", "content");
  shortData.originalSize = 1000;  // more than the member holds
  for (const EntryFields& entry : {wrongCrc, shortData}) {
    SCOPED_TRACE(entry.name);
    Fixture f(Archive({entry}));
    WriteBytes(f.Out() / entry.name, BytesOf("previous"));
    const WalkResult walk = f.Walk();
    EXPECT_EQ(walk.endCode, entry.crc ? ACE_ERR_DATA_CRC : ACE_ERR_DATA);
    // The old file is untouched and no temporary file is left.
    EXPECT_EQ(ReadBytes(f.Out() / entry.name), BytesOf("previous"));
    EXPECT_EQ(TreeOf(f.Out()), std::set<std::string>{entry.name});
  }
}

TEST(Extraction, HugeDeclaredSizesFailCleanly) {
  EntryFields stored = Stored("huge.bin", "tiny");
  stored.originalSize = 0xFFFFFFFFu;
  EntryFields wide = Stored("wide.bin", "tiny");
  wide.wide = true;
  wide.originalSize = 1ull << 62;
  EntryFields packed = Stored("packed.bin", "");
  packed.compression = 1;
  packed.packed = Bytes(16, 0);
  packed.originalSize = 0xFFFFFFFFu;
  for (const EntryFields& entry : {stored, wide, packed}) {
    SCOPED_TRACE(entry.name);
    Fixture f(Archive({entry}));
    const WalkResult walk = f.Walk();
    EXPECT_EQ(walk.endCode, ACE_ERR_DATA);
    EXPECT_TRUE(TreeOf(f.Out()).empty());
  }
}

TEST(Extraction, UnknownMethodsAndDictionariesAreRefusedAsFormat) {
  EntryFields method = Stored("m.bin", "abcd");
  method.compression = 7;
  EntryFields dictionary = Stored("d.bin", "abcd");
  dictionary.compression = 1;
  dictionary.parameters = 15;  // 32 MiB: beyond what the format can address
  for (const EntryFields& entry : {method, dictionary}) {
    Fixture f(Archive({entry}));
    EXPECT_EQ(f.Walk().endCode, ACE_ERR_FORMAT) << entry.name;
    EXPECT_TRUE(TreeOf(f.Out()).empty());
  }
}

TEST(Extraction, UnsafeNamesAreListedButNeverWritten) {
  const std::vector<std::string> names = {"..\\..\\evil.txt",
                                          "C:\\evil.txt",
                                          "\\evil.txt",
                                          "/evil.txt",
                                          "\\\\server\\share\\evil.txt",
                                          "ok\\..\\..\\evil.txt",
                                          "C:\\C:\\..\\evil.txt",
                                          "a:evil.txt",
                                          "evil\x01.txt"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    Fixture f(Archive({Stored(name, "payload"), Stored("after.txt", "fine")}));
    const WalkResult walk = f.Walk();
    ASSERT_EQ(walk.names.size(), 1u);
    EXPECT_EQ(walk.names[0], name);
    EXPECT_EQ(walk.endCode, ACE_ERR_UNSAFE_NAME);
    // Nothing anywhere in the scratch folder besides the archive and the empty target.
    EXPECT_EQ(TreeOf(f.dir.Path()), (std::set<std::string>{"a.ace", "out"}));
  }
}

TEST(Extraction, UnusualBlocksBetweenEntriesArePassedOver) {
  Bytes archive = Archive({Stored("one.txt", "1")});
  Bytes unknown = {9, 0x01, 0x00, 5, 0, 0, 0, 0xAA};  // type 9 with a 5-byte data area
  Append(archive, WithPrefix(unknown));
  Append(archive, Bytes(5, 0xEE));
  Bytes recovery = {2, 0x01, 0x00, 3, 0, 0, 0, '*', '*', 'A', 'C', 'E', '*', '*', 0, 0, 0, 0};
  Append(archive, WithPrefix(recovery));
  Append(archive, Bytes(3, 0xDD));
  Append(archive, FileBlock(Stored("two.txt", "2")));
  Fixture f(archive);
  const WalkResult walk = f.Walk();
  EXPECT_EQ(walk.endCode, ACE_END_OF_ARCHIVE);
  EXPECT_EQ(walk.names, (std::vector<std::string>{"one.txt", "two.txt"}));
  EXPECT_EQ(ReadBytes(f.Out() / "two.txt"), BytesOf("2"));
}

TEST(Extraction, EncryptedStoredEntry) {
  EntryFields secret = Stored("secret.txt", "the quick brown fox");
  secret.password = "pass word";
  Fixture f(Archive({secret}));
  WalkOptions right;
  right.password = "pass word";
  EXPECT_EQ(f.Walk(right).endCode, ACE_END_OF_ARCHIVE);
  EXPECT_EQ(ReadBytes(f.Out() / "secret.txt"), BytesOf("the quick brown fox"));

  fs::remove(f.Out() / "secret.txt");
  WalkOptions wrong;
  wrong.password = "password";
  EXPECT_EQ(f.Walk(wrong).endCode, ACE_ERR_PASSWORD);
  EXPECT_EQ(f.Walk().endCode, ACE_ERR_PASSWORD);
  EXPECT_TRUE(TreeOf(f.Out()).empty());
}

// Progress callbacks carry no context; the tests share this state.
std::size_t g_progressBytes = 0;
int g_progressAnswer = 1;
int UNACE_CALL CountProgress(unsigned char*, int count) {
  g_progressBytes += static_cast<std::size_t>(count);
  return g_progressAnswer;
}

TEST(Extraction, ProgressCallbackSeesEveryByteAndCanAbort) {
  const std::string content(200000, 'p');
  Fixture f(Archive({Stored("big.txt", content)}));
  WalkOptions options;
  options.progressCallback = CountProgress;

  g_progressBytes = 0;
  g_progressAnswer = 1;
  EXPECT_EQ(f.Walk(options).endCode, ACE_END_OF_ARCHIVE);
  EXPECT_EQ(g_progressBytes, content.size());

  fs::remove(f.Out() / "big.txt");
  g_progressBytes = 0;
  g_progressAnswer = 0;
  EXPECT_EQ(f.Walk(options).endCode, ACE_ERR_ABORTED);
  EXPECT_GT(g_progressBytes, 0u);
  EXPECT_TRUE(TreeOf(f.Out()).empty());
}

TEST(Exports, MisuseIsAnsweredWithArgumentErrors) {
  Fixture f(Archive({Stored("one.txt", "1"), Stored("two.txt", "2")}));
  std::string path = f.ArchivePath();
  TACEOpenData open{};
  open.ArchiveName = path.data();
  open.OpenMode = ACE_OPEN_EXTRACT;
  const ACEHandle handle = ACEOpenArchive(&open);
  ASSERT_NE(handle, 0);
  EXPECT_EQ(open.OpenResult, ACE_OK);
  EXPECT_EQ(ACEProcessFile(handle, ACE_SKIP, nullptr), ACE_ERR_ARGUMENT);  // no header read yet
  TACEHeaderData header{};
  ASSERT_EQ(ACEReadHeader(handle, &header), ACE_OK);
  EXPECT_STREQ(header.FileName, "one.txt");
  EXPECT_EQ(header.UnpSize, 1u);
  EXPECT_EQ(ACEProcessFile(handle, 5, "x"), ACE_ERR_ARGUMENT);
  EXPECT_EQ(ACEProcessFile(handle, ACE_SKIP, nullptr), ACE_ERR_ARGUMENT);  // processed already
  // A header read without processing the entry passes over it.
  ASSERT_EQ(ACEReadHeader(handle, &header), ACE_OK);
  EXPECT_STREQ(header.FileName, "two.txt");
  EXPECT_EQ(ACEReadHeader(handle, &header), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(ACEReadHeader(handle, &header), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(ACECloseArchive(handle), ACE_OK);

  EXPECT_EQ(ACEReadHeader(0, &header), ACE_ERR_ARGUMENT);
  EXPECT_EQ(ACECloseArchive(0), ACE_ERR_ARGUMENT);
  EXPECT_EQ(ACEOpenArchive(nullptr), 0);
}

// Handles are looked up, never followed: under AddressSanitizer a read
// through a closed or made-up handle stops the test.
TEST(Exports, StaleDoubledAndForeignHandlesAreRefusedUntouched) {
  Fixture f(Archive({Stored("one.txt", "1")}));
  std::string path = f.ArchivePath();
  TACEOpenData open{};
  open.ArchiveName = path.data();
  open.OpenMode = ACE_OPEN_LIST;
  const ACEHandle first = ACEOpenArchive(&open);
  ASSERT_NE(first, 0);
  ASSERT_EQ(ACECloseArchive(first), ACE_OK);
  EXPECT_EQ(ACECloseArchive(first), ACE_ERR_ARGUMENT);

  // The stale handle does not reach the archive opened after it.
  const ACEHandle second = ACEOpenArchive(&open);
  ASSERT_NE(second, 0);
  EXPECT_NE(second, first);
  // Never handles: memory laid out like an open archive of an address-based
  // scheme (a tag, then a null pointer), and plain numbers.
  const std::uint32_t lookalike[4] = {0x45434155u, 0, 0, 0};
  TACEHeaderData header{};
  for (const ACEHandle wrong :
       {first, reinterpret_cast<ACEHandle>(lookalike), ACEHandle{0x1234567}, ACEHandle{-1}}) {
    SCOPED_TRACE(wrong);
    EXPECT_EQ(ACEReadHeader(wrong, &header), ACE_ERR_ARGUMENT);
    EXPECT_EQ(ACEProcessFile(wrong, ACE_SKIP, nullptr), ACE_ERR_ARGUMENT);
    EXPECT_EQ(ACESetPassword(wrong, "x"), ACE_ERR_ARGUMENT);
    EXPECT_EQ(ACECloseArchive(wrong), ACE_ERR_ARGUMENT);
  }
  ASSERT_EQ(ACEReadHeader(second, &header), ACE_OK);  // still at its first entry
  EXPECT_STREQ(header.FileName, "one.txt");
  EXPECT_EQ(ACECloseArchive(second), ACE_OK);
}

// A progress callback that closes the archive of the call it runs in.
ACEHandle g_handleToClose = 0;
int UNACE_CALL CloseTheArchive(unsigned char*, int) {
  if (g_handleToClose != 0) {
    EXPECT_EQ(ACECloseArchive(std::exchange(g_handleToClose, 0)), ACE_OK);
  }
  return 1;
}

TEST(Exports, AnArchiveClosedFromItsOwnCallbackOutlivesTheRunningCall) {
  const std::string content(200000, 'c');
  Fixture f(Archive({Stored("one.txt", content), Stored("two.txt", "2")}));
  std::string path = f.ArchivePath();
  TACEOpenData open{};
  open.ArchiveName = path.data();
  open.OpenMode = ACE_OPEN_EXTRACT;
  open.ProcessDataProc = CloseTheArchive;
  const ACEHandle handle = ACEOpenArchive(&open);
  ASSERT_NE(handle, 0);
  TACEHeaderData header{};
  ASSERT_EQ(ACEReadHeader(handle, &header), ACE_OK);
  g_handleToClose = handle;
  EXPECT_EQ(ACEProcessFile(handle, ACE_EXTRACT, TargetFor(f.Out().string(), "one.txt").c_str()),
            ACE_OK);
  EXPECT_EQ(g_handleToClose, 0);
  EXPECT_EQ(ReadBytes(f.Out() / "one.txt"), BytesOf(content));
  EXPECT_EQ(ACEReadHeader(handle, &header), ACE_ERR_ARGUMENT);
}

TEST(Exports, OpenFailuresShowInOpenResult) {
  ScratchDir dir("unace-open");
  WriteBytes(dir.Path() / "junk.ace", Bytes(1000, 0x42));
  for (const char* name : {"missing.ace", "junk.ace"}) {
    std::string path = (dir.Path() / name).string();
    TACEOpenData open{};
    open.ArchiveName = path.data();
    EXPECT_EQ(ACEOpenArchive(&open), 0) << name;
    EXPECT_EQ(open.OpenResult, ACE_ERR_OPEN) << name;
  }
  MainFields second;
  second.flags = 0x0800;
  second.volume = 1;
  WriteBytes(dir.Path() / "second.ace", Archive({}, second));
  std::string path = (dir.Path() / "second.ace").string();
  TACEOpenData open{};
  open.ArchiveName = path.data();
  EXPECT_EQ(ACEOpenArchive(&open), 0);
  EXPECT_EQ(open.OpenResult, ACE_ERR_VOLUME);
}

}  // namespace
