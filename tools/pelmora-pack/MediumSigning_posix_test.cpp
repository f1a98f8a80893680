// Signing through Debian's osslsigncode with a throw-away certificate.
#include <cstdlib>

#include "tools/pelmora-pack/Medium_testutil.h"

namespace pelmora::pack {
namespace {

namespace fs = std::filesystem;
using pelmora::test::ReadText;
using pelmora::test::WriteText;

TEST_F(Medium, SignsTheSetupProgramWithThePackagersCertificate) {
  // A throw-away self-signed code-signing certificate.
  const fs::path key = dir_.Path() / "key.pem", cert = dir_.Path() / "cert.pem",
                 pfx = dir_.Path() / "cert.pfx", password = dir_.Path() / "password";
  WriteText(password, "Zertifikat-Kennwort\n");
  const std::string makeCert = std::string(PELMORA_TEST_OPENSSL) +
                               " req -x509 -newkey rsa:2048 -nodes -days 2 -subj "
                               "'/CN=Pelmora Test Packager' -addext extendedKeyUsage=codeSigning"
                               " -keyout '" +
                               key.string() + "' -out '" + cert.string() + "' 2>/dev/null && " +
                               PELMORA_TEST_OPENSSL + " pkcs12 -export -inkey '" + key.string() +
                               "' -in '" + cert.string() + "' -out '" + pfx.string() +
                               "' -passout file:'" + password.string() + "'";
  ASSERT_EQ(std::system(makeCert.c_str()), 0);

  const PackRun run = Build({"--sign", pfx.string(), "--sign-password-file", password.string()});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("(signed)"), std::string::npos);
  const fs::path program = Out() / "Install.exe";
  EXPECT_NE(ReadText(program), ReadText(kSampleProgram));
  const std::string verify = std::string(PELMORA_TEST_OSSLSIGNCODE) + " verify -CAfile '" +
                             cert.string() + "' -in '" + program.string() + "' >/dev/null 2>&1";
  EXPECT_EQ(std::system(verify.c_str()), 0);
  const std::string unsignedVerify = std::string(PELMORA_TEST_OSSLSIGNCODE) + " verify -CAfile '" +
                                     cert.string() + "' -in '" + kSampleProgram +
                                     "' >/dev/null 2>&1";
  EXPECT_NE(std::system(unsignedVerify.c_str()), 0);  // the check can fail

  // From the environment; a wrong password leaves no medium behind.
  fs::remove_all(Out());
  ::setenv("PELMORA_SIGN_PASSWORD", "falsch", 1);
  const PackRun wrong = Build({"--sign", pfx.string()});
  ::unsetenv("PELMORA_SIGN_PASSWORD");
  EXPECT_EQ(wrong.code, 1);
  EXPECT_NE(wrong.err.find("osslsigncode says"), std::string::npos) << wrong.err;
  EXPECT_FALSE(fs::exists(Out() / "Install.exe"));
  EXPECT_FALSE(fs::exists(Out() / "DATA.c00"));

  EXPECT_EQ(Build({"--sign", pfx.string()}).code, 2);  // no password anywhere
}

}  // namespace
}  // namespace pelmora::pack
