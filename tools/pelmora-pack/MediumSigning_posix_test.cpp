// Signing through Debian's osslsigncode with throw-away certificates.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "acewriter/FileStamp.h"
#include "contract/CarriedData.h"
#include "tools/acetool/LibraryArchive.h"
#include "tools/pelmora-pack/Medium_testutil.h"

namespace pelmora::pack {
namespace {

namespace fs = std::filesystem;
using pelmora::test::ReadText;
using pelmora::test::WriteText;

class Signing : public Medium {
 protected:
  // A throw-away self-signed certificate for `usage` (an extended key
  // usage) as cert.pem and, with the key, `name`.pfx.
  fs::path MakeCertificate(const std::string& name, const std::string& usage) {
    const fs::path key = dir_.Path() / (name + ".key"), pfx = dir_.Path() / (name + ".pfx");
    const std::string command =
        std::string(PELMORA_TEST_OPENSSL) +
        " req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Pelmora Test Packager'"
        " -addext extendedKeyUsage=" +
        usage + " -keyout '" + key.string() + "' -out '" + Pem(name).string() +
        "' 2>/dev/null && " + PELMORA_TEST_OPENSSL + " pkcs12 -export -inkey '" + key.string() +
        "' -in '" + Pem(name).string() + "' -out '" + pfx.string() + "' -passout file:'" +
        Password().string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return pfx;
  }
  // As a packager's certificate comes: issued by a CA (a throw-away one
  // here) and naming where the CA publishes its revocation list (a server
  // that refuses the connection); the .pfx carries the CA's certificate.
  fs::path MakeIssuedCertificate() {
    WriteText(dir_.Path() / "issued.ext",
              "extendedKeyUsage=codeSigning\n"
              "crlDistributionPoints=URI:http://127.0.0.1:1/ca.crl\n");
    const std::string ssl = PELMORA_TEST_OPENSSL;
    const std::string command =
        "cd '" + dir_.Path().string() + "' && " + ssl +
        " req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Pelmora Test CA'"
        " -addext basicConstraints=critical,CA:true -addext keyUsage=critical,keyCertSign,cRLSign"
        " -keyout ca.key -out ca.pem 2>/dev/null && " +
        ssl +
        " req -newkey rsa:2048 -nodes -subj '/CN=Pelmora Test Packager' -keyout issued.key"
        " -out issued.csr 2>/dev/null && " +
        ssl +
        " x509 -req -in issued.csr -CA ca.pem -CAkey ca.key -set_serial 2 -days 2"
        " -extfile issued.ext -out issued.pem 2>/dev/null && " +
        ssl +
        " pkcs12 -export -inkey issued.key -in issued.pem -certfile ca.pem -out issued.pfx"
        " -passout file:password";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return dir_.Path() / "issued.pfx";
  }
  fs::path Pem(const std::string& name) const { return dir_.Path() / (name + ".pem"); }
  fs::path Password() const { return dir_.Path() / "password"; }

  // Whether the program's signature verifies with `pem` as trust anchor.
  static bool Verifies(const fs::path& program, const fs::path& pem) {
    const std::string verify = std::string(PELMORA_TEST_OSSLSIGNCODE) + " verify -CAfile '" +
                               pem.string() + "' -in '" + program.string() + "' >/dev/null 2>&1";
    return std::system(verify.c_str()) == 0;
  }

  struct Extracted {
    fs::path file;
    std::uint32_t dosTime = 0;
  };
  // The archive's uninstaller, by its member name, extracted; and its stamp.
  Extracted ExtractUninstaller(const std::string& name = "stUnInst.exe") {
    Extracted extracted{dir_.Path() / "extracted-uninstaller.exe"};
    acetool::LibraryArchive archive((Out() / "DATA.c00").string(), ACE_OPEN_EXTRACT);
    archive.SetPassword("geheim 123");
    acetool::EntryInfo entry;
    while (archive.Next(entry) == ACE_OK) {
      if (entry.name == name) extracted.dosTime = entry.dosTime;
      archive.Process(entry.name == name ? ACE_EXTRACT : ACE_SKIP, extracted.file.string());
    }
    return extracted;
  }

