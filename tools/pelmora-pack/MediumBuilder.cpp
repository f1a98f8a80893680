#include "tools/pelmora-pack/MediumBuilder.h"

#include <fstream>
#include <optional>
#include <sstream>

#include "acewriter/ArchiveWriter.h"
#include "acewriter/BuildTime.h"
#include "acewriter/Cp1252.h"
#include "acewriter/FileStamp.h"
#include "acewriter/FolderArchiver.h"
#include "acewriter/WorkFile.h"
#include "contract/CarriedData.h"
#include "contract/ProductFiles.h"
#include "contract/Sha256.h"
#include "setupdesc/PlainDescription.h"
#include "tools/pelmora-pack/ArchiveSettings.h"
#include "tools/pelmora-pack/DescriptionText.h"
#include "tools/pelmora-pack/Manifest.h"
#include "tools/pelmora-pack/ManifestChecks.h"
#include "tools/pelmora-pack/PayloadIndex.h"
#include "tools/pelmora-pack/PeFileVersion.h"
#include "tools/pelmora-pack/WingetManifest.h"

namespace pelmora::pack {

namespace fs = std::filesystem;

namespace {

using contract::kDescriptionFileName;
using contract::kFirstVolumeName;
using contract::kSetupProgramName;
// The setup moves this file of the archive into the Windows folder and
// names it in the Uninstall entry.
using contract::kUninstallerFileName;

// Work files in the setup folder while signing: an uninstaller signed
// before it is packed (its name with this suffix), and the certificates the
// signatures are checked with.
constexpr const char* kSignedWorkSuffix = ".signed.tmp";
constexpr const char* kCertificatesWork = "certificates.pem.tmp";
// The one-file setup before it is signed.
constexpr const char* kUnsignedWorkSuffix = ".unsigned.tmp";

std::string VolumeName(int index);

// Every file "build" writes into the setup folder, finished or as work
// file, in either form (a folder medium or the one setup file named
// `setupFile`): all a folder may hold that the builder replaces. Whatever
// else is in it is somebody's, and a medium built beside it would carry it
// along when the folder is copied to a disc.
std::vector<std::string> MediumFileNames(const std::string& setupFile) {
  std::vector<std::string> names = {kSetupProgramName,
                                    kDescriptionFileName,
                                    std::string(kFirstVolumeName) + ".tmp",
                                    std::string(kUninstallerFileName) + kSignedWorkSuffix,
                                    kCertificatesWork,
                                    setupFile,
                                    setupFile + kUnsignedWorkSuffix,
                                    WingetManifestName(setupFile)};
  for (int i = 0; i < contract::kMostVolumes; ++i) names.push_back(VolumeName(i));
  return names;
}

bool IsMediumFileName(const std::string& name, const std::string& setupFile) {
  for (const std::string& known : MediumFileNames(setupFile))
    if (FoldCase(known) == FoldCase(name)) return true;
  return false;
}

// Removes the files of an earlier medium (or of this run), so that a rebuild
// with fewer volumes, or a folder medium after a one-file one, leaves none
// of the old ones.
void RemoveMediumFiles(const fs::path& out, const std::string& setupFile) {
  std::error_code ec;
  for (const std::string& name : MediumFileNames(setupFile)) fs::remove(out / name, ec);
}

std::optional<std::string> ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return bytes.str();
}

void WriteWhole(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Whether `inner` is `outer` or lies below it.
bool IsInside(const fs::path& inner, const fs::path& outer) {
  std::error_code ec;
  const fs::path a = fs::weakly_canonical(fs::absolute(inner, ec), ec);
  const fs::path b = fs::weakly_canonical(fs::absolute(outer, ec), ec);
  if (ec) return false;
  auto ai = a.begin();
  for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
    if (bi->empty()) continue;  // trailing separator
    if (ai == a.end() || *ai != *bi) return false;
  }
  return true;
}

// A manifest path ('\' or '/' between folders) relative to the manifest's
// folder.
fs::path BesideManifest(const fs::path& manifest, const std::string& cp1252) {
  std::string utf8 = acewriter::Cp1252ToUtf8(cp1252);
  for (char& c : utf8)
    if (c == '\\') c = '/';
  return manifest.parent_path() / fs::path(std::u8string(utf8.begin(), utf8.end()));
}

struct Plan {
  std::string description;  // install.pmd's bytes
  acewriter::ArchiveOptions archive;
  std::string setupVersion;
  std::string product;                       // name and version, Windows-1252
  std::optional<fs::path> addedUninstaller;  // archived in front of the payload
  std::string setupFile;                     // the one file's name, Windows-1252
  std::string program;                       // Install.exe's bytes
  WingetFacts winget;                        // with --winget: all but the file's digest
};

class Planner {
 public:
  explicit Planner(const BuildRequest& request) : r_(request) {}

