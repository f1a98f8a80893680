#include "contract/AnsiText.h"

namespace pelmora::contract {

char UpperAnsi(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 0x20);
  // Latin-1 lower-case block; 0xF7 is the division sign, not a letter.
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<char>(b - 0x20);
  switch (b) {
    case 0x9A:
      return static_cast<char>(0x8A);  // š
    case 0x9C:
      return static_cast<char>(0x8C);  // œ
    case 0x9E:
      return static_cast<char>(0x8E);  // ž
    case 0xFF:
      return static_cast<char>(0x9F);  // ÿ
    default:
      return c;
  }
}

std::string UpperAnsi(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = UpperAnsi(c);
  return result;
}

bool EqualsIgnoreCaseAnsi(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperAnsi(a[i]) != UpperAnsi(b[i])) return false;
  return true;
}

std::string TrimBlanksAndControls(std::string_view text) {
  auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && isBlank(text[first])) ++first;
  while (last > first && isBlank(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

}  // namespace pelmora::contract
