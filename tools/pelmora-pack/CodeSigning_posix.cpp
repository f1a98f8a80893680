#include "tools/pelmora-pack/CodeSigning.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
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

}  // namespace

std::optional<std::string> SigningUnavailable() {
  if (!FindOnPath(kSigningTool).empty()) return std::nullopt;
  return std::string(kSigningTool) +
         " was not found on PATH (Debian package osslsigncode); it signs Install.exe";
}

void SignProgram(const std::filesystem::path& program, const std::filesystem::path& signedCopy,
                 const SigningRequest& request) {
  const std::filesystem::path tool = FindOnPath(kSigningTool);
  if (tool.empty()) throw std::runtime_error(SigningUnavailable().value_or(kSigningTool));
  if (request.password.size() > kMaxPasswordBytes)
    throw std::runtime_error("the certificate's password is longer than " +
                             std::to_string(kMaxPasswordBytes) + " bytes");
  std::error_code ignored;
  std::filesystem::remove(signedCopy, ignored);  // the tool refuses to overwrite
  const ToolRun run = Run(tool,
                          {"sign", "-pkcs12", request.certificate.string(), "-readpass",
                           "/dev/stdin", "-in", program.string(), "-out", signedCopy.string()},
                          request.password);
  if (run.status != 0) {
    std::filesystem::remove(signedCopy, ignored);
    throw std::runtime_error("signing " + program.string() + " with " +
                             request.certificate.string() + " failed: " + kSigningTool +
                             " says: " + run.output);
  }
}

}  // namespace pelmora::pack
