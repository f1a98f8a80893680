#include "contract/CommandLine.h"

#include "contract/AnsiText.h"

namespace pelmora::contract {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::size_t UnquotedProgramEnd(std::string_view line) {
  // No path holds a quote: a quoted argument starts after the program, even
  // when a folder on the program's way has ".exe " in its name.
  const std::size_t quote = line.find('"');
  if (quote != std::string_view::npos) return quote;
  const std::string upper = UpperAnsi(line);
  for (std::size_t at = upper.find(".EXE"); at != std::string::npos;
       at = upper.find(".EXE", at + 1)) {
    const std::size_t end = at + 4;
    if (end == line.size() || kBlanks.find(line[end]) != std::string_view::npos) return end;
  }
  const std::size_t blank = line.find_first_of(kBlanks);
  return blank == std::string_view::npos ? line.size() : blank;
}

}  // namespace

CommandLine SplitCommandLine(std::string_view line) {
  line = TrimBlanks(line);
  CommandLine result;
  std::string_view rest;
  if (line.starts_with('"')) {
    const std::size_t close = line.find('"', 1);
    result.program =
        std::string(line.substr(1, close == std::string_view::npos ? close : close - 1));
    rest = close == std::string_view::npos ? std::string_view() : line.substr(close + 1);
  } else {
    const std::size_t end = UnquotedProgramEnd(line);
    result.program = std::string(TrimBlanks(line.substr(0, end)));
    rest = line.substr(end);
  }
  rest = TrimBlanks(rest);
  if (rest.starts_with('"')) {
    const std::size_t close = rest.find('"', 1);
    rest = rest.substr(1, close == std::string_view::npos ? close : close - 1);
  }
  result.argument = std::string(rest);
  return result;
}

}  // namespace pelmora::contract
