#include "install/SetupSwitches.h"

#include "contract/AnsiText.h"

namespace pelmora::install {
namespace {

constexpr std::string_view kBlanks = " \t";

using contract::Reason;
using contract::Refusal;

// The value of a switch that takes one, from just after its "=": quoted (to
// the closing quote, which must end the word) or up to the next blank.
// `rest` is left after the value. Nothing for an empty or unclosed value.
std::optional<std::string> TakeValue(std::string_view& rest) {
  std::string_view value;
  if (rest.starts_with('"')) {
    const std::size_t close = rest.find('"', 1);
    if (close == std::string_view::npos) return std::nullopt;
    value = rest.substr(1, close - 1);
    rest.remove_prefix(close + 1);
    if (!rest.empty() && kBlanks.find(rest.front()) == std::string_view::npos) return std::nullopt;
  } else {
    const std::size_t end = std::min(rest.find_first_of(kBlanks), rest.size());
    value = rest.substr(0, end);
    rest.remove_prefix(end);
    // A quote inside an unquoted value is a mistyped quoting, not a name.
    if (value.find('"') != std::string_view::npos) return std::nullopt;
  }
  if (value.empty()) return std::nullopt;
  return std::string(value);
}

std::string_view WithoutTrailingBlanks(std::string_view text) {
  const std::size_t last = text.find_last_not_of(kBlanks);
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

}  // namespace

std::variant<SetupSwitches, Refusal> ParseSetupSwitches(std::string_view arguments) {
  SetupSwitches switches;
  std::string_view rest = arguments;
  while (true) {
    const std::size_t start = rest.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    const std::size_t wordEnd = std::min(rest.find_first_of(kBlanks), rest.size());
    const std::string_view word = rest.substr(0, wordEnd);
    const Refusal refused(Reason::UnknownSwitch, std::string(word));
    const std::string upper = contract::UpperAnsi(word);

    if (upper.starts_with("/D=")) {
      const std::string_view folder = WithoutTrailingBlanks(rest.substr(3));
      if (switches.target || folder.empty() || folder.find('"') != std::string_view::npos)
        return Refusal(Reason::UnknownSwitch, std::string(WithoutTrailingBlanks(rest)));
      switches.target = std::string(folder);
      break;
    }
    std::optional<std::string>* valued = nullptr;
    std::size_t nameLength = 0;
    if (upper.starts_with("/LOG=")) {
      valued = &switches.logFile;
      nameLength = 5;
    } else if (upper.starts_with("/PASSWORDFILE=")) {
      valued = &switches.passwordFile;
      nameLength = 14;
    }
    if (valued) {
      if (*valued) return refused;
      rest.remove_prefix(nameLength);
      *valued = TakeValue(rest);
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
    rest.remove_prefix(wordEnd);
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
    const std::string word = contract::UpperAnsi(rest.substr(0, end));
    if (word.starts_with("/D=")) return false;
    if (word == "/S" || word == "/SP") return true;
    rest.remove_prefix(end);
  }
}

std::string UsageText(const contract::Refusal& refusal, bool english) {
  if (english)
    return "Unknown or malformed switch: " + refusal.detail +
           "\n\nUsage: Install.exe [/S | /SP] [/LOG=<file>] [/PASSWORDFILE=<file>] [/DOWNGRADE] "
           "[/D=<folder>]\n\n/S installs without any window, /SP shows only the installation's "
           "progress; /D= comes last and takes the rest of the line.";
  return "Unbekannter oder fehlerhafter Schalter: " + refusal.detail +
         "\n\nAufruf: Install.exe [/S | /SP] [/LOG=<Datei>] [/PASSWORDFILE=<Datei>] [/DOWNGRADE] "
         "[/D=<Ordner>]\n\n/S installiert ohne jedes Fenster, /SP zeigt nur den Fortschritt der "
         "Installation; /D= steht zuletzt und nimmt den Rest der Zeile.";
}

}  // namespace pelmora::install
