// The Windows build of the tool does not sign: it says so and writes nothing.
#include "tools/pelmora-pack/Medium_testutil.h"

namespace pelmora::pack {
namespace {

namespace fs = std::filesystem;

TEST_F(Medium, RefusesToSignAndWritesNothing) {
  const PackRun refused = Build({"--sign", kSampleProgram, "--sign-password-file", kSampleProgram});
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("signing is not supported"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(Out()));
}

}  // namespace
}  // namespace pelmora::pack