  Signing() {
    WriteText(Password(), "Zertifikat-Kennwort\n");
    fs::remove(Payload() / "stUnInst.exe");  // the builder adds and signs its own
  }
};

TEST_F(Signing, SignsSetupAndUninstallerChecksBothAndSignsTheSameAgain) {
  const fs::path pfx = MakeCertificate("cert", "codeSigning");
  const std::vector<std::string> sign = {
      "--uninstaller", kSampleProgram,         "--sign",
      pfx.string(),    "--sign-password-file", Password().string()};
  const PackRun run = Build(sign);
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("(signed)"), std::string::npos);
  const fs::path program = Out() / "Install.exe";
  EXPECT_NE(ReadText(program), ReadText(kSampleProgram));
  EXPECT_TRUE(Verifies(program, Pem("cert")));
  const fs::path uninstaller = ExtractUninstaller().file;
  EXPECT_NE(ReadText(uninstaller), ReadText(kSampleProgram));
  EXPECT_TRUE(Verifies(uninstaller, Pem("cert")));
  EXPECT_FALSE(Verifies(kSampleProgram, Pem("cert")));  // the check can fail

  // Signed again a second later: the signatures carry the medium's date,
  // not the clock's, and no work file is left.
  const std::map<std::string, std::string> first = FolderContent(Out());
  EXPECT_EQ(first.size(), 4u);
  fs::remove_all(Out());
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  ASSERT_EQ(Build(sign).code, 0);
  EXPECT_TRUE(FolderContent(Out()) == first) << "the two signed media differ";

  // From the environment; a wrong password leaves no medium behind.
  fs::remove_all(Out());
  ::setenv("PELMORA_SIGN_PASSWORD", "falsch", 1);
  const PackRun wrong = Build({"--uninstaller", kSampleProgram, "--sign", pfx.string()});
  ::unsetenv("PELMORA_SIGN_PASSWORD");
  EXPECT_EQ(wrong.code, 1);
  EXPECT_NE(wrong.err.find("cert.pfx"), std::string::npos) << wrong.err;
  EXPECT_NE(wrong.err.find(" says: "), std::string::npos) << wrong.err;
  EXPECT_FALSE(fs::exists(Out()));

  EXPECT_EQ(Build({"--uninstaller", kSampleProgram, "--sign", pfx.string()}).code,
            2);                                                          // no password anywhere
  EXPECT_EQ(Build({"--timestamp-url", "http://127.0.0.1:1/"}).code, 2);  // without --sign

  // The timestamp URL reaches the signing tool: a server that refuses the
  // connection fails the build with the tool's message, and nothing stays.
  std::vector<std::string> stamped = sign;
  stamped.insert(stamped.end(), {"--timestamp-url", "http://127.0.0.1:1/"});
  const PackRun unreachable = Build(stamped);
  EXPECT_EQ(unreachable.code, 1);
  EXPECT_NE(unreachable.err.find("a timestamp from http://127.0.0.1:1/ failed: osslsigncode says"),
            std::string::npos)
      << unreachable.err;
  EXPECT_FALSE(fs::exists(Out()));

