#include "tools/acetool/CommandLine.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>

namespace pelmora::acetool {

const char* const kUsageText =
    "usage: acetool l ARCHIVE [--password PW]        list the entries\n"
    "       acetool t ARCHIVE [--password PW]        test every entry\n"
    "       acetool x ARCHIVE DIR [--password PW]    extract into DIR\n"
    "       acetool c ARCHIVE DIR [options]          archive the content of DIR\n"
    "       acetool --help                           this text (also -h, after any command)\n"
    "  --quiet                       no progress display (c and x show one on a terminal)\n"
    "create options:\n"
    "  --method stored|lz77|ace20    compression (default lz77, readable by every ACE reader)\n"
    "  --mode auto|lz77|exe|delta|sound|pic   ACE 2.0 technique (with --method ace20)\n"
    "  --solid                       compress all files as one stream\n"
    "  --group-by-type               files in the order of their extensions, then names\n"
    "                                (default: names; folders always before their files)\n"
    "  --volume-size BYTES[k|m]      split into volumes NAME.c00, NAME.c01, ...\n"
    "  --dictionary-bits N           10..22 (default 20 = 1 MiB; above 20 only ACE 2.0 readers)\n"
    "  --level N                     1 (fastest) .. 5 (best); default 2\n"
    "  --password PW                 encrypt the files\n";

namespace {

using acewriter::PackMethod;
using acewriter::encode::BlockedMode;

std::uint64_t ParseNumber(const std::string& option, const std::string& text, bool allowSuffix) {
  std::uint64_t value = 0;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  const auto [rest, error] = std::from_chars(begin, end, value);
  std::uint64_t scale = 1;
  const std::string suffix(rest, end);
  if (allowSuffix && (suffix == "k" || suffix == "K"))
    scale = 1024;
  else if (allowSuffix && (suffix == "m" || suffix == "M"))
    scale = 1024 * 1024;
  else if (!suffix.empty())
    scale = 0;
  if (error != std::errc() || rest == begin || scale == 0 ||
      value > std::numeric_limits<std::uint64_t>::max() / scale)
    throw UsageError(option + " needs a number, not \"" + text + "\"");
  return value * scale;
}

template <typename T>
T Choose(const std::string& option, const std::string& text,
         const std::map<std::string, T>& choices) {
  const auto it = choices.find(text);
  if (it == choices.end()) {
    std::string names;
    for (const auto& [name, value] : choices) names += (names.empty() ? "" : "|") + name;
    throw UsageError(option + " must be " + names + ", not \"" + text + "\"");
  }
  return it->second;
}

CommandKind ParseKind(const std::string& word) {
  if (word == "l") return CommandKind::List;
  if (word == "t") return CommandKind::Test;
  if (word == "x") return CommandKind::Extract;
  if (word == "c") return CommandKind::Create;
  throw UsageError("unknown command \"" + word + "\" (use l, t, x or c)");
}

}  // namespace

Invocation ParseCommandLine(const std::vector<std::string>& args) {
  if (args.empty()) throw UsageError("no command given");
  Invocation inv;
  const auto isHelp = [](const std::string& arg) { return arg == "--help" || arg == "-h"; };
  if (isHelp(args[0])) {
    inv.help = true;
    return inv;
  }
  // Level 2 packs mixed data within about 2% of level 5 at four times the
  // speed, and still smaller than gzip -9.
  inv.create.level = kDefaultLevel;
  inv.kind = ParseKind(args[0]);
  const bool creating = inv.kind == CommandKind::Create;

  std::vector<std::string> positional;
  std::optional<BlockedMode> mode;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (isHelp(arg)) {
      inv.help = true;
      return inv;
    }
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      positional.push_back(arg);
      continue;
    }
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      return args[++i];
    };
    if (arg == "--quiet") {
      inv.quiet = true;
      continue;
    }
    if (arg == "--password") {
      inv.password = value();
      if (inv.password.empty()) throw UsageError("--password needs a non-empty value");
      continue;
    }
    if (!creating) throw UsageError(arg + " is an option of the c command only");
    if (arg == "--method") {
      inv.create.method = Choose<PackMethod>(arg, value(),
                                             {{"stored", PackMethod::Stored},
                                              {"lz77", PackMethod::Lz77},
                                              {"ace20", PackMethod::Ace20}});
    } else if (arg == "--mode") {
      mode = Choose<BlockedMode>(arg, value(),
                                 {{"auto", BlockedMode::Auto},
                                  {"lz77", BlockedMode::Lz77},
                                  {"exe", BlockedMode::Exe},
                                  {"delta", BlockedMode::Delta},
                                  {"sound", BlockedMode::Sound},
                                  {"pic", BlockedMode::Pic}});
    } else if (arg == "--solid") {
      inv.create.solid = true;
    } else if (arg == "--group-by-type") {
      inv.order = acewriter::MemberOrder::ByType;
    } else if (arg == "--volume-size") {
      inv.create.volumeSize = ParseNumber(arg, value(), true);
      if (inv.create.volumeSize == 0) throw UsageError("--volume-size must be above 0");
    } else if (arg == "--dictionary-bits") {
      const std::uint64_t bits = ParseNumber(arg, value(), false);
      if (bits < 10 || bits > 22) throw UsageError("--dictionary-bits must be 10..22");
      inv.create.dictionaryBits = static_cast<std::uint32_t>(bits);
    } else if (arg == "--level") {
      const std::uint64_t level = ParseNumber(arg, value(), false);
      if (level < 1 || level > 5) throw UsageError("--level must be 1..5");
      inv.create.level = static_cast<int>(level);
    } else {
      throw UsageError("unknown option " + arg);
    }
  }

  const std::size_t wanted = inv.kind == CommandKind::List || inv.kind == CommandKind::Test ? 1 : 2;
  if (positional.size() != wanted)
    throw UsageError(std::string("the ") + args[0] + " command takes " +
                     (wanted == 1 ? "ARCHIVE" : "ARCHIVE DIR") + ", got " +
                     std::to_string(positional.size()) + " argument(s)");
  inv.archive = positional[0];
  if (wanted == 2) inv.directory = positional[1];
  if (mode) {
    if (inv.create.method != PackMethod::Ace20) throw UsageError("--mode needs --method ace20");
    inv.create.mode = *mode;
  }
  if (creating) inv.create.password = inv.password;
  return inv;
}

}  // namespace pelmora::acetool
