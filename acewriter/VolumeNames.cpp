#include "acewriter/VolumeNames.h"

#include <stdexcept>

namespace acewriter {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string NextVolumeName(const std::string& current) {
  const std::size_t nameStart = current.find_last_of("/\\") == std::string::npos
                                    ? 0
                                    : current.find_last_of("/\\") + 1;
  const std::size_t dot = current.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot >= nameStart;
  if (!hasExtension) return current + ".c00";

  const std::string extension = current.substr(dot + 1);
  const bool numbered = extension.size() == 3 && (extension[0] == 'c' || extension[0] == 'C') &&
                        IsDigit(extension[1]) && IsDigit(extension[2]);
  if (!numbered) return current.substr(0, dot) + ".c00";

  const int number = (extension[1] - '0') * 10 + (extension[2] - '0');
  if (number >= 99)
    throw std::out_of_range("no volume may follow " + current + " (the last is .c99)");
  const int next = number + 1;
  std::string result = current.substr(0, dot + 2);  // keeps the letter's case
  result += static_cast<char>('0' + next / 10);
  result += static_cast<char>('0' + next % 10);
  return result;
}

}  // namespace acewriter
