#include "tools/pelmora-pack/MediumBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <regex>
#include <thread>
#include <functional>
#include <map>
#include <sstream>

#include "TestFiles.h"
#include "acewriter/Cp1252.h"
#include "acewriter/FileStamp.h"
#include "acewriter/HeaderScan_testutil.h"
#include "contract/CarriedData.h"
#include "TestPaths.h"
#include "setupdesc/SetupDescReader.h"
#include "tools/acetool/LibraryArchive.h"
#include "tools/pelmora-pack/Manifest.h"
#include "tools/pelmora-pack/Medium_testutil.h"
#include "tools/pelmora-pack/PackCommand.h"

namespace pelmora::pack {
namespace {

namespace fs = std::filesystem;
using pelmora::test::ReadText;
using pelmora::test::WriteText;

TEST_F(Medium, ManifestAndPayloadBecomeASetupFolderThatReadsBack) {
  const PackRun run = Build();
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find(kSampleVersion), std::string::npos) << run.out;

  EXPECT_EQ(ReadText(Out() / "Install.exe"), ReadText(kSampleProgram));

  // install.pmd as the setup program reads it, texts in Windows-1252.
  setupdesc::SetupDescription d;
  d.SetupVersion = kSampleVersion;
  const setupdesc::ReadResult r =
      setupdesc::ReadSetupDescription(ReadText(Out() / "install.pmd"), d);
  ASSERT_EQ(r.outcome, setupdesc::ReadOutcome::Read) << r.message;
  EXPECT_EQ(r.titleLabel, "Demo M\xFCller 2.1.0.0");
  EXPECT_EQ(d.UninstallKeyName, "DemoM\xFCller");
  EXPECT_EQ(r.targetDirectory, "C:\\Programme\\Demo M\xFCller\\");
  EXPECT_EQ(d.AppExeName, "bin\\demo.exe");
  EXPECT_EQ(r.infoLines,
            (std::vector<std::string>{"Willkommen bei Demo M\xFCller.", "", "Viel Spa\xDF!"}));
  ASSERT_EQ(d.RegistryCount, 2);
  EXPECT_EQ(d.RegistryLines[1], "Software\\Demo\\M\xFCller");
  EXPECT_EQ(d.RegistryLines[2], "Software\\Demo\\Settings");
  ASSERT_EQ(d.OcxLast, 0);
  EXPECT_EQ(d.OcxFiles[0], "lib\\ctl.ocx");
  ASSERT_EQ(d.IconCount, 2);
  EXPECT_EQ(d.IconGroups[1], "Demo M\xFCller");
  EXPECT_EQ(d.IconNames[1], "Demo starten");
  EXPECT_EQ(d.IconTargets[1], "bin\\demo.exe");
  EXPECT_EQ(d.IconFiles[1], "bin\\demo.ico");
  EXPECT_EQ(d.IconNames[2],
            "Gr\xFC\xDF"
            "e lesen");
  EXPECT_EQ(d.IconTargets[2],
            "Gr\xFC\xDF"
            "e.txt");
  EXPECT_EQ(d.IconFiles[2], "icon");
  EXPECT_EQ(d.SupportInfo, (std::array<std::string, setupdesc::kSupportValueCount>{
                               "M\xFCller & S\xF6hne GmbH", "https://example.org/demo",
                               "https://example.org/demo/update", "https://example.org/demo/hilfe",
                               "+49 30 1234567", "support@example.org", "Liesmich.txt",
                               "Stra\xDF"
                               "e, Gr\xF6\xDF"
                               "e, Ma\xDF"}));
  ASSERT_TRUE(d.ConfigFiles.has_value());
  EXPECT_EQ(*d.ConfigFiles, (std::vector<std::string>{"demo.ini", "data\\cache.dat"}));