  Plan Make() {
    Plan plan;
    const std::optional<std::string> manifestText = ReadWhole(r_.manifest);
    Manifest manifest;
    std::vector<std::string> information;
    if (!manifestText) {
      reasons_.push_back("cannot read the manifest " + r_.manifest.string());
    } else {
      ParsedManifest parsed = ParseManifest(*manifestText);
      manifest = std::move(parsed.manifest);
      std::vector<ManifestProblem> problems = std::move(parsed.problems);
      const PayloadIndex payload = IndexPayload(r_.payload);
      for (const std::string& p : payload.problems) reasons_.push_back("payload: " + p);
      for (ManifestProblem& p : CheckManifest(manifest, payload)) problems.push_back(std::move(p));
      plan.archive = ArchiveSettings(manifest, problems);
      plan.addedUninstaller = AddedUninstaller(manifest, payload);
      information = Information(manifest.information, problems);
      plan.product = manifest.productName.text + " " + manifest.productVersion.text;
      if (manifest.setupFile.Given()) plan.setupFile = manifest.setupFile.text;
      if (r_.singleFile && manifest.volumeSize.Given()) {
        usage_ = true;
        reasons_.push_back("--single-file writes one volume, but " + r_.manifest.string() +
                           " line " + std::to_string(manifest.volumeSize.line) +
                           " asks for volumes of " + ForMessage(manifest.volumeSize.text) +
                           ": several volumes are a folder medium (build without --single-file)");
      }
      if (!r_.wingetUrl.empty()) {
        plan.winget = {manifest.support[0].text,
                       manifest.productName.text,
                       manifest.productVersion.text,
                       manifest.uninstallKey.text,
                       r_.wingetUrl,
                       std::string(64, '0')};
        // Tried now with a stand-in digest: a problem is known before
        // anything is written.
        if (const auto written = WingetInstallerManifest(plan.winget);
            const auto* problem = std::get_if<WingetProblem>(&written))
          reasons_.push_back("--winget: " + problem->message);
      }
      for (const ManifestProblem& p : problems)
        reasons_.push_back(r_.manifest.string() + ": " + Describe(p));
    }
    setupFile_ = plan.setupFile = Utf8Name(plan.setupFile);
    plan.setupVersion = SetupVersion(plan.program);
    CheckSigning();
    CheckOutputFolder();
    if (reasons_.empty()) {
      try {
        plan.description =
            setupdesc::EncodeDescription(DescriptionText(manifest, information, plan.setupVersion));
      } catch (const setupdesc::DescriptionFormatError& e) {
        reasons_.push_back(std::string(kDescriptionFileName) +
                           " would not be readable: " + e.what());
      }
    }
    if (!reasons_.empty()) throw BuildRefused(std::move(reasons_), usage_);
    return plan;
  }

 private:
  std::vector<std::string> Information(const ManifestValue& file,
                                       std::vector<ManifestProblem>& problems) {
    if (!file.Given()) return {};
    const fs::path path = BesideManifest(r_.manifest, file.text);
    const std::optional<std::string> text = ReadWhole(path);
    if (!text) {
      problems.push_back({file.line, file.field, "cannot read " + path.string()});
      return {};
    }
    return InformationLines(*text, file, problems);
  }

