#include "contract/Seal.h"

#include <gtest/gtest.h>

#include "contract/Sha256.h"

namespace pelmora::contract {
namespace {

// The protocol counts only when an entry that names it holds its digest;
// an entry without one vouches for nothing, a byte changed anywhere breaks it.
TEST(Seal, OnlyAMatchingDigestVouchesForTheProtocol) {
  const std::string protocol = "//////////\r\n0C:\\Tool\\\r\n1C:\\Tool\\a.txt\r\n";
  const std::string digest = Sha256Hex(protocol);
  const auto reason = [](const std::optional<Refusal>& refusal) {
    return refusal ? std::optional(refusal->reason) : std::nullopt;
  };
  EXPECT_EQ(reason(CheckSeal(protocol, {digest})), std::nullopt);
  EXPECT_EQ(reason(CheckSeal(protocol, {std::nullopt, "0000", digest})), std::nullopt);
  EXPECT_EQ(reason(CheckSeal(protocol, {})), Reason::NotVouched);
  EXPECT_EQ(reason(CheckSeal(protocol, {std::nullopt})), Reason::NotVouched);
  EXPECT_EQ(reason(CheckSeal(protocol + "1C:\\Tool\\user.txt\r\n", {digest})), Reason::Altered);
  std::string reordered = protocol;
  std::swap(reordered[14], reordered[15]);
  EXPECT_EQ(reason(CheckSeal(reordered, {digest, std::nullopt})), Reason::Altered);
}

// The servers' digests survive the value's text, and a run that registers a
// server again replaces its digest (whatever the path's case).
TEST(Seal, ServerDigestsReadBackAndMergeByPath) {
  const std::vector<ServerDigest> first = {{"C:\\Tool\\a.ocx", "aa11"},
                                           {"C:\\Tool\\b.dll", "bb22"}};
  EXPECT_EQ(SplitServerDigests(JoinServerDigests(first)), first);
  EXPECT_EQ(JoinServerDigests(first), "aa11*C:\\Tool\\a.ocx|bb22*C:\\Tool\\b.dll");
  EXPECT_EQ(SplitServerDigests("|*x|aa11|bb22*|cc33*C:\\c.dll"),
            (std::vector<ServerDigest>{{"C:\\c.dll", "cc33"}}));
  const std::vector<ServerDigest> merged =
      MergeServerDigests(first, {{"c:\\tool\\A.OCX", "dd44"}, {"C:\\Tool\\e.dll", "ee55"}});
  EXPECT_EQ(merged, (std::vector<ServerDigest>{{"c:\\tool\\A.OCX", "dd44"},
                                               {"C:\\Tool\\b.dll", "bb22"},
                                               {"C:\\Tool\\e.dll", "ee55"}}));
  EXPECT_EQ(RecordedDigest(merged, "C:\\TOOL\\B.DLL"), "bb22");
  EXPECT_EQ(RecordedDigest(merged, "C:\\Tool\\x.dll"), std::nullopt);
}

// One seal per entry and root: the same entry name under the two roots has
// two seals, and a key that is no entry directly below the Uninstall key has
// none (a nested name must not reach into another product's seal).
TEST(Seal, EachEntryAndRootHasASealOfItsOwn) {
  const std::string entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool 2";
  EXPECT_EQ(SealKeyPath(entry, KeyRoot::LocalMachine),
            "Software\\Pelmora\\Seals\\HKEY_LOCAL_MACHINE\\Tool 2");
  EXPECT_EQ(SealKeyPath("software\\microsoft\\windows\\currentversion\\uninstall\\Tool 2",
                        KeyRoot::CurrentUser),
            "Software\\Pelmora\\Seals\\HKEY_CURRENT_USER\\Tool 2");
  for (const char* other :
       {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\",
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\A\\B", "Software\\Firma\\Tool"})
    EXPECT_EQ(SealKeyPath(other, KeyRoot::LocalMachine), "") << other;
}

}  // namespace
}  // namespace pelmora::contract
