#include "tools/pelmora-pack/BuildCommand.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>

#include "acewriter/BuildTime.h"
#include "contract/ProductFiles.h"
#include "tools/pelmora-pack/MediumBuilder.h"

namespace pelmora::pack {

namespace {

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Where the presets put the setup programs of this source tree (the build
// folder is baked in at build time), so that the build tree's tool finds
// them without options.
std::filesystem::path BuiltInstallExe(const std::string& arch) {
  if (arch != "win32" && arch != "win64")
    throw UsageError("--arch must be win32 or win64, not \"" + arch + "\"");
  return std::filesystem::path(PELMORA_PACK_BUILD_FOLDER) / arch / "app" /
         contract::kSetupProgramName;
}

std::filesystem::path BuiltUninstaller(const std::string& arch) {
  return std::filesystem::path(PELMORA_PACK_BUILD_FOLDER) / arch / "uninstall" /
         contract::kUninstallerFileName;
}

// Added to a message about a program the build tree should have made.
std::string BuiltOrigin(const std::string& arch, const char* option) {
  return " (the " + arch + " build of this source tree: `make " +
         (arch == "win32" ? "installer" : arch) + "` builds it; " + option + " names another)";
}

// The password file's first line; a final line end is not part of it.
std::string ReadPasswordFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the password file " + path);
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

struct ParsedBuild {
  BuildRequest request;
  bool quiet = false;
};

ParsedBuild ParseBuild(const std::vector<std::string>& args) {
  ParsedBuild parsed;
  BuildRequest& request = parsed.request;
  std::vector<std::string> positional;
  std::optional<std::string> installExe, arch, uninstaller, certificate, passwordFile, timestampUrl;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--quiet") {
      parsed.quiet = true;
      continue;
    }
    if (arg == "--single-file") {
      request.singleFile = true;
      continue;
    }
    if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
    const std::string& value = args[++i];
    if (arg == "--install-exe")
      installExe = value;
    else if (arg == "--arch")
      arch = value;
    else if (arg == "--uninstaller")
      uninstaller = value;
    else if (arg == "--sign")
      certificate = value;
    else if (arg == "--sign-password-file")
      passwordFile = value;
    else if (arg == "--timestamp-url")
      timestampUrl = value;
    else if (arg == "--winget")
      request.wingetUrl = value;
    else
      throw UsageError("unknown option " + arg);
  }
  if (positional.size() != 3)
    throw UsageError("build takes MANIFEST PAYLOAD_DIR OUT_DIR, got " +
                     std::to_string(positional.size()) + " argument(s)");
  if (installExe && arch) throw UsageError("give --install-exe or --arch, not both");
  if (passwordFile && !certificate) throw UsageError("--sign-password-file needs --sign");
  if (timestampUrl && !certificate) throw UsageError("--timestamp-url needs --sign");
  if (timestampUrl && timestampUrl->empty()) throw UsageError("--timestamp-url needs a URL");
  if (!request.wingetUrl.empty() && !request.singleFile)
    throw UsageError(
        "--winget writes the package manager's manifest of a one-file setup: it needs "
        "--single-file");
  request.manifest = positional[0];
  request.payload = positional[1];
  request.out = positional[2];
  if (installExe) {
    request.installExe = *installExe;
  } else {
    const std::string which = arch.value_or("win32");
    request.installExe = BuiltInstallExe(which);
    request.installExeOrigin = BuiltOrigin(which, "--install-exe");
  }
  // The uninstaller comes from where the setup program came from.
  if (uninstaller) {
    request.uninstallerExe = *uninstaller;
    request.uninstallerNamed = true;
  } else if (installExe) {
    request.uninstallerExe = request.installExe.parent_path() / contract::kUninstallerFileName;
    request.uninstallerOrigin = " (beside --install-exe; --uninstaller names another)";
  } else {
    const std::string which = arch.value_or("win32");
    request.uninstallerExe = BuiltUninstaller(which);
    request.uninstallerOrigin = BuiltOrigin(which, "--uninstaller");
  }
  if (certificate) {
    SigningRequest signing{*certificate, {}, timestampUrl.value_or("")};
    if (passwordFile) {
      signing.password = ReadPasswordFile(*passwordFile);
    } else {
      const char* fromEnvironment = std::getenv(kSignPasswordVariable);
      if (!fromEnvironment)
        throw UsageError(std::string("--sign needs the certificate's password: give "
                                     "--sign-password-file FILE or set ") +
                         kSignPasswordVariable);
      signing.password = fromEnvironment;
    }
    request.signing = std::move(signing);
  }
  request.sourceDateEpoch = acewriter::SourceDateEpochFromEnvironment();
  return parsed;
}

}  // namespace

int RunBuildCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const acewriter::ProgressDisplay& display) {
  ParsedBuild parsed;
  try {
    parsed = ParseBuild(args);
  } catch (const UsageError& e) {
    err << "pelmora-pack build: " << e.what() << " (pelmora-pack build --help: its usage)\n";
    return 2;
  } catch (const std::exception& e) {
    err << "pelmora-pack build: " << e.what() << "\n";
    return 1;
  }
  const BuildRequest& request = parsed.request;
  try {
    acewriter::ProgressMeter progress(err, display.terminal && !parsed.quiet, display.clock);
    const BuildReport report = BuildMedium(request, progress);
    progress.Clear();
    if (!report.setupFile.empty()) {
      out << "built " << (request.out / report.setupFile).string() << ": " << report.product
          << ", one file of " << contract::kSetupProgramName << " " << report.setupVersion
          << (request.signing ? " (signed)" : "") << " carrying " << contract::kDescriptionFileName
          << " and 1 volume: "
          << acewriter::DescribeTotals(
                 {report.files, report.bytes, report.archiveBytes, false, progress.Seconds()})
          << "\n";
      if (!report.wingetManifest.empty())
        out << "wrote " << (request.out / report.wingetManifest).string()
            << ": the installer manifest for Windows' package manager\n";
      return 0;
    }
    out << "built " << request.out.string() << ": " << report.product << " with "
        << contract::kSetupProgramName << " " << report.setupVersion
        << (request.signing ? " (signed)" : "") << ", " << contract::kDescriptionFileName << ", "
        << report.volumes.size() << " volume(s): "
        << acewriter::DescribeTotals(
               {report.files, report.bytes, report.archiveBytes, false, progress.Seconds()})
        << "\n";
    return 0;
  } catch (const BuildRefused& refused) {
    err << "pelmora-pack build: nothing written, " << refused.reasons.size() << " problem(s):\n";
    for (const std::string& reason : refused.reasons) err << "  " << reason << "\n";
    if (refused.usage) return 2;
  } catch (const std::exception& e) {
    err << "pelmora-pack build: " << e.what() << "\n";
  }
  return 1;
}

}  // namespace pelmora::pack
