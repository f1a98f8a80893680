#include "tools/pelmora-pack/PackCommand.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "Version.h"
#include "acewriter/LocalText.h"
#include "tools/pelmora-pack/BuildCommand.h"
#include "tools/pelmora-pack/InitCommand.h"
#include "setupdesc/PlainDescription.h"
#include "setupdesc/SetupDescReader.h"

namespace pelmora::pack {

namespace {

// Each command's usage; "pelmora-pack --help" prints them all, and
// "pelmora-pack COMMAND --help" its own.
struct CommandUsage {
  const char* name;
  const char* text;
};

constexpr CommandUsage kCommands[] = {
    {"build",
     "pelmora-pack build MANIFEST PAYLOAD_DIR OUT_DIR [--install-exe PATH | --arch win32|win64]\n"
     "                   [--uninstaller PATH] [--single-file [--winget URL]] [--quiet]\n"
     "                   [--sign CERT.pfx [--sign-password-file FILE] [--timestamp-url URL]]\n"
     "    write a setup folder OUT_DIR (Install.exe, install.pmd, DATA.c00 and further\n"
     "    volumes) from the manifest MANIFEST and the files of PAYLOAD_DIR; with\n"
     "    --single-file, OUT_DIR holds one setup program carrying both (its name:\n"
     "    [product] setup-file, default Setup.exe; one volume only); --winget URL\n"
     "    writes beside it the installer manifest for Windows' package manager, the\n"
     "    file to be downloaded from URL; without\n"
     "    --sign-password-file the certificate's password comes from PELMORA_SIGN_PASSWORD;\n"
     "    the medium is dated by SOURCE_DATE_EPOCH or its newest file; --quiet: no\n"
     "    progress display\n"},
    {"init",
     "pelmora-pack init PAYLOAD_DIR [MANIFEST]\n"
     "    write a commented first manifest for the files of PAYLOAD_DIR (its first\n"
     "    program as main program and shortcut) to MANIFEST, which must not exist yet\n"
     "    (default: standard output); it builds as it stands\n"},
    {"encode",
     "pelmora-pack encode PLAIN PMD\n"
     "    write a scrambled install.pmd from plain text (Windows-1252, CR LF or LF line\n"
     "    ends; install.pmd gets CR LF)\n"},
    {"decode",
     "pelmora-pack decode PMD [PLAIN]\n"
     "    write the plain text of install.pmd (default: standard output)\n"},
    {"show",
     "pelmora-pack show PMD [--version V]\n"
     "    list what the setup program reads from install.pmd; with --version, check\n"
     "    line 1 against the setup program's version V\n"},
};

constexpr const char* kManifestNote =
    "A manifest is a text file of [sections] and \"name = value\" lines that says what\n"
    "the setup installs: product name, version, folder, main program, shortcuts,\n"
    "registry keys. Its format is described in README.md, section \"pelmora-pack\",\n"
    "part \"build: the medium builder\".\n";

std::string FullUsage() {
  std::string text = "usage:\n";
  for (const CommandUsage& c : kCommands) text += std::string("  ") + c.text;
  text += "  pelmora-pack --version\n    print this tool's version\n";
  text += "Every command takes --help (or -h): its usage.\n";
  return text + kManifestNote;
}

const CommandUsage* FindCommand(const std::string& name) {
  for (const CommandUsage& c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

struct CommandError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CommandError("cannot open " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw CommandError("cannot read " + path);
  return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw CommandError("cannot create " + path);
  out << bytes;
  out.close();
  if (!out) throw CommandError("cannot write " + path);
}

void Field(std::ostringstream& o, const char* name, const std::string& value) {
  o << "  " << name << ": " << value << "\n";
}

void List(std::ostringstream& o, const char* title, const setupdesc::SlotArray& slots, int first,
          int last) {
  o << title << " (" << (last >= first ? last - first + 1 : 0) << ")\n";
  for (int i = first; i <= last; ++i) o << "  [" << i << "] " << slots[i] << "\n";
}

}  // namespace

DescriptionListing DescribeDescription(const std::string& pmdBytes,
                                       const std::string& setupVersion) {
  setupdesc::SetupDescription d;
  d.SetupVersion = setupVersion;
  setupdesc::ReaderOptions options;
  options.checkVersion = !setupVersion.empty();
  options.damageTexts = &setupdesc::kEnglishDamage;
  const setupdesc::ReadResult r = setupdesc::ReadSetupDescription(pmdBytes, d, options);
  std::ostringstream o;
  if (r.outcome != setupdesc::ReadOutcome::Read) {
    // The setup's message box breaks the version message's lines with bare
    // carriage returns; on a terminal each would overwrite the line before.
    std::string message = r.message;
    for (char& c : message)
      if (c == '\r') c = '\n';
    o << "not readable: " << message << "\n";
    return {false, o.str()};
  }
  o << "Setup description\n";
  Field(o, "title          ", r.titleLabel);
  Field(o, "product name   ", d.ProductName);
  Field(o, "product version", d.ProductVersion);
  Field(o, "uninstall key  ", d.UninstallKeyName);
  Field(o, "target folder  ", r.targetDirectory);
  Field(o, "main program   ", d.AppExeName.empty() ? "(none)" : d.AppExeName);
  o << "Information (" << r.infoLines.size() << " lines)\n";
  for (const std::string& line : r.infoLines) o << "  | " << line << "\n";
  List(o, "Registry keys", d.RegistryLines, 1, d.RegistryCount);
  List(o, "COM servers", d.OcxFiles, 0, d.OcxLast);
  o << "Shortcuts (" << d.IconCount << ")\n";
  for (int i = 1; i <= d.IconCount; ++i) {
    o << "  [" << i << "] " << d.IconGroups[i] << " \\ " << d.IconNames[i] << " -> "
      << d.IconTargets[i];
    if (d.IconFiles[i] != setupdesc::kNoIconFile) o << " (icon: " << d.IconFiles[i] << ")";
    o << "\n";
  }
  o << "Support information\n";
  for (std::size_t i = 0; i < d.SupportInfo.size(); ++i)
    o << "  " << setupdesc::kSupportValueNames[i] << ": " << d.SupportInfo[i] << "\n";
  if (d.ConfigFiles) {
    o << "Files deleted by a complete repair (" << d.ConfigFiles->size() << ")\n";
    for (const std::string& f : *d.ConfigFiles) o << "  " << f << "\n";
  } else {
    o << "Files deleted by a complete repair: (no section)\n";
  }
  return {true, o.str()};
}

int RunPackCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const acewriter::ProgressDisplay& display) {
  try {
    const std::string command = args.empty() ? "" : args[0];
    if (IsHelp(command) || command == "help") {
      out << FullUsage();
      return 0;
    }
    const CommandUsage* known = FindCommand(command);
    if (known && std::any_of(args.begin() + 1, args.end(), IsHelp)) {
      out << "usage: " << known->text;
      if (command == "build") out << kManifestNote;
      return 0;
    }
    if (command == "build")
      return RunBuildCommand(std::vector<std::string>(args.begin() + 1, args.end()), out, err,
                             display);
    if (command == "init" && (args.size() == 2 || args.size() == 3)) {
      const std::string manifest = SampleManifest(args[1]);
      if (args.size() == 2) {
        out << manifest;
        return 0;
      }
      // A manifest is edited by hand; never write over one.
      if (std::filesystem::exists(args[2]))
        throw CommandError(args[2] + " exists already; init writes only a new manifest");
      WriteFile(args[2], manifest);
      out << "wrote " << args[2] << "\n";
      return 0;
    }
    if (command == "encode" && args.size() == 3) {
      WriteFile(args[2], setupdesc::EncodeDescription(ReadFile(args[1])));
      return 0;
    }
    if (command == "decode" && (args.size() == 2 || args.size() == 3)) {
      const std::string plain = setupdesc::DecodeDescription(ReadFile(args[1]));
      if (args.size() == 3)
        WriteFile(args[2], plain);
      else
        out << plain;
      return 0;
    }
    if (command == "show" && (args.size() == 2 || (args.size() == 4 && args[2] == "--version"))) {
      const DescriptionListing listing =
          DescribeDescription(ReadFile(args[1]), args.size() == 4 ? args[3] : "");
      (listing.readable ? out : err) << acewriter::LocalText(listing.text);
      return listing.readable ? 0 : 1;
    }
    if (command == "--version" && args.size() == 1) {
      out << "pelmora-pack " << PELMORA_VERSION_STRING << "\n";
      return 0;
    }
    if (known)
      err << "pelmora-pack " << command << ": wrong arguments\nusage: " << known->text;
    else
      err << "pelmora-pack: "
          << (command.empty() ? "no command given" : "unknown command \"" + command + "\"") << "\n"
          << FullUsage();
    return 2;
  } catch (const setupdesc::DescriptionFormatError& e) {
    err << "pelmora-pack: " << (args.size() > 1 ? args[1] + ": " : "")
        << acewriter::LocalText(e.what()) << "\n";
  } catch (const std::exception& e) {
    err << "pelmora-pack: " << e.what() << "\n";
  }
  return 1;
}

}  // namespace pelmora::pack