  std::optional<fs::path> AddedUninstaller(const Manifest& manifest, const PayloadIndex& payload) {
    if (manifest.uninstaller.text == "no") {
      if (r_.uninstallerNamed)
        reasons_.push_back("--uninstaller names " + r_.uninstallerExe.string() + ", but " +
                           r_.manifest.string() + " says uninstaller = no");
      return std::nullopt;
    }
    if (payload.HasFile(kUninstallerFileName)) {
      if (r_.uninstallerNamed)
        reasons_.push_back("--uninstaller names " + r_.uninstallerExe.string() +
                           ", but the payload brings its own " + kUninstallerFileName);
      return std::nullopt;
    }
    std::error_code ec;
    if (!fs::is_regular_file(r_.uninstallerExe, ec)) {
      reasons_.push_back("cannot read the uninstaller " + r_.uninstallerExe.string() +
                         r_.uninstallerOrigin +
                         "; a medium without one: uninstaller = no in [product]");
      return std::nullopt;
    }
    return r_.uninstallerExe;
  }

  // The name as the file system takes it here; a default when none is given.
  static std::string Utf8Name(const std::string& cp1252) {
    return cp1252.empty() ? std::string(kDefaultSetupFileName) : acewriter::Cp1252ToUtf8(cp1252);
  }

  std::string SetupVersion(std::string& bytes) {
    const std::optional<std::string> program = ReadWhole(r_.installExe);
    if (!program) {
      reasons_.push_back("cannot read the setup program " + r_.installExe.string() +
                         r_.installExeOrigin);
      return {};
    }
    bytes = *program;
    const std::span image(reinterpret_cast<const std::uint8_t*>(program->data()), program->size());
    // The carried data must follow the image directly: a signature or
    // anything else already there would end up inside the one file.
    if (r_.singleFile) {
      const std::optional<contract::Overlay> overlay = contract::FindOverlay(image, image.size());
      if (overlay && (overlay->signedFile || overlay->Size() != 0))
        reasons_.push_back(r_.installExe.string() +
                           " is signed or carries data after its image: a one-file setup is "
                           "made from the unsigned program (--sign signs the whole file)");
    }
    try {
      return ReadPeFileVersion(image);
    } catch (const PeFormatError& e) {
      reasons_.push_back(r_.installExe.string() + ": no file version to write into " +
                         kDescriptionFileName + ": " + e.what());
      return {};
    }
  }

  void CheckSigning() {
    if (!r_.signing) return;
    if (std::optional<std::string> why = SigningUnavailable()) reasons_.push_back(std::move(*why));
    std::error_code ec;
    if (!fs::is_regular_file(r_.signing->certificate, ec))
      reasons_.push_back("the certificate " + r_.signing->certificate.string() + " is no file");
  }

  void CheckOutputFolder() {
    std::error_code ec;
    if (fs::exists(r_.out, ec) && !fs::is_directory(r_.out, ec))
      reasons_.push_back(r_.out.string() + " exists and is no folder");
    if (IsInside(r_.out, r_.payload))
      reasons_.push_back("the setup folder " + r_.out.string() +
                         " must not lie inside the payload folder " + r_.payload.string());
    if (fs::exists(r_.out / kSetupProgramName, ec) &&
        fs::equivalent(r_.out / kSetupProgramName, r_.installExe, ec))
      reasons_.push_back(r_.installExe.string() + " is already the setup folder's " +
                         kSetupProgramName);
    if (!fs::is_directory(r_.out, ec)) return;
    for (fs::directory_iterator it(r_.out, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (!IsMediumFileName(name, setupFile_) || !it->is_regular_file(ec))
        reasons_.push_back("the setup folder " + r_.out.string() + " holds " + name +
                           ", which is no file of a medium built there before: build into a "
                           "new or empty folder (an earlier medium's own files are replaced)");
    }
    if (ec)
      reasons_.push_back("cannot list the setup folder " + r_.out.string() + ": " + ec.message());
  }

  const BuildRequest& r_;
  std::vector<std::string> reasons_;
  bool usage_ = false;
  std::string setupFile_;
};

std::string VolumeName(int index) {
  std::string name = kFirstVolumeName;
  name[name.size() - 2] = static_cast<char>('0' + index / 10);
  name[name.size() - 1] = static_cast<char>('0' + index % 10);
  return name;
}

// Removes what a failed run wrote, so that no half medium is mistaken for
// a finished one.
class OutputGuard {
 public:
  OutputGuard(fs::path out, std::string setupFile)
      : out_(std::move(out)), setupFile_(std::move(setupFile)) {
    std::error_code ec;
    createdFolder_ = !fs::exists(out_, ec);
  }
  ~OutputGuard() {
    if (done_) return;
    std::error_code ec;
    RemoveMediumFiles(out_, setupFile_);
    if (createdFolder_) fs::remove(out_, ec);  // only when empty
  }
  OutputGuard(const OutputGuard&) = delete;
  OutputGuard& operator=(const OutputGuard&) = delete;
  void Done() { done_ = true; }