  // The archive: two volumes, every payload file (the uninstaller among
  // them) under its Windows-1252 name, encrypted, extracted byte for byte.
  EXPECT_TRUE(fs::exists(Out() / "DATA.c01"));
  EXPECT_FALSE(fs::exists(Out() / "DATA.c00.tmp"));
  std::map<std::string, std::string> expected;
  for (const auto& [name, content] : SamplePayload()) {
    std::string member = *acewriter::Utf8ToCp1252(name);
    for (char& c : member)
      if (c == '/') c = '\\';
    expected[member] = content;
  }
  acetool::LibraryArchive archive((Out() / "DATA.c00").string(), ACE_OPEN_EXTRACT);
  ASSERT_EQ(archive.OpenCode(), ACE_OK);
  archive.SetPassword("geheim 123");
  const fs::path unpacked = dir_.Path() / "unpacked";
  fs::create_directories(unpacked);
  std::map<std::string, std::string> found;
  acetool::EntryInfo entry;
  while (archive.Next(entry) == ACE_OK) {
    if (entry.IsFolder()) {
      EXPECT_EQ(archive.Process(ACE_SKIP, ""), ACE_OK);
      continue;
    }
    EXPECT_EQ(entry.Encrypted(), entry.originalSize > 0) << entry.name;
    const std::string target = (unpacked / "file").string();
    ASSERT_EQ(archive.Process(ACE_EXTRACT, target), ACE_OK) << entry.name;
    found[entry.name] = ReadText(target);
    fs::remove(target);
  }
  EXPECT_EQ(found, expected);
}

// One scenario per rule: the manifest text changed by `edit`, a message
// that must appear, and nothing written.
TEST_F(Medium, RefusesWhatTheSetupCannotUseNamingLineAndField) {
  const auto replace = [](std::string from, std::string to) {
    return [from, to](std::string text) {
      const std::size_t at = text.find(from);
      if (at == std::string::npos) throw std::runtime_error("not in the manifest: " + from);
      return text.replace(at, from.size(), to);
    };
  };
  const auto append = [](std::string more) {
    return [more](std::string text) { return text + more; };
  };
  const auto repeat = [](const std::string& section, const std::string& entry, int count) {
    std::string text = section;
    for (int i = 0; i < count; ++i) text += entry + std::to_string(i) + "\n";
    return text;
  };
  std::string shortcuts;
  for (int i = 0; i < 254; ++i)
    shortcuts +=
        "[shortcut]\ngroup = G\nname = N" + std::to_string(i) + "\ntarget = bin\\demo.exe\n";
  std::string servers = "[com]\n";
  for (int i = 0; i < 256; ++i) servers += "server = lib\\ctl.ocx\n";

  struct Case {
    std::function<std::string(std::string)> edit;
    std::string message;
  };
  const std::vector<Case> cases = {
      {replace("program = bin\\demo.exe", "program = bin\\nope.exe"),
       "line 7, [product] program: the main program bin\\nope.exe is not in the payload"},
      {replace("icon = bin\\demo.ico", "icon = bin\\gone.ico"),
       "line 18, [shortcut] icon: the icon file bin\\gone.ico is not in the payload"},
      {replace("server = lib\\ctl.ocx", "server = lib\\other.ocx"),
       "line 13, [com] server: the COM server lib\\other.ocx is not in the payload"},
      {replace("[registry]\n", repeat("[registry]\n", "key = K", 254)),
       "line 265, [registry] key: one entry too many: install.pmd holds at most 255"},
      {append(shortcuts),
       "[shortcut]: one entry too many: install.pmd holds at most 255 shortcuts"},
      {append(servers),
       "line 294, [com] server: one entry too many: install.pmd holds at most 256"},
      {replace("geheim 123", U8(u8"geheim€")),
       "line 36, [archive] password: may hold only printable ASCII"},
      {replace("geheim 123", std::string(51, 'x')),
       "line 36, [archive] password: is longer than 50"},
      {replace("64k", "32k"), "line 37, [archive] volume-size: 32k is too small"},
      {replace(U8(u8"uninstall-key = DemoMüller"), "uninstall-key = \\ \\"),
       "line 5, [product] uninstall-key: must be one key name"},
      {replace(U8(u8"uninstall-key = DemoMüller"), "uninstall-key = A\\B"),
       "line 5, [product] uninstall-key: must be one key name"},
      {replace(U8(u8"C:\\Programme\\Demo Müller"), "Programme\\Demo"),
       "line 6, [product] directory: \"Programme\\Demo\" must be an absolute folder"},
      {replace(U8(u8"C:\\Programme\\Demo Müller"), "C:/Program Files"),
       "line 6, [product] directory: \"C:/Program Files\" is or holds a folder of Windows"},
      {replace(U8(u8"C:\\Programme\\Demo Müller"), "C:\\Demo\\lpt0.log"),
       "line 6, [product] directory: \"C:\\Demo\\lpt0.log\" holds a name Windows does not"},
      {replace(U8(u8"name = Demo Müller\n"), ""), "[product] name: is missing"},
      {replace("2.1.0.0", "2.1"), "line 4, [product] version: \"2.1\" is not four numbers"},
      {replace("2.1.0.0", "v2.1.0.0"), "line 4, [product] version: \"v2.1.0.0\" is not four"},
      {replace("2.1.0.0", "2.1.0.0 beta"), "line 4, [product] version: \"2.1.0.0 beta\" is not"},
      {replace("2.1.0.0", "2,1,0,0"), "line 4, [product] version: \"2,1,0,0\" is not four"},
      {replace("2.1.0.0", "2.1.0.0.5"), "line 4, [product] version: \"2.1.0.0.5\" is not four"},
      {replace("2.1.0.0", "2.65536.0.0"), "line 4, [product] version: \"2.65536.0.0\" is not"},
      {replace("2.1.0.0", "+2.1.0.0"), "line 4, [product] version: \"+2.1.0.0\" is not four"},
      {replace("key = Software\\Demo\\Settings", "key = HKCU\\Software\\Demo\\Settings"),
       "line 11, [registry] key: \"HKCU\\Software\\Demo\\Settings\" names a root key"},
      {replace("key = Software\\Demo\\Settings", "key = HKEY_CURRENT_USER\\Software\\Demo"),
       "line 11, [registry] key: \"HKEY_CURRENT_USER\\Software\\Demo\" names a root key"},
      {replace(U8(u8"Straße"), U8(u8"Ωmega")),
       "line 31, [support] comments: holds a character that Windows-1252"},
      {replace("readme =", "read-me ="), "line 30, [support] read-me: is no field of [support]"},
      {replace("key = Software\\Demo\\Settings", "key = <endregistry>"),
       "line 11, [registry] key: \"<endregistry>\" is a section marker"},
      {replace("key = Software\\Demo\\Settings", "key = Software\\Microsoft"),
       "line 11, [registry] key: \"Software\\Microsoft\" is not a key of the product's own: "
       "Windows or other software shares it"},
      {replace("key = Software\\Demo\\Settings", "key = Volatile Environment\\x"),
       "line 11, [registry] key: \"Volatile Environment\\x\" is not a key of the product's own: "
       "a product's key lies below Software"},
      {replace("key = Software\\Demo\\Settings", "key = Software\\ODBC\\ODBC.INI"),
       "line 11, [registry] key: \"Software\\ODBC\\ODBC.INI\" is not a key of the product's own: "
       "Windows or other software shares it"},
      {replace(U8(u8"name = Grüße lesen"), U8(u8"name = Grüße/lesen")),
       "line 21, [shortcut] name: is one file name in the Start menu"},
      {replace(U8(u8"name = Grüße lesen"), "name = LPT0"),
       "line 21, [shortcut] name: is one file name in the Start menu"},
      {replace("[archive]", "[archiv]"), "line 35, [archiv]: is no section of a manifest"},
      {replace("information = info.txt", "information = fehlt.txt"),
       "line 8, [product] information: cannot read"},
      {replace("information = info.txt\n", "information = info.txt\nuninstaller = nein\n"),
       "line 9, [product] uninstaller: must be yes or no"},
  };
  for (const Case& c : cases) {
    fs::remove_all(Out());  // what a wrongly accepted case wrote
    WriteManifest(c.edit(kManifest));
    const PackRun run = Build();
    EXPECT_EQ(run.code, 1) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << "expected: " << c.message << "\n"
                                                          << run.err;
    EXPECT_FALSE(fs::exists(Out())) << c.message;
  }

  // Every problem at once, and the setup program's own file.
  WriteManifest(replace("program = bin\\demo.exe",
                        "program = bin\\nope.exe")(replace("64k", "1k")(kManifest)));
  WriteText(dir_.Path() / "info.txt", "Text\n<endinfos>\n");
  const PackRun many = Pack({"build", (dir_.Path() / "demo.manifest").string(), Payload().string(),
                             (Payload() / "medium").string(), "--install-exe",
                             test::TestDataFile("pe/noversion-x86_64.exe")});
  EXPECT_EQ(many.code, 1);
  for (const char* message :
       {"nothing written, 5 problem(s)", "line 7, [product] program",
        "line 37, [archive] volume-size", "info.txt line 2 is \"<endinfos>\"",
        "noversion-x86_64.exe: no file version", "must not lie inside the payload folder"})
    EXPECT_NE(many.err.find(message), std::string::npos) << message << "\n" << many.err;
  EXPECT_FALSE(fs::exists(Payload() / "medium"));
}

// The names of the archive's entries, in archive order.
std::vector<std::string> MemberNames(const fs::path& firstVolume, const std::string& password) {
  acetool::LibraryArchive archive(firstVolume.string(), ACE_OPEN_EXTRACT);
  archive.SetPassword(password);
  std::vector<std::string> names;
  acetool::EntryInfo entry;
  while (archive.Next(entry) == ACE_OK) {
    names.push_back(entry.name);
    archive.Process(ACE_SKIP, "");
  }
  return names;
}

// The payload's own uninstaller is carried as it is; without one the
// builder adds the uninstaller it is given, unless the manifest says no.
TEST_F(Medium, PutsAnUninstallerIntoTheArchiveUnlessTheManifestSaysNo) {
  const fs::path ours = dir_.Path() / "ours.exe";
  WriteText(ours, "MZ the project's uninstaller");
  const PackRun clash = Build({"--uninstaller", ours.string()});
  EXPECT_EQ(clash.code, 1);
  EXPECT_NE(clash.err.find("the payload brings its own stUnInst.exe"), std::string::npos)
      << clash.err;

  fs::remove(Payload() / "stUnInst.exe");
  const PackRun missing = Build();  // nothing beside the sample program
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("cannot read the uninstaller"), std::string::npos) << missing.err;
  EXPECT_NE(missing.err.find("uninstaller = no"), std::string::npos) << missing.err;
  EXPECT_FALSE(fs::exists(Out()));