  // The payload's own uninstaller (whatever the case of its name: Windows
  // takes it for stUnInst.exe) is packed signed, under its name and time;
  // the payload keeps the unsigned original.
  const fs::path own = Payload() / "STUNINST.exe";
  fs::copy_file(kSampleProgram, own);
  const auto dated = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  fs::last_write_time(own, dated);
  const PackRun carried =
      Build({"--sign", pfx.string(), "--sign-password-file", Password().string()});
  ASSERT_EQ(carried.code, 0) << carried.err;
  const Extracted packed = ExtractUninstaller("STUNINST.exe");
  EXPECT_TRUE(Verifies(packed.file, Pem("cert")));
  EXPECT_EQ(packed.dosTime, acewriter::ReadFileStamp(own).dosTime);
  EXPECT_EQ(ReadText(own), ReadText(kSampleProgram));
  EXPECT_EQ(fs::last_write_time(own), dated);
  EXPECT_EQ(FolderContent(Out()).size(), 4u);
}

// The one-file setup is signed whole: its signature covers the carried
// data, so that one byte changed there fails the check; the changed file
// still carries a sound trailer, which the setup's own digest then refuses.
TEST_F(Signing, SignsTheOneFileSetupWholeWithItsCarriedData) {
  WriteManifest(kManifest.substr(0, kManifest.find("volume-size")));
  const fs::path pfx = MakeCertificate("cert", "codeSigning");
  const PackRun run = Build({"--single-file", "--uninstaller", kSampleProgram, "--sign",
                             pfx.string(), "--sign-password-file", Password().string()});
  ASSERT_EQ(run.code, 0) << run.err;
  const fs::path setup = Out() / "Setup.exe";
  EXPECT_EQ(FolderContent(Out()).size(), 1u);
  EXPECT_TRUE(Verifies(setup, Pem("cert")));

  std::string bytes = ReadText(setup);
  const std::span image(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  const std::optional<contract::Overlay> overlay = contract::FindOverlay(image, image.size());
  ASSERT_TRUE(overlay && overlay->signedFile);
  const auto found = contract::ReadCarriedTrailer(
      *overlay,
      image.subspan(overlay->end - contract::kCarriedTrailerBytes, contract::kCarriedTrailerBytes),
      1u << 20);
  ASSERT_TRUE(std::holds_alternative<contract::CarriedLayout>(found));
  const contract::CarriedLayout layout = std::get<contract::CarriedLayout>(found);
  bytes[layout.archiveOffset + layout.archiveLength / 2] ^= 1;
  WriteText(setup, bytes);
  EXPECT_FALSE(Verifies(setup, Pem("cert")));
}

// A certificate exported without a password signs, from an empty password
// file as from an empty PELMORA_SIGN_PASSWORD; both signatures verify.
TEST_F(Signing, SignsWithACertificateWithoutPassword) {
  WriteText(Password(), "\n");  // openssl reads an empty line as the empty password
  const fs::path pfx = MakeCertificate("open", "codeSigning");
  WriteText(Password(), "");
  const PackRun fromFile = Build({"--uninstaller", kSampleProgram, "--sign", pfx.string(),
                                  "--sign-password-file", Password().string()});
  ASSERT_EQ(fromFile.code, 0) << fromFile.err;
  EXPECT_TRUE(Verifies(Out() / "Install.exe", Pem("open")));
  EXPECT_TRUE(Verifies(ExtractUninstaller().file, Pem("open")));
  fs::remove_all(Out());
  ::setenv("PELMORA_SIGN_PASSWORD", "", 1);
  const PackRun fromEnvironment = Build({"--uninstaller", kSampleProgram, "--sign", pfx.string()});
  ::unsetenv("PELMORA_SIGN_PASSWORD");
  ASSERT_EQ(fromEnvironment.code, 0) << fromEnvironment.err;
  EXPECT_TRUE(Verifies(Out() / "Install.exe", Pem("open")));
}

// The signatures are checked against the .pfx's own chain; no revocation
// list is fetched (osslsigncode 2.8 and later would, and fail the build when
// the CA's server cannot be reached; 2.5 never does), so that a build needs
// no network but for a timestamp, and passes or fails alike with either.
TEST_F(Signing, ChecksACertificateFromACaWithoutFetchingItsRevocationList) {
  const PackRun run =
      Build({"--uninstaller", kSampleProgram, "--sign", MakeIssuedCertificate().string(),
             "--sign-password-file", Password().string()});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("(signed)"), std::string::npos);
  EXPECT_NE(ReadText(Out() / "Install.exe"), ReadText(kSampleProgram));
}

// A certificate that may sign, but not code: osslsigncode signs with it,
// Windows would not trust the result, and neither does the builder.
TEST_F(Signing, FailsWithoutAMediumWhenASignatureDoesNotVerify) {
  const fs::path pfx = MakeCertificate("server", "serverAuth");
  const PackRun uninstaller = Build({"--uninstaller", kSampleProgram, "--sign", pfx.string(),
                                     "--sign-password-file", Password().string()});
  EXPECT_EQ(uninstaller.code, 1);
  EXPECT_NE(uninstaller.err.find("the signature of stUnInst.exe (signed from " + kSampleProgram +
                                 ") does not verify with the packager's certificate"),
            std::string::npos)
      << uninstaller.err;
  EXPECT_FALSE(fs::exists(Out()));

  // So does the one the payload brings, and the payload keeps it unsigned.
  const fs::path own = Payload() / "stUnInst.exe";
  fs::copy_file(kSampleProgram, own);
  const PackRun carried =
      Build({"--sign", pfx.string(), "--sign-password-file", Password().string()});
  EXPECT_EQ(carried.code, 1);
  EXPECT_NE(carried.err.find("the signature of stUnInst.exe (signed from " + own.string() +
                             ") does not verify"),
            std::string::npos)
      << carried.err;
  EXPECT_FALSE(fs::exists(Out()));
  EXPECT_EQ(ReadText(own), ReadText(kSampleProgram));
  fs::remove(own);

  // Without an uninstaller to sign, Install.exe's own check fails.
  const auto at = kManifest.find("information = info.txt\n");
  WriteManifest(std::string(kManifest).insert(at, "uninstaller = no\n"));
  const PackRun setup =
      Build({"--sign", pfx.string(), "--sign-password-file", Password().string()});
  EXPECT_EQ(setup.code, 1);
  EXPECT_NE(setup.err.find("the signature of Install.exe (signed from " + kSampleProgram +
                           ") does not verify"),
            std::string::npos)
      << setup.err;
  EXPECT_FALSE(fs::exists(Out()));
}

}  // namespace
}  // namespace pelmora::pack
