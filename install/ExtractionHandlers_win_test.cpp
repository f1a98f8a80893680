#include "install/ExtractionHandlers_win.h"

#include <gtest/gtest.h>

#include "archive/FakeLibrary_testutil.h"

namespace pelmora::install {
namespace {

using archive::TdAce;
using archive::test::Lines;

class BothPasses : public archive::test::FakeLibraryTest {
 protected:
  long Opened() const {
    long count = 0;
    for (const std::string& line : LibraryLog()) count += line.rfind("open mode=", 0) == 0;
    return count;
  }
};

// The user gives up at the disk prompt of the list pass (the handler stops
// the reader, which forgets that once the walk has ended): the archive is
// not opened for extraction. Without that, both passes run and unpack.
TEST_F(BothPasses, NoExtractPassAfterTheUserGaveUpInTheListPass) {
  WriteScript("entry a.txt\nentry b.txt steps=vol:DATA.c01:0\n");
  bool gaveUp = false;
  ace.OnVolumeChange = [&](TdAce& sender, char*, int) {
    sender.Stop = true;
    gaveUp = true;
    return 1;
  };
  EXPECT_EQ(ListThenExtract(ace, [&] { return gaveUp; }), ACE_ERR_VOLUME);
  EXPECT_TRUE(gaveUp);
  EXPECT_EQ(Opened(), 1);
  EXPECT_EQ(Extracted(), Lines{});

  ClearLibraryLog();
  WriteScript("entry a.txt\nentry b.txt\n");
  EXPECT_EQ(ListThenExtract(ace, [] { return false; }), ACE_END_OF_ARCHIVE);
  EXPECT_EQ(Opened(), 2);
  EXPECT_EQ(Extracted(), (Lines{Target("a.txt"), Target("b.txt")}));
}

}  // namespace
}  // namespace pelmora::install
