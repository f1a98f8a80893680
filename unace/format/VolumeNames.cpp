#include "unace/format/VolumeNames.h"

namespace pelmora::unace::format {
namespace {

constexpr int kLastVolumeNumber = 99;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Numbered(const std::string& stem, char letter, int number) {
  std::string name = stem + '.' + letter;
  name += static_cast<char>('0' + number / 10);
  name += static_cast<char>('0' + number % 10);
  return name;
}

char OtherCase(char letter) { return letter == 'c' ? 'C' : 'c'; }

}  // namespace

std::optional<NextVolumeName> NextVolumeNameAfter(const std::string& currentPath) {
  const std::size_t lastSeparator = currentPath.find_last_of("\\/:");
  const std::size_t nameStart = lastSeparator == std::string::npos ? 0 : lastSeparator + 1;
  const std::size_t dot = currentPath.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot >= nameStart;
  const std::string stem = hasExtension ? currentPath.substr(0, dot) : currentPath;
  const std::string extension = hasExtension ? currentPath.substr(dot + 1) : std::string();

  const bool numbered = extension.size() == 3 && (extension[0] == 'c' || extension[0] == 'C') &&
                        IsDigit(extension[1]) && IsDigit(extension[2]);
  if (!numbered) return NextVolumeName{Numbered(stem, 'c', 0), Numbered(stem, 'C', 0)};

  const int number = (extension[1] - '0') * 10 + (extension[2] - '0');
  if (number >= kLastVolumeNumber) return std::nullopt;
  const char letter = extension[0];
  return NextVolumeName{Numbered(stem, letter, number + 1),
                        Numbered(stem, OtherCase(letter), number + 1)};
}

}  // namespace pelmora::unace::format