  const PackRun added = Build({"--uninstaller", ours.string()});
  ASSERT_EQ(added.code, 0) << added.err;
  std::vector<std::string> names = MemberNames(Out() / "DATA.c00", "geheim 123");
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.front(), "stUnInst.exe");  // first: a setup stopped part way has it
  EXPECT_EQ(std::count(names.begin(), names.end(), "stUnInst.exe"), 1);

  fs::remove_all(Out());
  const auto at = kManifest.find("information = info.txt\n");
  WriteManifest(std::string(kManifest).insert(at, "uninstaller = no\n"));
  ASSERT_EQ(Build().code, 0);
  names = MemberNames(Out() / "DATA.c00", "geheim 123");
  EXPECT_EQ(std::count(names.begin(), names.end(), "stUnInst.exe"), 0);
  EXPECT_EQ(names.size(), 8u);  // 3 folders and 5 files: the payload alone
}

// init's manifest lists the payload, takes its first program (the
// uninstaller aside) as main program and shortcut, and builds unedited;
// it never overwrites a manifest.
TEST_F(Medium, InitWritesAManifestThatBuildsAsItStands) {
  const fs::path manifest = dir_.Path() / "first.manifest";
  const PackRun init = Pack({"init", Payload().string(), manifest.string()});
  ASSERT_EQ(init.code, 0) << init.err;
  const std::string text = ReadText(manifest);
  for (const auto& [name, content] : SamplePayload()) {
    std::string listed = name;
    std::replace(listed.begin(), listed.end(), '/', '\\');
    EXPECT_NE(text.find("#   " + listed + "\n"), std::string::npos) << listed << "\n" << text;
  }
  EXPECT_EQ(Pack({"init", Payload().string()}).out, text);

  const PackRun again = Pack({"init", (dir_.Path() / "nowhere").string(), manifest.string()});
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.err.find("is no folder"), std::string::npos) << again.err;
  const PackRun over = Pack({"init", Payload().string(), manifest.string()});
  EXPECT_EQ(over.code, 1);
  EXPECT_NE(over.err.find("exists already"), std::string::npos) << over.err;
  WriteManifest(text);  // the fixture builds demo.manifest

  const PackRun build = Build();
  ASSERT_EQ(build.code, 0) << build.err << text;
  setupdesc::SetupDescription d;
  d.SetupVersion = kSampleVersion;
  const setupdesc::ReadResult r =
      setupdesc::ReadSetupDescription(ReadText(Out() / "install.pmd"), d);
  ASSERT_EQ(r.outcome, setupdesc::ReadOutcome::Read) << r.message;
  EXPECT_EQ(r.titleLabel, "payload 1.0.0.0");
  EXPECT_EQ(r.targetDirectory, "C:\\Program Files\\payload\\");
  EXPECT_EQ(d.AppExeName, "bin\\demo.exe");
  ASSERT_EQ(d.IconCount, 1);
  EXPECT_EQ(d.IconGroups[1] + "|" + d.IconNames[1] + "|" + d.IconTargets[1] + "|" + d.IconFiles[1],
            std::string("payload|payload|bin\\demo.exe|") + setupdesc::kNoIconFile);
}

