#include "unace/archive/VolumeNames.h"

#include <cctype>

namespace unace::archive {
namespace {

bool IsDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

NextVolumeNames NextVolumeNameFor(const std::string& currentPath) {
  const std::size_t lastSeparator = currentPath.find_last_of("\\/:");
  const std::size_t dot = currentPath.rfind('.');
  const bool hasExtension =
      dot != std::string::npos && (lastSeparator == std::string::npos || dot > lastSeparator);
  const std::string stem = hasExtension ? currentPath.substr(0, dot) : currentPath;
  const std::string extension = hasExtension ? currentPath.substr(dot + 1) : std::string();

  unsigned number = 0;
  if (extension.size() >= 3 && extension.size() <= 6 && (extension[0] == 'c' || extension[0] == 'C') && IsDigits(extension.substr(1)))
    number = static_cast<unsigned>(std::stoul(extension.substr(1))) + 1;

  std::string digits = std::to_string(number);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  return {stem + ".c" + digits, stem + ".C" + digits};
}

}  // namespace unace::archive
