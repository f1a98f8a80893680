#include "contract/CommandLine.h"

#include "contract/AnsiText.h"

namespace pelmora::contract {
namespace {

constexpr std::string_view kBlanks = " \t";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Where a blank and "/" begin a switch, or npos.
std::size_t SwitchStart(std::string_view text) {
  for (std::size_t at = 1; at < text.size(); ++at)
    if (text[at] == '/' && IsBlank(text[at - 1])) return at;
  return std::string_view::npos;
}

// The first ".exe" followed by a blank ends the program, else the first blank.
std::size_t ExeOrBlankEnd(std::string_view line) {
  const std::string upper = UpperAnsi(line);
  for (std::size_t at = upper.find(".EXE"); at != std::string::npos;
       at = upper.find(".EXE", at + 1)) {
    const std::size_t end = at + 4;
    if (end == line.size() || IsBlank(line[end])) return end;
  }
  const std::size_t blank = line.find_first_of(kBlanks);
  return blank == std::string_view::npos ? line.size() : blank;
}

std::size_t UnquotedProgramEnd(std::string_view line) {
  // No path holds a quote: a quoted argument starts after the program, even
  // when a folder on the program's way has ".exe " in its name.
  const std::size_t quote = line.find('"');
  const std::size_t switchAt = SwitchStart(line.substr(0, quote));
  if (switchAt == std::string_view::npos)
    return quote != std::string_view::npos ? quote : ExeOrBlankEnd(line);
  // Nor does a name begin with "/": before the first switch stands the
  // program, or the program and an unquoted path.
  const std::string_view head = TrimBlanks(line.substr(0, switchAt));
  if (head.size() >= 4 && EqualsIgnoreCaseAnsi(head.substr(head.size() - 4), ".exe"))
    return head.size();
  return ExeOrBlankEnd(head);
}

// The program's path into `program`; returns the rest of the line.
std::string_view SplitProgram(std::string_view line, std::string& program) {
  line = TrimBlanks(line);
  if (line.starts_with('"')) {
    const std::size_t close = line.find('"', 1);
    program = std::string(line.substr(1, close == std::string_view::npos ? close : close - 1));
    return close == std::string_view::npos ? std::string_view() : line.substr(close + 1);
  }
  const std::size_t end = UnquotedProgramEnd(line);
  program = std::string(TrimBlanks(line.substr(0, end)));
  return line.substr(end);
}

// Text up to the closing quote (or the end), which `text` starts after;
// `text` moves past the closing quote.
std::string_view TakeQuoted(std::string_view& text) {
  const std::size_t close = text.find('"');
  const std::string_view inside = text.substr(0, close);
  text = close == std::string_view::npos ? std::string_view() : text.substr(close + 1);
  return inside;
}

// The next word of the rest of the line, its quotes taken away; `rest`
// moves past it. A switch ends at a blank, a quoted part of it (a value
// after "=") included; an unquoted path where a switch begins.
std::string TakeWord(std::string_view& rest) {
  if (rest.starts_with('"')) {
    rest.remove_prefix(1);
    return std::string(TakeQuoted(rest));
  }
  std::string word;
  if (rest.starts_with('/')) {
    while (!rest.empty() && !IsBlank(rest.front())) {
      const char c = rest.front();
      rest.remove_prefix(1);
      if (c == '"')
        word += TakeQuoted(rest);
      else
        word += c;
    }
    return word;
  }
  const std::size_t end = SwitchStart(rest);
  word = TrimBlanks(rest.substr(0, end));
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
  return word;
}

}  // namespace

CommandLine SplitCommandLine(std::string_view line) {
  CommandLine result;
  std::string_view rest = TrimBlanks(SplitProgram(line, result.program));
  if (rest.starts_with('"')) {
    rest.remove_prefix(1);
    rest = TakeQuoted(rest);
  }
  result.argument = std::string(rest);
  return result;
}

UninstallerCall ParseUninstallerCall(std::string_view line) {
  UninstallerCall call;
  std::string program;
  std::string_view rest = SplitProgram(line, program);
  bool pathGiven = false;
  for (rest = TrimBlanks(rest); !rest.empty(); rest = TrimBlanks(rest)) {
    std::string word = TakeWord(rest);
    bool understood = true;
    if (!word.starts_with('/')) {
      understood = !pathGiven;
      if (understood) call.protocol = std::move(word);
      pathGiven = true;
    } else if (EqualsIgnoreCaseAnsi(word, kSilentSwitch)) {
      call.silent = true;
    } else if (word.size() > kLogSwitch.size() &&
               EqualsIgnoreCaseAnsi(std::string_view(word).substr(0, kLogSwitch.size()),
                                    kLogSwitch) &&
               call.logFile.empty()) {
      call.logFile = word.substr(kLogSwitch.size());
    } else {
      understood = false;
    }
    if (!understood && !call.misuse) call.misuse = Refusal(Reason::UnknownSwitch, word);
  }
  return call;
}

}  // namespace pelmora::contract
