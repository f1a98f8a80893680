#include "install/SetupSwitches.h"

#include "contract/AnsiText.h"

namespace pelmora::install {
namespace {

constexpr std::string_view kBlanks = " \t";

using contract::Reason;
using contract::Refusal;

bool IsBlank(char c) { return kBlanks.find(c) != std::string_view::npos; }

std::string_view WithoutTrailingBlanks(std::string_view text) {
  const std::size_t last = text.find_last_not_of(kBlanks);
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

// A value as written after its "=": quoted whole, or without any quote.
// Nothing for an empty value or a quote anywhere else.
std::optional<std::string> Unquoted(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  if (value.empty() || value.find('"') != std::string_view::npos) return std::nullopt;
  return std::string(value);
}

// Whether `word` is a /D= whose folder is not quoted: it takes the rest of
// the line, blanks and all.
bool IsOpenFolderSwitch(std::string_view word) {
  return contract::UpperAnsi(word.substr(0, 3)) == "/D=" && !word.substr(3).starts_with('"');
}

// The next word of `rest` (which starts with no blank), as written, and
// `rest` left behind it. A word ends at a blank outside quotes; an unquoted
// /D= takes the rest of the line. False for an unclosed quote.
bool TakeWord(std::string_view& rest, std::string_view& word) {
  std::size_t end = 0;
  if (IsOpenFolderSwitch(rest)) {
    end = rest.size();
  } else {
    bool quoted = false;
    for (; end < rest.size() && (quoted || !IsBlank(rest[end])); ++end)
      if (rest[end] == '"') quoted = !quoted;
    if (quoted) {
      word = WithoutTrailingBlanks(rest);
      return false;
    }
  }
  word = WithoutTrailingBlanks(rest.substr(0, end));
  rest.remove_prefix(end);
  return true;
}

}  // namespace

std::variant<SetupSwitches, Refusal> ParseSetupSwitches(std::string_view arguments) {
  SetupSwitches switches;
  std::string_view rest = arguments;
  while (true) {
    const std::size_t start = rest.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    std::string_view written;
    const bool closed = TakeWord(rest, written);
    const Refusal refused(Reason::UnknownSwitch, std::string(written));
    if (!closed) return refused;
    // A switch quoted whole, as programs that start others quote an
    // argument with blanks: "/D=C:\Program Files\Tool".
    std::string_view word = written;
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"')
      word = word.substr(1, word.size() - 2);
    const std::string upper = contract::UpperAnsi(word);

    std::optional<std::string>* valued = upper.starts_with("/D=")     ? &switches.target
                                         : upper.starts_with("/LOG=") ? &switches.logFile
                                         : upper.starts_with("/PASSWORDFILE=")
                                             ? &switches.passwordFile
                                             : nullptr;
    if (valued) {
      if (*valued) return refused;
      *valued = Unquoted(WithoutTrailingBlanks(word.substr(word.find('=') + 1)));
      if (!*valued) return refused;
      continue;
    }
    bool* flag = upper == "/S"           ? &switches.silent
                 : upper == "/SP"        ? &switches.progressOnly
                 : upper == "/DOWNGRADE" ? &switches.downgrade
                                         : nullptr;
    if (!flag || *flag) return refused;
    *flag = true;
    if (switches.silent && switches.progressOnly) return refused;
  }
  return switches;
}

bool AsksForNoWindows(std::string_view arguments) {
  std::string_view rest = arguments;
  while (true) {
    const std::size_t start = rest.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) return false;
    rest.remove_prefix(start);
    const std::size_t end = std::min(rest.find_first_of(kBlanks), rest.size());
    std::string word = contract::UpperAnsi(rest.substr(0, end));
    if (IsOpenFolderSwitch(word)) return false;
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"')
      word = word.substr(1, word.size() - 2);
    if (word == "/S" || word == "/SP") return true;
    rest.remove_prefix(end);
  }
}

std::string UsageText(const contract::Refusal& refusal, bool english) {
  if (english)
    return "Unknown or malformed switch: " + refusal.detail +
           "\n\nUsage: Install.exe [/S | /SP] [/LOG=<file>] [/PASSWORDFILE=<file>] [/DOWNGRADE] "
           "[/D=<folder>]\n\n/S installs without any window, /SP shows only the installation's "
           "progress; /D= without quotes comes last and takes the rest of the line.";
  return "Unbekannter oder fehlerhafter Schalter: " + refusal.detail +
         "\n\nAufruf: Install.exe [/S | /SP] [/LOG=<Datei>] [/PASSWORDFILE=<Datei>] [/DOWNGRADE] "
         "[/D=<Ordner>]\n\n/S installiert ohne jedes Fenster, /SP zeigt nur den Fortschritt der "
         "Installation; /D= ohne Anführungszeichen steht zuletzt und nimmt den Rest der Zeile.";
}

}  // namespace pelmora::install