// The same payload, manifest and programs give the same medium, byte for
// byte: the archive is dated by the newest payload file, not by the clock.
// The second build reads the manifest as a Windows editor saves it "ANSI"
// (Windows-1252) and the information text with a UTF-8 byte-order mark:
// the same texts, so the same medium.
TEST_F(Medium, BuildsTheSameMediumTwiceDatedByItsNewestFile) {
  using namespace std::chrono;
  const sys_seconds newest = sys_days(year(2015) / January / 15) + hours(10) + minutes(31);
  DatePayload(file_clock::from_sys(sys_seconds(sys_days(year(2010) / March / 3))),
              file_clock::from_sys(newest));
  ASSERT_EQ(Build().code, 0);
  const std::map<std::string, std::string> first = FolderContent(Out());
  EXPECT_EQ(first.size(), 4u);  // Install.exe, install.pmd, DATA.c00 and .c01: no work file left
  fs::remove_all(Out());
  WriteManifest(*acewriter::Utf8ToCp1252(kManifest));
  WriteText(dir_.Path() / "info.txt",
            "\xEF\xBB\xBF" + U8(u8"Willkommen bei Demo Müller.\n\nViel Spaß!\n"));
  // Past the two-second step of the archive's time stamps.
  std::this_thread::sleep_for(milliseconds(2100));
  ASSERT_EQ(Build().code, 0);
  const std::map<std::string, std::string> second = FolderContent(Out());
  ASSERT_EQ(second.size(), first.size());
  for (const auto& [name, bytes] : first)
    EXPECT_TRUE(second.at(name) == bytes) << name << " differs";
  EXPECT_EQ(acewriter::testutil::ScanVolume(Out() / "DATA.c00").creationTime,
            acewriter::LocalDosTime(system_clock::to_time_t(newest)));
}

