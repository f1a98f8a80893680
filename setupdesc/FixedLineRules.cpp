#include "setupdesc/FixedLineRules.h"

namespace pelmora::setupdesc {

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "\\server\share", with both parts present. The device namespaces "\\.\"
// and "\\?\" are no network shares.
bool IsUncPath(std::string_view path) {
  if (path.substr(0, 2) != "\\\\") return false;
  const std::string_view rest = path.substr(2);
  const std::size_t serverEnd = rest.find('\\');
  if (serverEnd == std::string_view::npos || serverEnd == 0) return false;
  const std::string_view server = rest.substr(0, serverEnd);
  if (server == "." || server == "?") return false;
  const std::string_view share = rest.substr(serverEnd + 1);
  return !share.empty() && share.front() != '\\';
}

}  // namespace

bool NamesUninstallSubkey(std::string_view keyName) {
  return keyName.find_first_not_of("\\ \t") != std::string_view::npos;
}

bool IsAbsoluteDirectory(std::string_view path) {
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\') return true;
  return IsUncPath(path);
}

}  // namespace pelmora::setupdesc