 private:
  fs::path out_;
  std::string setupFile_;
  bool createdFolder_ = false;
  bool done_ = false;
};

// The top-level payload files that Windows takes for the uninstaller, by
// their member names: the setup moves the one it extracts into the Windows
// folder whatever the case of its name. Usually one; none when the builder
// adds its own.
std::vector<std::string> PayloadUninstallers(const fs::path& payload) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(payload, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (FoldCase(name) == FoldCase(kUninstallerFileName) && it->is_regular_file(ec))
      names.push_back(name);
  }
  return names;
}

// The setup program with the description and the archive carried after its
// image, the way contract/CarriedData.h lays them out.
std::string OneFileSetup(const std::string& program, const std::string& description,
                         const std::string& archive) {
  std::string setup = program;
  setup.append(contract::CarriedPadding(program.size(), description.size(), archive.size()), '\0');
  const std::string head = contract::CarriedTrailerHead(description.size(), archive.size());
  contract::Sha256 digest;
  digest.Add(description);
  digest.Add(archive);
  digest.Add(head);
  setup += description;
  setup += archive;
  setup += contract::CarriedTrailer(description.size(), archive.size(), digest.Finish());
  return setup;
}

// The archive's bytes, all volumes together.
std::uint64_t VolumeBytes(const std::vector<std::string>& volumes) {
  std::uint64_t bytes = 0;
  for (const std::string& volume : volumes) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(fs::path(volume), ec);
    if (!ec) bytes += size;
  }
  return bytes;
}

}  // namespace

std::string WingetManifestName(const std::string& setupFile) {
  const std::size_t dot = setupFile.rfind('.');
  return (dot == std::string::npos ? setupFile : setupFile.substr(0, dot)) + ".installer.yaml";
}

BuildRefused::BuildRefused(std::vector<std::string> why, bool usageError)
    : std::runtime_error(why.empty() ? "the medium cannot be built" : why.front()),
      reasons(std::move(why)),
      usage(usageError) {}