// A rebuild replaces the earlier medium whole; a folder that holds anything
// else is refused before a byte is written, the earlier medium included.
TEST_F(Medium, ReplacesAnEarlierMediumWholeAndRefusesAForeignFile) {
  WriteText(Payload() / "data" / "noise.bin", Noise(280 * 1024));
  ASSERT_EQ(Build().code, 0);
  ASSERT_TRUE(fs::exists(Out() / "DATA.c04"));
  WriteText(Payload() / "data" / "noise.bin", "little");
  const PackRun rebuilt = Build();
  ASSERT_EQ(rebuilt.code, 0) << rebuilt.err;
  const std::map<std::string, std::string> one = FolderContent(Out());
  std::vector<std::string> names;
  for (const auto& [name, bytes] : one) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"DATA.c00", "Install.exe", "install.pmd"}));

  WriteText(Out() / "notes.txt", "mine");
  fs::create_directory(Out() / "DATA.c01");  // a medium's name, but a folder
  const PackRun refused = Build();
  EXPECT_EQ(refused.code, 1);
  for (const char* name : {"holds notes.txt, which is no file of a medium", "holds DATA.c01,"})
    EXPECT_NE(refused.err.find(name), std::string::npos) << refused.err;
  fs::remove(Out() / "notes.txt");
  fs::remove(Out() / "DATA.c01");
  EXPECT_TRUE(FolderContent(Out()) == one) << "the refused build changed the setup folder";
}

