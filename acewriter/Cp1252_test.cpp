#include "acewriter/Cp1252.h"

#include <gtest/gtest.h>

namespace pelmora::acewriter {
namespace {

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const auto back = Utf8ToCp1252(Cp1252ToUtf8(all));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, all);
}

TEST(Cp1252, ConvertsTheSpecialRowAndLatin1) {
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC"), std::optional<std::string>("\x80"));  // euro sign
  EXPECT_EQ(Utf8ToCp1252("Gr\303\266\303\237e"), std::optional<std::string>("Gr\366\337e"));
  EXPECT_EQ(Cp1252ToUtf8("\x9F"), "\xC5\xB8");  // Y with diaeresis
}

TEST(Cp1252, RejectsWhatItCannotRepresent) {
  EXPECT_FALSE(Utf8ToCp1252("\xE4\xB8\xAD"));  // a CJK character
  EXPECT_FALSE(Utf8ToCp1252("\xC3"));          // truncated sequence
  EXPECT_FALSE(Utf8ToCp1252("\xC0\xAF"));      // overlong '/'
  EXPECT_FALSE(Utf8ToCp1252("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(Utf8ToCp1252("a\377b"));        // not UTF-8 at all
}

}  // namespace
}  // namespace pelmora::acewriter
