#include "CommandLine.h"

#include <charconv>
#include <cstdlib>
#include <map>

#include "Outcome.h"

namespace pelmora::uia {

const char* const kUsage =
    "usage: wintool [--timeout SECONDS] [--class CLASS] COMMAND ARGS\n"
    "  list                           the visible windows: process id, class, caption\n"
    "  wait CAPTION                   wait until the window is shown\n"
    "  gone CAPTION                   wait until no window shows that caption\n"
    "  dump CAPTION                   the window and one line per control\n"
    "  texts CAPTION                  its static texts\n"
    "  dismiss CAPTION                its static texts, then press its default button\n"
    "  click CAPTION TEXT             press the button or link labelled TEXT\n"
    "  click-after CAPTION TEXT FILE  the same, the moment FILE exists and the button is\n"
    "                                 shown and enabled (to press it during the program's work)\n"
    "  press CAPTION ID               press the button or link with control id ID\n"
    "  settext CAPTION ID TEXT        replace the text of edit control ID\n"
    "  key CAPTION ID CHARCODE        type one character into control ID\n"
    "  close CAPTION                  press the close box\n"
    "  escape CAPTION                 press Escape in the window (through its message loop)\n"
    "  folder PATH|--cancel|--print   answer the folder dialog, or print its selection\n"
    "  pid CAPTION                    the Windows process id owning the window\n"
    "exit status: 0 done, 1 not found in time, 2 usage, 3 not possible\n";

namespace {

// Operands per command; folder's depends on its option.
const std::map<std::string, size_t> kOperandCounts = {
    {"list", 0},    {"wait", 1},  {"gone", 1},        {"dump", 1},   {"texts", 1},
    {"dismiss", 1}, {"click", 2}, {"click-after", 3}, {"press", 2},  {"settext", 3},
    {"key", 3},     {"close", 1}, {"pid", 1},         {"folder", 1}, {"escape", 1},
};

CommandFailure Usage(const std::string& what) { return CommandFailure(kExitUsage, what); }

}  // namespace

long ParseNumber(const std::string& text, long min, long max, const char* what) {
  long value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value < min || value > max) {
    throw Usage(std::string(what) + " must be a number from " + std::to_string(min) + " to " +
                std::to_string(max) + ", not \"" + text + "\"");
  }
  return value;
}

Invocation ParseCommandLine(const std::vector<std::string>& argv) {
  Invocation call;
  std::vector<std::string> words;
  bool optionsEnded = false;
  for (size_t i = 0; i < argv.size(); ++i) {
    const std::string& word = argv[i];
    if (optionsEnded || word.size() < 2 || word.compare(0, 2, "--") != 0) {
      words.push_back(word);
    } else if (word == "--") {
      optionsEnded = true;
    } else if (word == "--timeout" || word == "--class") {
      if (i + 1 == argv.size()) throw Usage(word + " needs a value");
      const std::string& value = argv[++i];
      if (word == "--class") {
        call.windowClass = value;
      } else {
        char* stop = nullptr;
        call.timeoutSeconds = std::strtod(value.c_str(), &stop);
        if (value.empty() || *stop != '\0' || !(call.timeoutSeconds >= 0) ||
            call.timeoutSeconds > 3600) {
          throw Usage("--timeout must be a number of seconds up to 3600, not \"" + value + "\"");
        }
      }
    } else if (word == "--cancel") {
      call.cancel = true;
    } else if (word == "--print") {
      call.print = true;
    } else {
      throw Usage("unknown option " + word);
    }
  }
  if (words.empty()) throw Usage("no command given");
  call.command = words.front();
  call.args.assign(words.begin() + 1, words.end());
  const auto known = kOperandCounts.find(call.command);
  if (known == kOperandCounts.end()) throw Usage("unknown command \"" + call.command + "\"");
  if ((call.cancel || call.print) && call.command != "folder") {
    throw Usage("--cancel and --print belong to the folder command");
  }
  if (call.cancel && call.print) throw Usage("folder takes --cancel or --print, not both");
  const size_t wanted = (call.cancel || call.print) ? 0 : known->second;
  if (call.args.size() != wanted) {
    throw Usage(call.command + " takes " + std::to_string(wanted) + " operand(s), got " +
                std::to_string(call.args.size()));
  }
  return call;
}

}  // namespace pelmora::uia