// The one-file setup carries, after the unchanged program, the very
// description and archive the folder medium holds, found again through its
// trailer; it is refused together with volumes (a usage error, nothing
// written) and for a program that carries something already. Either form
// replaces the other in its folder.
TEST_F(Medium, OneFileSetupCarriesTheFolderMediumsDescriptionAndArchive) {
  const PackRun volumes = Build({"--single-file"});
  EXPECT_EQ(volumes.code, 2);
  EXPECT_NE(volumes.err.find("line 37 asks for volumes of 64k"), std::string::npos) << volumes.err;
  EXPECT_FALSE(fs::exists(Out()));

  std::string manifest = kManifest.substr(0, kManifest.find("volume-size"));
  WriteManifest(manifest.insert(manifest.find("[registry]"), "setup-file = Demo-Setup.exe\n"));
  const PackRun folder = Build();
  ASSERT_EQ(folder.code, 0) << folder.err;
  const std::map<std::string, std::string> medium = FolderContent(Out());
  // --winget needs the one file; with it, the package manager's manifest
  // lies beside the file with the file's digest.
  EXPECT_EQ(Build({"--winget", "https://example.org/Demo-Setup.exe"}).code, 2);
  const PackRun one = Build({"--single-file", "--winget", "https://example.org/Demo-Setup.exe"});
  ASSERT_EQ(one.code, 0) << one.err;
  for (const char* part : {"Demo-Setup.exe: Demo M", "ller 2.1.0.0, one file of Install.exe 3.14",
                           "Demo-Setup.installer.yaml: the installer manifest"})
    EXPECT_NE(one.out.find(part), std::string::npos) << one.out;
  const std::map<std::string, std::string> files = FolderContent(Out());
  ASSERT_EQ(files.size(), 2u);
  const std::string& setup = files.at("Demo-Setup.exe");
  std::string digest = contract::Sha256Hex(setup);
  for (char& c : digest) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string& winget = files.at("Demo-Setup.installer.yaml");
  for (const std::string& part : std::vector<std::string>{
           std::string("PackageIdentifier: M\xC3\xBCller&S\xC3\xB6hneGmbH.DemoM\xC3\xBCller\n"),
           "PackageVersion: 2.1.0.0\n", "    InstallerSha256: " + digest + "\n"})
    EXPECT_NE(winget.find(part), std::string::npos) << part << "\n" << winget;
  const std::string program = ReadText(kSampleProgram);
  EXPECT_EQ(setup.compare(0, program.size(), program), 0);
  EXPECT_EQ(setup.size() % 8, 0u);

  const std::span bytes(reinterpret_cast<const std::uint8_t*>(setup.data()), setup.size());
  const std::optional<contract::Overlay> overlay = contract::FindOverlay(bytes, bytes.size());
  ASSERT_TRUE(overlay);
  EXPECT_EQ(overlay->begin, program.size());
  const auto found = contract::ReadCarriedTrailer(
      *overlay, bytes.last(contract::kCarriedTrailerBytes), setupdesc::kMaxDescriptionBytes);
  ASSERT_TRUE(std::holds_alternative<contract::CarriedLayout>(found));
  const contract::CarriedLayout& layout = std::get<contract::CarriedLayout>(found);
  EXPECT_EQ(setup.substr(layout.descriptionOffset, layout.descriptionLength),
            medium.at("install.pmd"));
  EXPECT_EQ(setup.substr(layout.archiveOffset, layout.archiveLength), medium.at("DATA.c00"));
  EXPECT_EQ(contract::Sha256Hex(setup.substr(layout.descriptionOffset,
                                             layout.digestOffset - layout.descriptionOffset)),
            contract::DigestHex(layout.digest));

  // The folder medium again, in place of the one file.
  ASSERT_EQ(Build().code, 0);
  EXPECT_TRUE(FolderContent(Out()) == medium);

  const fs::path carrying = dir_.Path() / "carrying.exe";
  WriteText(carrying, program + "more");
  std::vector<std::string> args = BuildArguments({"--single-file"});
  args[5] = carrying.string();
  const PackRun refused = Pack(args);
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("carrying.exe is signed or carries data after its image"),
            std::string::npos)
      << refused.err;
  WriteManifest(manifest.replace(manifest.find("Demo-Setup.exe"), 14, "Demo-Setup.txt"));
  const PackRun named = Build({"--single-file"});
  EXPECT_EQ(named.code, 1);
  EXPECT_NE(named.err.find("setup-file: is the one-file setup's name"), std::string::npos)
      << named.err;
  EXPECT_TRUE(FolderContent(Out()) == medium);
}

