#include "tools/pelmora-pack/CodeSigning.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace pelmora::pack {

namespace {

std::filesystem::path FindOnPath(const std::string& name) {
  const char* variable = std::getenv("PATH");
  const std::string path = variable ? variable : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    const std::string dir = path.substr(start, end - start);
    const std::filesystem::path candidate = std::filesystem::path(dir.empty() ? "." : dir) / name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// Closes what it holds when it goes out of scope.
class Pipe {
 public:
  Pipe() {
    if (::pipe(ends_) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  int Read() const { return ends_[0]; }
  int Write() const { return ends_[1]; }
  void CloseRead() { Close(ends_[0]); }
  void CloseWrite() { Close(ends_[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  int ends_[2] = {-1, -1};
};

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* Get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// Well below a pipe's buffer (see Run).
constexpr std::size_t kMaxPasswordBytes = 1024;

struct ToolRun {
  int status;
  std::string output;
};

// Runs the tool with `input` on its standard input (the password never
// appears on a command line, where other users could read it, nor in a
// file) and collects what it prints. The tool reads it as the file
// /dev/stdin: Debian 12's osslsigncode knows no "-readpass -".
ToolRun Run(const std::filesystem::path& tool, const std::vector<std::string>& args,
            const std::string& input) {
  Pipe in, out;
  // Written before the tool starts: a password is far smaller than a pipe's
  // buffer, and a tool that ends without reading cannot break the write.
  const ssize_t written = ::write(in.Write(), input.data(), input.size());
  in.CloseWrite();
  SpawnActions actions;
  posix_spawn_file_actions_adddup2(actions.Get(), in.Read(), 0);
  posix_spawn_file_actions_adddup2(actions.Get(), out.Write(), 1);
  posix_spawn_file_actions_adddup2(actions.Get(), out.Write(), 2);
  posix_spawn_file_actions_addclose(actions.Get(), out.Read());
  std::vector<char*> argv;
  std::string toolText = tool.string();
  argv.push_back(toolText.data());
  std::vector<std::string> copies = args;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned =
      ::posix_spawn(&pid, toolText.c_str(), actions.Get(), nullptr, argv.data(), environ);
  if (spawned != 0)
    throw std::runtime_error("cannot start " + toolText + ": " + std::strerror(spawned));
  in.CloseRead();
  out.CloseWrite();
  ToolRun run{-1, {}};
  char buffer[4096];
  for (ssize_t n; (n = ::read(out.Read(), buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    run.output.append(buffer, static_cast<std::size_t>(n));
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (written != static_cast<ssize_t>(input.size()) && run.status == 0) run.status = -1;
  return run;
}

std::filesystem::path Tool(const char* name) {
  const std::filesystem::path tool = FindOnPath(name);
  if (tool.empty()) throw std::runtime_error(SigningUnavailable().value_or(name));
  return tool;
}

// The tool's version as major * 100 + minor (2.9: 209), from the first line
// of its --version ("osslsigncode 2.9, using:"); 0 when it does not say.
int ToolVersion(const std::filesystem::path& tool) {
  const std::string output = Run(tool, {"--version"}, "").output;
  const std::string name = std::string(kSigningTool) + " ";
  const std::size_t at = output.find(name);
  if (at == std::string::npos) return 0;
  std::istringstream number(output.substr(at + name.size()));
  int major = 0, minor = 0;
  char dot = 0;
  if (!(number >> major >> dot >> minor) || dot != '.') return 0;
  return major * 100 + minor;
}

void CheckPassword(const SigningRequest& request) {
  if (request.password.size() > kMaxPasswordBytes)
    throw std::runtime_error("the certificate's password is longer than " +
                             std::to_string(kMaxPasswordBytes) + " bytes");
}

}  // namespace

std::optional<std::string> SigningUnavailable() {
  if (FindOnPath(kSigningTool).empty())
    return std::string(kSigningTool) +
           " was not found on PATH (Debian package osslsigncode); it signs Install.exe and the "
           "uninstaller";
  if (FindOnPath(kCertificateTool).empty())
    return std::string(kCertificateTool) +
           " was not found on PATH (Debian package openssl); it reads the certificate that the "
           "signatures are checked with";
  return std::nullopt;
}

void SignProgram(const std::filesystem::path& program, const std::filesystem::path& signedCopy,
                 const SigningRequest& request, std::int64_t signingTime) {
  const std::filesystem::path tool = Tool(kSigningTool);
  CheckPassword(request);
  std::error_code ignored;
  std::filesystem::remove(signedCopy, ignored);  // the tool refuses to overwrite
  // An empty standard input is no password to the tools but a read error;
  // a certificate exported without a password is opened with an empty one.
  std::vector<std::string> args = {"sign", "-pkcs12", request.certificate.string()};
  if (request.password.empty())
    args.insert(args.end(), {"-pass", ""});
  else
    args.insert(args.end(), {"-readpass", "/dev/stdin"});
  args.insert(args.end(), {"-time", std::to_string(signingTime)});
  if (!request.timestampUrl.empty()) {
    args.push_back("-ts");
    args.push_back(request.timestampUrl);
  }
  args.insert(args.end(), {"-in", program.string(), "-out", signedCopy.string()});
  const ToolRun run = Run(tool, args, request.password);
  if (run.status != 0) {
    std::filesystem::remove(signedCopy, ignored);
    throw std::runtime_error(
        "signing " + program.string() + " with " + request.certificate.string() +
        (request.timestampUrl.empty() ? "" : " and a timestamp from " + request.timestampUrl) +
        " failed: " + kSigningTool + " says: " + run.output);
  }
}

void ExportCertificates(const SigningRequest& request, const std::filesystem::path& anchors) {
  const std::filesystem::path tool = Tool(kCertificateTool);
  CheckPassword(request);
  const std::vector<std::string> args = {
      "pkcs12",  "-in",           request.certificate.string(),
      "-nokeys", "-passin",       request.password.empty() ? "pass:" : "stdin",
      "-out",    anchors.string()};
  ToolRun run = Run(tool, args, request.password);
  if (run.status != 0) {
    // A .pfx of older tools is encrypted in ways OpenSSL 3 reads only with
    // its legacy provider; osslsigncode loads that itself.
    std::vector<std::string> legacy = args;
    legacy.push_back("-legacy");
    const ToolRun second = Run(tool, legacy, request.password);
    if (second.status == 0) return;
    throw std::runtime_error("cannot read the certificates of " + request.certificate.string() +
                             ": " + kCertificateTool + " says: " + run.output);
  }
}

void VerifySignature(const std::filesystem::path& program, const std::string& shownAs,
                     const std::filesystem::path& anchors) {
  const std::filesystem::path tool = Tool(kSigningTool);
  std::vector<std::string> args = {"verify", "-CAfile", anchors.string()};
  // The check is the signature and its chain up to the packager's
  // certificates. From 2.8 on, verify also fetches the revocation lists
  // that the certificate's distribution points name, and fails when one
  // cannot be had; Debian 12's 2.5 knows neither that nor the options that
  // turn it off. Turned off, a build needs no CA's server (no network but
  // for a timestamp) and passes or fails alike with either. 2.9's
  // -ignore-cdp alone still wants the lists as files; -ignore-crl drops them.
  const int version = ToolVersion(tool);
  if (version >= 208) args.push_back("-ignore-cdp");
  if (version >= 209) args.push_back("-ignore-crl");
  args.insert(args.end(), {"-in", program.string()});
  const ToolRun run = Run(tool, args, "");
  if (run.status != 0)
    throw std::runtime_error("the signature of " + shownAs +
                             " does not verify with the packager's certificate: " + kSigningTool +
                             " says: " + run.output);
}

}  // namespace pelmora::pack