BuildReport BuildMedium(const BuildRequest& request, acewriter::ProgressMeter& progress) {
  const Plan plan = Planner(request).Make();
  const acewriter::FolderSurvey payload = acewriter::SurveyFolder(request.payload);
  const std::int64_t buildTime = acewriter::BuildTime(request.sourceDateEpoch, payload.newestFile);

  OutputGuard guard(request.out, plan.setupFile);
  RemoveMediumFiles(request.out, plan.setupFile);
  std::error_code ec;
  fs::create_directories(request.out, ec);
  if (ec) throw std::runtime_error("cannot create " + request.out.string() + ": " + ec.message());

  // Each signature is checked as soon as it is made: a medium whose setup
  // or uninstaller Windows would not trust is not finished.
  std::optional<acewriter::WorkFile> certificates;
  const auto signChecked = [&](const fs::path& program, const fs::path& signedCopy,
                               const char* name) {
    SignProgram(program, signedCopy, *request.signing, buildTime);
    VerifySignature(signedCopy, std::string(name) + " (signed from " + program.string() + ")",
                    certificates->Path());
  };
  if (request.signing) {
    certificates.emplace((request.out / kCertificatesWork).string());
    ExportCertificates(*request.signing, certificates->Path());
  }

  BuildReport report;
  report.setupVersion = plan.setupVersion;
  report.product = ForMessage(plan.product);
  acewriter::ArchiveOptions options = plan.archive;
  acewriter::DateArchive(options, request.sourceDateEpoch, payload.newestFile);
  std::uint64_t total = payload.bytes;
  // The uninstaller is signed before it is packed; the archive records the
  // original's time, not the moment of signing.
  std::optional<acewriter::WorkFile> signedUninstaller;
  fs::path carriedUninstaller;
  if (plan.addedUninstaller) {
    carriedUninstaller = *plan.addedUninstaller;
    if (request.signing) {
      signedUninstaller.emplace(
          (request.out / (std::string(kUninstallerFileName) + kSignedWorkSuffix)).string());
      signChecked(*plan.addedUninstaller, signedUninstaller->Path(), kUninstallerFileName);
      carriedUninstaller = signedUninstaller->Path();
    }
    const std::uintmax_t size = fs::file_size(carriedUninstaller, ec);
    if (!ec) total += size;
  }
  // One that the payload brings is started elevated all the same, so it is
  // signed too: a signed copy is packed in its place, under its name and
  // time, and the payload folder is left as it is.
  std::vector<acewriter::WorkFile> signedPayloadFiles;
  acewriter::ContentSubstitutes readInstead;
  if (request.signing) {
    for (const std::string& name : PayloadUninstallers(request.payload)) {
      const fs::path original = request.payload / name;
      const acewriter::WorkFile& work =
          signedPayloadFiles.emplace_back((request.out / (name + kSignedWorkSuffix)).string());
      signChecked(original, work.Path(), name.c_str());
      readInstead[name] = work.Path();
      const std::uintmax_t before = fs::file_size(original, ec);
      const std::uintmax_t after = ec ? 0 : fs::file_size(work.Path(), ec);
      if (!ec) total = total - before + after;
    }
  }
  progress.SetTotal(total);
  acewriter::ArchiveWriter writer((request.out / kFirstVolumeName).string(), options);
  writer.OnBytesRead([&progress](std::uint64_t bytes) { progress.Add(bytes); });
  // The uninstaller first: a setup cancelled or failing part way has it by
  // then, so that it can still register what it did and it can be removed.
  if (plan.addedUninstaller) {
    report.bytes += writer.AddFileFromDisk(kUninstallerFileName, carriedUninstaller,
                                           acewriter::ReadFileStamp(*plan.addedUninstaller));
    ++report.files;
  }
  const acewriter::FolderArchiveReport archived =
      acewriter::ArchiveFolder(request.payload, writer, {}, readInstead);
  report.files += archived.files;
  report.bytes += archived.bytes;
  report.volumes = writer.Finish().volumes;
  report.archiveBytes = VolumeBytes(report.volumes);

  if (request.singleFile) {
    const fs::path setup = request.out / plan.setupFile;
    const fs::path archive = request.out / kFirstVolumeName;
    const std::optional<std::string> archiveBytes = ReadWhole(archive);
    if (!archiveBytes) throw std::runtime_error("cannot read back " + archive.string());
    const fs::path unsignedSetup =
        request.signing ? request.out / (plan.setupFile + kUnsignedWorkSuffix) : setup;
    WriteWhole(unsignedSetup, OneFileSetup(plan.program, plan.description, *archiveBytes));
    // A program, as the setup program it is made from.
    fs::permissions(unsignedSetup, fs::status(request.installExe, ec).permissions(), ec);
    fs::remove(archive, ec);
    if (request.signing) {
      signChecked(unsignedSetup, setup, plan.setupFile.c_str());
      fs::remove(unsignedSetup, ec);
    }
    report.setupFile = plan.setupFile;
    if (!request.wingetUrl.empty()) {
      const std::optional<std::string> finished = ReadWhole(setup);
      if (!finished) throw std::runtime_error("cannot read back " + setup.string());
      WingetFacts facts = plan.winget;
      facts.sha256 = contract::Sha256Hex(*finished);
      report.wingetManifest = WingetManifestName(plan.setupFile);
      WriteWhole(request.out / report.wingetManifest,
                 std::get<std::string>(WingetInstallerManifest(facts)));
    }
    guard.Done();
    return report;
  }

  const fs::path program = request.out / kSetupProgramName;
  if (request.signing) {
    signChecked(request.installExe, program, kSetupProgramName);
  } else {
    fs::copy_file(request.installExe, program, fs::copy_options::overwrite_existing, ec);
    if (ec)
      throw std::runtime_error("cannot copy " + request.installExe.string() + " to " +
                               program.string() + ": " + ec.message());
  }
  WriteWhole(request.out / kDescriptionFileName, plan.description);
  guard.Done();
  return report;
}

}  // namespace pelmora::pack