// On a terminal the build shows how far it is, in place on one line; it
// always ends with one summary line.
TEST_F(Medium, ShowsItsProgressOnATerminalUnlessQuiet) {
  std::vector<std::string> args = BuildArguments();
  std::ostringstream out, err;
  auto now = std::chrono::nanoseconds(0);
  const acewriter::ProgressDisplay terminal{true,
                                            [&now] { return now += std::chrono::seconds(1); }};
  ASSERT_EQ(RunPackCommand(args, out, err, terminal), 0) << err.str();
  std::uint64_t payload = 0;
  for (const auto& [name, content] : SamplePayload()) payload += content.size();
  const std::uint64_t archive =
      fs::file_size(Out() / "DATA.c00") + fs::file_size(Out() / "DATA.c01");
  EXPECT_TRUE(std::regex_match(
      out.str(), std::regex("built .*medium: " +
                            ForMessage("Demo M\xFC"
                                       "ller") +
                            " 2\\.1\\.0\\.0 with Install\\.exe 3\\.14\\.15\\.926, install\\.pmd, 2 "
                            "volume\\(s\\): 6 files, " +
                            std::to_string(payload) + " bytes in, " + std::to_string(archive) +
                            " bytes out, ratio [0-9]+\\.[0-9]%, [0-9]+\\.[0-9]{2} s\n")))
      << out.str();
  EXPECT_NE(err.str().find(" of " + acewriter::FormatBytes(payload) + ", 100%"), std::string::npos)
      << err.str();
  EXPECT_EQ(err.str().find('\n'), std::string::npos) << err.str();

  fs::remove_all(Out());
  args.push_back("--quiet");
  std::ostringstream quietOut, quietErr;
  ASSERT_EQ(RunPackCommand(args, quietOut, quietErr, terminal), 0) << quietErr.str();
  EXPECT_EQ(quietErr.str(), "");
  const std::string summary = quietOut.str();
  EXPECT_EQ(std::count(summary.begin(), summary.end(), '\n'), 1) << summary;
}

}  // namespace
}  // namespace pelmora::pack
