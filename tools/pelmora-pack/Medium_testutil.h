// The sample product the medium builder's tests build: its manifest (whose
// line numbers the validation table relies on), its payload, and a test
// fixture that writes both to a scratch folder and runs "build" on them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "TestPaths.h"
#include "tools/pelmora-pack/PackCommand.h"

namespace pelmora::pack {

namespace fs = std::filesystem;
using pelmora::test::ReadText;
using pelmora::test::WriteText;

struct PackRun {
  int code;
  std::string out, err;
};

inline PackRun Pack(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int code = RunPackCommand(args, out, err);
  return {code, out.str(), err.str()};
}

// Manifests and payload names are UTF-8, whatever the compiler makes of
// narrow literals.
inline std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

inline const std::string kSampleProgram = test::TestDataFile("pe/version-i686.exe");
inline constexpr const char* kSampleVersion = "3.14.15.926";

// The manifest's line numbers matter to the validation table below.
inline const std::string kManifest =
    U8(u8"# Demo product\n"                                // 1
       u8"[product]\n"                                     // 2
       u8"name = Demo Müller\n"                            // 3
       u8"version = 2.1.0.0\n"                             // 4
       u8"uninstall-key = DemoMüller\n"                    // 5
       u8"directory = C:\\Programme\\Demo Müller\n"        // 6
       u8"program = bin\\demo.exe\n"                       // 7
       u8"information = info.txt\n"                        // 8
       u8"[registry]\n"                                    // 9
       u8"key = Software\\Demo\\Müller\n"                  // 10
       u8"key = Software\\Demo\\Settings\n"                // 11
       u8"[com]\n"                                         // 12
       u8"server = lib\\ctl.ocx\n"                         // 13
       u8"[shortcut]\n"                                    // 14
       u8"group = Demo Müller\n"                           // 15
       u8"name = Demo starten\n"                           // 16
       u8"target = bin\\demo.exe\n"                        // 17
       u8"icon = bin\\demo.ico\n"                          // 18
       u8"[shortcut]\n"                                    // 19
       u8"group = Demo Müller\n"                           // 20
       u8"name = Grüße lesen\n"                            // 21
       u8"target = Grüße.txt\n"                            // 22
       u8"[support]\n"                                     // 23
       u8"publisher = Müller & Söhne GmbH\n"               // 24
       u8"about-url = https://example.org/demo\n"          // 25
       u8"update-url = https://example.org/demo/update\n"  // 26
       u8"help-link = https://example.org/demo/hilfe\n"    // 27
       u8"help-telephone = +49 30 1234567\n"               // 28
       u8"contact = support@example.org\n"                 // 29
       u8"readme = Liesmich.txt\n"                         // 30
       u8"comments = Straße, Größe, Maß\n"                 // 31
       u8"[config-files]\n"                                // 32
       u8"file = demo.ini\n"                               // 33
       u8"file = data\\cache.dat\n"                        // 34
       u8"[archive]\n"                                     // 35
       u8"password = geheim 123\n"                         // 36
       u8"volume-size = 64k\n");                           // 37

// Compresses poorly, so that the archive needs two 64 KiB volumes.
inline std::string Noise(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t x = 2463534242u;
  for (char& c : bytes) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    c = static_cast<char>(x);
  }
  return bytes;
}

// The payload: relative path (UTF-8, '/') -> content.
inline std::map<std::string, std::string> SamplePayload() {
  return {{"bin/demo.exe", "MZ demo program"}, {"bin/demo.ico", std::string("\0\0\1\0", 4)},
          {"lib/ctl.ocx", "MZ control"},       {U8(u8"Grüße.txt"), U8(u8"Viele Grüße\r\n")},
          {"stUnInst.exe", "MZ uninstaller"},  {"data/noise.bin", Noise(100 * 1024)}};
}

class Medium : public ::testing::Test {
 protected:
  Medium() : dir_("medium") {
    for (const auto& [name, content] : SamplePayload()) {
      const fs::path file = Payload() / fs::path(std::u8string(name.begin(), name.end()));
      fs::create_directories(file.parent_path());
      WriteText(file, content);
    }
    WriteText(dir_.Path() / "info.txt", U8(u8"Willkommen bei Demo Müller.\n\nViel Spaß!\n"));
    WriteManifest(kManifest);
  }

  void WriteManifest(const std::string& text) { WriteText(dir_.Path() / "demo.manifest", text); }
  fs::path Payload() const { return dir_.Path() / "payload"; }
  fs::path Out() const { return dir_.Path() / "medium"; }

  // The command line of a build of the fixture's manifest and payload.
  std::vector<std::string> BuildArguments(const std::vector<std::string>& extra = {}) const {
    std::vector<std::string> args = {"build",
                                     (dir_.Path() / "demo.manifest").string(),
                                     Payload().string(),
                                     Out().string(),
                                     "--install-exe",
                                     kSampleProgram};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  PackRun Build(const std::vector<std::string>& extra = {}) { return Pack(BuildArguments(extra)); }

  // Every file of a setup folder: name -> bytes.
  static std::map<std::string, std::string> FolderContent(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
      files[entry.path().filename().string()] = ReadText(entry.path());
    return files;
  }

  // Gives every payload file the time `older`, and bin/demo.exe `newest`.
  void DatePayload(std::filesystem::file_time_type older,
                   std::filesystem::file_time_type newest) const {
    for (const auto& entry : fs::recursive_directory_iterator(Payload()))
      if (entry.is_regular_file()) fs::last_write_time(entry.path(), older);
    fs::last_write_time(Payload() / "bin" / "demo.exe", newest);
  }

  test::ScratchDir dir_;
};

}  // namespace pelmora::pack
