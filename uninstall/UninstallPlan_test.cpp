#include "uninstall/UninstallPlan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contract/Protocol.h"
#include "contract/KeyRules.h"

namespace pelmora::uninstall {
namespace {

using Strings = std::vector<std::string>;

const std::string kTarget = "C:\\Programme\\B\xFCro\\";
const std::string kProtocolPath = kTarget + "UnInstall.Log";
const std::string kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool";
// Windows', the programs' and the profiles' folders belong to no product.
const contract::SystemFolders kSystem{"C:\\WINDOWS",
                                      {"C:\\Programme", "C:\\Dokumente und Einstellungen\\Hans"}};

std::variant<UninstallPlan, Refusal> Plan(std::string_view path, std::string_view bytes,
                                          const ProductEntries& entries = {kUninstallKey,
                                                                           kUninstallKey}) {
  return PlanUninstall(path, bytes, kSystem, entries);
}

// An installation, then an update into the same folder that adds a file,
// repeats most lines in other spellings and adds a group of its own.
std::string TwoBlockProtocol() {
  contract::Protocol first;
  first.AddHeader(kTarget, "05.03.2026", "14:07:09");
  first.AddEntry(kTarget, "readme.txt");
  first.AddEntry(kTarget, "bin");
  first.AddEntry(kTarget, "bin\\tool.exe");
  first.AddEntry(kTarget, "bin\\plugins");
  first.AddEntry(kTarget, "bin\\plugins\\a.dll");
  first.AddEntry(kTarget, "LICENSE");
  first.AddMachineKey(kUninstallKey);
  first.AddUserKey(kUninstallKey);
  first.AddUserKey("\\Software\\Firma\\Tool\\");
  first.AddComServer(kTarget + "bin\\tool.ocx");
  first.AddGroup("Firma\\Tool");
  first.AddTrailer("1.0.0.1", "0:01:05");

  const std::string upper = "c:\\PROGRAMME\\B\xDCRO\\";  // the same folder, other case
  contract::Protocol update;
  update.AddHeader(upper, "06.03.2026", "09:00:00");
  update.AddEntry(upper, "README.TXT");
  update.AddEntry(upper, "BIN");
  update.AddEntry(upper, "bin\\new.dat");
  update.AddEntry(upper, "docs");
  update.AddFile(upper + "docs/manual.pdf");  // a forward slash between folders
  update.AddUserKey("HKEY_CURRENT_USER\\software\\firma\\tool");
  update.AddMachineKey(kUninstallKey);
  update.AddComServer(upper + "BIN\\TOOL.OCX");
  update.AddGroup("Firma\\Tool");
  update.AddGroup("");
  update.AddTrailer("1.0.0.1", "0:00:07");
  return first.Bytes() + update.Bytes();
}

TEST(UninstallPlan, TwoBlocksGiveTheirUnionOnceInRemovalOrder) {
  const auto result = Plan(kProtocolPath, TwoBlockProtocol());
  ASSERT_TRUE(std::holds_alternative<UninstallPlan>(result));
  const UninstallPlan& plan = std::get<UninstallPlan>(result);

  EXPECT_EQ(plan.targetFolder, kTarget);
  EXPECT_EQ(plan.protocolFile, kProtocolPath);
  EXPECT_EQ(plan.comServers, Strings{kTarget + "bin\\tool.ocx"});
  // The protocol's own "1" lines are not among the files: it goes last.
  EXPECT_EQ(plan.files, (Strings{kTarget + "readme.txt", kTarget + "bin\\tool.exe",
                                 kTarget + "bin\\plugins\\a.dll", kTarget + "bin\\new.dat",
                                 kTarget + "docs\\manual.pdf"}));
  // Deepest first; the target itself is not among them.
  EXPECT_EQ(plan.folders, (Strings{kTarget + "bin\\plugins", kTarget + "bin", kTarget + "LICENSE",
                                   kTarget + "docs"}));
  EXPECT_EQ(plan.machineKeys, Strings{kUninstallKey});
  EXPECT_EQ(plan.userKeys, (Strings{kUninstallKey, "Software\\Firma\\Tool"}));
  EXPECT_EQ(plan.groups, (Strings{"Firma\\Tool", ""}));
  EXPECT_TRUE(plan.refusals.empty());
  EXPECT_EQ(plan.StepCount(), 1u + 5u + 4u + 1u + 2u + 2u + 2u);

  // An entry keeps its root: one that vouches only below HKEY_CURRENT_USER
  // (which the user's programs can write) deletes no key of the machine's,
  // and the machine's entry alone does not let the user's key of that path go.
  const auto refusalsOf = [](const UninstallPlan& p) {
    std::vector<std::string> found;
    for (const Refusal& r : p.refusals)
      found.push_back(std::to_string(static_cast<int>(r.reason)) + " " + r.detail);
    return found;
  };
  const auto userOnly = Plan(kProtocolPath, TwoBlockProtocol(), {"", kUninstallKey});
  ASSERT_TRUE(std::holds_alternative<UninstallPlan>(userOnly));
  EXPECT_TRUE(std::get<UninstallPlan>(userOnly).machineKeys.empty());
  EXPECT_EQ(std::get<UninstallPlan>(userOnly).userKeys, plan.userKeys);
  EXPECT_EQ(refusalsOf(std::get<UninstallPlan>(userOnly)),
            Strings{std::to_string(static_cast<int>(Reason::NotProductEntry)) +
                    " HKEY_LOCAL_MACHINE\\" + kUninstallKey});
  const auto machineOnly = Plan(kProtocolPath, TwoBlockProtocol(), {kUninstallKey, ""});
  ASSERT_TRUE(std::holds_alternative<UninstallPlan>(machineOnly));
  EXPECT_EQ(std::get<UninstallPlan>(machineOnly).machineKeys, Strings{kUninstallKey});
  EXPECT_EQ(std::get<UninstallPlan>(machineOnly).userKeys, Strings{"Software\\Firma\\Tool"});
  EXPECT_EQ(refusalsOf(std::get<UninstallPlan>(machineOnly)).size(), 1u);
}

TEST(UninstallPlan, RefusesEveryLineThatLeadsOutOfTheTargetOrToSharedKeys) {
  contract::Protocol p;
  p.AddHeader(kTarget, "05.03.2026", "14:07:09");
  p.AddFile(kTarget + "ok.txt");
  p.AddFile("C:\\Windows\\system32\\kernel32.dll");                         // outside
  p.AddFile(kTarget + "..\\Nachbar\\daten.txt");                            // a way up
  p.AddFile(kTarget + "sub\\.\\x.txt");                                     // "."
  p.AddFile("D:\\Programme\\B\xFCro\\x.txt");                               // another drive
  p.AddFile(kTarget + "x.txt:stream");                                      // alternate stream
  p.AddFile("\\\\server\\share\\Programme\\x.txt");                         // network path
  p.AddFile("\\\\?\\C:\\Programme\\B\xFCro\\x.txt");                        // device form
  p.AddFile(kTarget + "sub\\\\x.txt");                                      // empty component
  p.AddFile(kTarget + "x.txt.");                                            // Windows drops the dot
  p.AddFolder("C:\\Programme");                                             // the target's parent
  p.AddComServer("C:\\Windows\\system32\\shell32.dll");                     // 20
  p.AddUserKey("Software");                                                 // shared
  p.AddUserKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");  // 22
  p.AddMachineKey("Software\\Wow6432Node\\Microsoft");            // not the product's entry
  p.AddMachineKey("SYSTEM\\CurrentControlSet\\Services\\Tcpip");  // nor this
  p.AddUserKey("");                                               // the root
  p.AddUserKey("\\\\");                                           // the root
  p.AddUserKey("Firma");                                          // not below Software
  p.AddUserKey("HKEY_LOCAL_MACHINE\\Software\\Firma\\Tool");      // the other root
  p.AddMachineKey("HKEY_CLASSES_ROOT\\.tool");                    // another root
  p.AddUserKey("Software\\\\Firma");                              // empty component
  p.AddGroup("..\\..\\Desktop");                                  // 31
  p.AddGroup("C:\\Windows");                                      // 32
  p.AddGroup("\\Firma");                                          // 33
  const std::string unknown = "x unknown line\r\n";               // 34
  contract::Protocol rest;
  rest.AddUserKey("HKCU\\Software\\Firma\\Tool");  // allowed: its own root spelt out
  rest.AddTrailer("1.0.0.1", "0:01:05");

  const auto result = Plan(kProtocolPath, p.Bytes() + unknown + rest.Bytes());
  ASSERT_TRUE(std::holds_alternative<UninstallPlan>(result));
  const UninstallPlan& plan = std::get<UninstallPlan>(result);
  EXPECT_EQ(plan.files, Strings{kTarget + "ok.txt"});
  EXPECT_TRUE(plan.folders.empty());
  EXPECT_TRUE(plan.comServers.empty());
  EXPECT_TRUE(plan.machineKeys.empty());
  EXPECT_EQ(plan.userKeys, Strings{"Software\\Firma\\Tool"});
  EXPECT_TRUE(plan.groups.empty());

  // In the order of the lines, one refusal each.
  std::vector<Reason> refused;
  for (const Refusal& r : plan.refusals) refused.push_back(r.reason);
  const std::vector<Reason> expected = {
      Reason::OutsideTarget,  Reason::ParentReference, Reason::ParentReference,
      Reason::OutsideTarget,  Reason::NotPlainPath,    Reason::NotPlainPath,
      Reason::NotPlainPath,   Reason::NotPlainPath,    Reason::NotPlainPath,
      Reason::OutsideTarget,  Reason::OutsideTarget,   Reason::SharedKey,
      Reason::SharedKey,      Reason::NotProductEntry, Reason::NotProductEntry,
      Reason::ShallowKey,     Reason::ShallowKey,      Reason::OutsideSoftware,
      Reason::WrongRoot,      Reason::WrongRoot,       Reason::MalformedKey,
      Reason::MalformedGroup, Reason::MalformedGroup,  Reason::MalformedGroup,
      Reason::UnknownLine,
  };
  EXPECT_EQ(refused, expected);
  // The summary names keys with their root and paths as written.
  EXPECT_EQ(plan.refusals[0].detail, "C:\\Windows\\system32\\kernel32.dll");
  EXPECT_EQ(plan.refusals[11].detail, "HKEY_CURRENT_USER\\Software");
  EXPECT_EQ(plan.refusals.back().detail, "x unknown line");
}

TEST(UninstallPlan, RefusesFilesThatAreNoUsableProtocolAsAWhole) {
  contract::Protocol good;
  good.AddHeader(kTarget, "05.03.2026", "14:07:09");
  good.AddTrailer("1.0.0.1", "0:00:01");

  const auto rejection = [](std::string_view path, std::string_view bytes) {
    const auto result = Plan(path, bytes);
    return std::holds_alternative<Refusal>(result) ? std::get<Refusal>(result).reason
                                                   : static_cast<Reason>(-1);
  };
  EXPECT_EQ(rejection(kProtocolPath, ""), Reason::NotAProtocol);
  EXPECT_EQ(rejection(kProtocolPath, "[Settings]\r\nColour=blue\r\n"), Reason::NotAProtocol);
  EXPECT_EQ(rejection(kProtocolPath, "junk\r\n" + good.Bytes()), Reason::NotAProtocol);
  EXPECT_EQ(rejection(kProtocolPath, good.Bytes() + std::string("\0\x01\x02", 3)),
            Reason::NotAProtocol);

  const auto withTarget = [](const std::string& target) {
    contract::Protocol p;
    p.AddHeader(target, "05.03.2026", "14:07:09");
    return p.Bytes();
  };
  const std::string box = withTarget(kTarget).substr(0, 7 * 44);
  EXPECT_EQ(rejection(kProtocolPath, box + "1" + kTarget + "x.txt\r\n"), Reason::NoTargetFolder);
  EXPECT_EQ(rejection("C:\\UnInstall.log", withTarget("C:\\")), Reason::DriveRoot);
  EXPECT_EQ(rejection("C:\\UnInstall.log", withTarget("C:")), Reason::DriveRoot);
  EXPECT_EQ(rejection("\\\\server\\share\\UnInstall.log", withTarget("\\\\server\\share\\")),
            Reason::NetworkPath);
  EXPECT_EQ(rejection("Programme\\UnInstall.log", withTarget("Programme\\")), Reason::NotAbsolute);
  EXPECT_EQ(rejection("C:\\a\\UnInstall.log", withTarget("C:\\a\\..\\")), Reason::InvalidName);
  // Windows', the programs' and the profiles' folders belong to no product,
  // nor does a folder that holds one or lies in the Windows folder.
  const auto protectedRejection = [&](const std::string& target) {
    return rejection(target + "UnInstall.log", withTarget(target));
  };
  EXPECT_EQ(protectedRejection("C:\\Windows\\"), Reason::InsideWindows);
  EXPECT_EQ(protectedRejection("C:\\Windows\\Tool\\"), Reason::InsideWindows);
  EXPECT_EQ(protectedRejection("C:\\Programme\\"), Reason::SystemFolder);
  EXPECT_EQ(protectedRejection("C:\\Dokumente und Einstellungen\\"), Reason::SystemFolder);
  EXPECT_TRUE(std::holds_alternative<UninstallPlan>(Plan(kProtocolPath, good.Bytes())));
  EXPECT_TRUE(std::holds_alternative<UninstallPlan>(
      Plan("C:\\Windows2\\UnInstall.log", withTarget("C:\\Windows2\\"))));
  // The file must lie directly in the folder it names.
  EXPECT_EQ(rejection("C:\\Temp\\UnInstall.log", good.Bytes()), Reason::ProtocolOutsideTarget);
  EXPECT_EQ(rejection(kTarget + "sub\\UnInstall.log", good.Bytes()), Reason::ProtocolOutsideTarget);
  EXPECT_TRUE(std::holds_alternative<UninstallPlan>(
      Plan("c:\\programme\\b\xDCro\\uninstall.log", good.Bytes())));
}

// A product of thousands of files, installed and updated twice, with a
// damaged tail of as many unknown lines: each thing once, each refusal once.
TEST(UninstallPlan, ThreeBlocksOfManyFilesAndRefusals) {
  std::string bytes;
  for (int run = 0; run < 3; ++run) {
    contract::Protocol p;
    p.AddHeader(kTarget, "05.03.2026", "14:07:09");
    for (int i = 0; i < 5000; ++i) p.AddEntry(kTarget, "daten\\datei" + std::to_string(i) + ".txt");
    bytes += p.Bytes();
    for (int i = 0; i < 5000; ++i) bytes += "x" + std::to_string(i) + "\r\n";
    contract::Protocol trailer;
    trailer.AddTrailer("1.0.0.1", "0:00:01");
    bytes += trailer.Bytes();
  }
  const auto result = Plan(kProtocolPath, bytes);
  ASSERT_TRUE(std::holds_alternative<UninstallPlan>(result));
  const UninstallPlan& plan = std::get<UninstallPlan>(result);
  EXPECT_EQ(plan.files.size(), 5000u);
  EXPECT_EQ(plan.refusals.size(), 5000u);
  EXPECT_EQ(plan.refusals.back().detail, "x4999");
}

// The folders the setup made for the target go after it, deepest first;
// a drive root, a system folder or a folder beside the target never does.
TEST(UninstallPlan, ParentsTheSetupMadeGoAfterTheTarget) {
  const std::string target = "C:\\Firma\\Produkt\\Tool\\";
  contract::Protocol p;
  p.AddHeader(target, "05.03.2026", "14:07:09");
  p.AddFolder("C:\\Firma\\");
  p.AddFolder("c:\\firma\\produkt");
  p.AddFolder("C:\\");
  p.AddFolder("C:\\Firma\\Anderes\\");
  p.AddFolder(target + "daten");
  p.AddTrailer("1.0.0.1", "0:00:01");
  const auto result = Plan(target + "UnInstall.Log", p.Bytes());
  ASSERT_TRUE(std::holds_alternative<UninstallPlan>(result));
  const UninstallPlan& plan = std::get<UninstallPlan>(result);
  EXPECT_EQ(plan.parents, (Strings{"c:\\firma\\produkt\\", "C:\\Firma\\"}));
  EXPECT_EQ(plan.folders, Strings{target + "daten"});
  Strings refused;
  for (const Refusal& r : plan.refusals) refused.push_back(r.detail);
  EXPECT_EQ(refused, (Strings{"C:\\", "C:\\Firma\\Anderes\\"}));
  // A parent that is a folder of Windows or of all users is never one.
  const std::string underProgramme = "C:\\Programme\\Firma\\";
  contract::Protocol q;
  q.AddHeader(underProgramme, "05.03.2026", "14:07:09");
  q.AddFolder("C:\\Programme\\");
  const auto second = Plan(underProgramme + "UnInstall.Log", q.Bytes());
  ASSERT_TRUE(std::holds_alternative<UninstallPlan>(second));
  EXPECT_TRUE(std::get<UninstallPlan>(second).parents.empty());
  EXPECT_EQ(std::get<UninstallPlan>(second).refusals.size(), 1u);
}

TEST(UninstallPlan, LaterBlocksWithAnotherTargetAreCheckedAgainstTheFirst) {
  contract::Protocol first;
  first.AddHeader(kTarget, "05.03.2026", "14:07:09");
  first.AddTrailer("1.0.0.1", "0:00:01");
  contract::Protocol other;
  other.AddHeader("C:\\Windows\\", "06.03.2026", "09:00:00");
  other.AddEntry("C:\\Windows\\", "win.ini");
  other.AddEntry(kTarget, "inside.txt");
  other.AddTrailer("1.0.0.1", "0:00:01");

  const auto result = Plan(kProtocolPath, first.Bytes() + other.Bytes());
  ASSERT_TRUE(std::holds_alternative<UninstallPlan>(result));
  const UninstallPlan& plan = std::get<UninstallPlan>(result);
  EXPECT_EQ(plan.files, Strings{kTarget + "inside.txt"});
  EXPECT_TRUE(plan.folders.empty());
  Strings refused;
  for (const Refusal& r : plan.refusals) refused.push_back(r.detail);
  EXPECT_EQ(refused,
            (Strings{"C:\\Windows\\", "C:\\Windows\\UnInstall.log", "C:\\Windows\\win.ini"}));
}

}  // namespace
}  // namespace pelmora::uninstall
