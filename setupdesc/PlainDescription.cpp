#include "setupdesc/PlainDescription.h"

#include <optional>
#include <vector>

#include "setupdesc/Scramble.h"
#include "setupdesc/SetupDescReader.h"

namespace pelmora::setupdesc {

namespace {

// Walks the lines as the reader would, to learn whether they form a valid
// description and which line the reader takes unscrambled.
std::optional<std::size_t> RawLineOf(std::string_view bytes, bool alreadyPlain) {
  SetupDescription scratch;
  ReaderOptions options;
  options.checkVersion = false;
  options.damageTexts = &kEnglishDamage;  // only the authoring tools read plain text
  if (alreadyPlain) options.decodeLine = [](std::string_view line) { return std::string(line); };
  const ReadResult result = ReadSetupDescription(std::string(bytes), scratch, options);
  if (result.outcome != ReadOutcome::Read) throw DescriptionFormatError(result.message);
  return result.rawLineIndex;
}

bool HasLineBreak(std::string_view text) {
  return text.find('\r') != std::string_view::npos || text.find('\n') != std::string_view::npos;
}

std::string JoinWithCrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

}  // namespace

std::string EncodeDescription(std::string_view plain) {
  std::vector<std::string> lines = SplitLines(plain);
  const std::optional<std::size_t> raw = RawLineOf(plain, /*alreadyPlain=*/true);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (raw && *raw == i) {
      if (HasLineBreak(lines[i]))
        throw DescriptionFormatError("line " + std::to_string(i + 1) +
                                     " contains a carriage return");
      continue;
    }
    std::string stored = Scramble(lines[i], kDescriptionSeed);
    // Control characters 1..12 can be shifted onto CR or LF and would split
    // the line when read back.
    if (HasLineBreak(lines[i]) || HasLineBreak(stored))
      throw DescriptionFormatError("line " + std::to_string(i + 1) +
                                   " contains a control character that cannot be stored");
    lines[i] = std::move(stored);
  }
  return JoinWithCrLf(lines);
}

std::string DecodeDescription(std::string_view pmd) {
  std::vector<std::string> lines = SplitLines(pmd);
  const std::optional<std::size_t> raw = RawLineOf(pmd, /*alreadyPlain=*/false);
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (!(raw && *raw == i)) lines[i] = Unscramble(lines[i], kDescriptionSeed);
  return JoinWithCrLf(lines);
}

}  // namespace pelmora::setupdesc
