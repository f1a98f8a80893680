#include "tools/pelmora-pack/Manifest.h"

#include "acewriter/Cp1252.h"
#include "acewriter/LocalText.h"
#include "setupdesc/SetupDescReader.h"

namespace pelmora::pack {

namespace {

constexpr const char* kUnknownSection = "?";

constexpr std::array<const char*, setupdesc::kSupportValueCount> kSupportKeys = {
    "publisher",      "about-url", "update-url", "help-link",
    "help-telephone", "contact",   "readme",     "comments"};

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool HasControlCharacter(std::string_view text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

// Well-formed UTF-8: shortest forms only, no surrogates, nothing above
// U+10FFFF. Windows-1252 text with accented letters fails it: such a
// letter (0xC0..0xFF) would have to be followed by bytes 0x80..0xBF, which
// in Windows-1252 are punctuation and symbols, seldom placed right after a
// letter.
bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead < 0xC2 || lead > 0xF4) return false;
    const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    if (i + extra >= text.size()) return false;
    unsigned long code = lead & (0x7Fu >> (extra + 1));
    for (std::size_t k = 1; k <= extra; ++k) {
      const unsigned char c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      code = (code << 6) | (c & 0x3F);
    }
    static constexpr unsigned long kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += extra + 1;
  }
  return true;
}

class Parser {
 public:
  ParsedManifest Parse(std::string_view bytes) {
    const std::string text = TextAsUtf8(bytes);
    const std::vector<std::string> lines = setupdesc::SplitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) ParseLine(static_cast<int>(i + 1), lines[i]);
    return std::move(result_);
  }

 private:
  void Problem(int line, std::string field, std::string message) {
    result_.problems.push_back({line, std::move(field), std::move(message)});
  }

  void ParseLine(int line, std::string_view raw) {
    const std::string_view text = Trim(raw);
    if (text.empty() || text.front() == '#' || text.front() == ';') return;
    if (text.front() == '[') {
      if (text.back() != ']') return Problem(line, "", "a section line must end with ]");
      OpenSection(line, std::string(Trim(text.substr(1, text.size() - 2))));
      return;
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
      return Problem(line, "", "expected \"name = value\", a [section] or a # comment");
    const std::string key(Trim(text.substr(0, equals)));
    const std::string_view value = Trim(text.substr(equals + 1));
    const std::string field = "[" + section_ + "] " + key;
    if (section_.empty()) return Problem(line, key, "stands before the first [section]");
    if (section_ == kUnknownSection) return;  // the section line is reported
    const std::optional<std::string> cp1252 = acewriter::Utf8ToCp1252(value);
    ManifestValue* slot = Slot(key, cp1252 && !HasControlCharacter(*cp1252));
    if (!slot) return Problem(line, field, "is no field of [" + section_ + "]");
    if (slot->Given())
      return Problem(line, field,
                     "is given twice (first on line " + std::to_string(slot->line) + ")");
    if (!cp1252)
      return Problem(line, field, "holds a character that Windows-1252 cannot represent");
    if (HasControlCharacter(*cp1252)) return Problem(line, field, "holds a control character");
    *slot = {*cp1252, line, field};
  }

  void OpenSection(int line, std::string name) {
    static constexpr const char* kKnown[] = {"product", "registry",     "com",    "shortcut",
                                             "support", "config-files", "archive"};
    bool known = false;
    for (const char* k : kKnown) known = known || name == k;
    if (!known) {
      Problem(line, "[" + name + "]", "is no section of a manifest");
      section_ = kUnknownSection;
      return;
    }
    section_ = std::move(name);
    if (section_ == "shortcut") result_.manifest.shortcuts.push_back({line, {}, {}, {}, {}});
  }

  // The place a value goes to. The repeatable fields get a fresh one, but
  // only for a value that will be stored (`storing`); otherwise a stand-in
  // that counts as not given.
  ManifestValue* Slot(const std::string& key, bool storing) {
    const auto fresh = [&](std::vector<ManifestValue>& list) {
      scratch_ = {};
      return storing ? &list.emplace_back() : &scratch_;
    };
    Manifest& m = result_.manifest;
    if (section_ == "product") {
      if (key == "name") return &m.productName;
      if (key == "version") return &m.productVersion;
      if (key == "uninstall-key") return &m.uninstallKey;
      if (key == "directory") return &m.directory;
      if (key == "program") return &m.program;
      if (key == "information") return &m.information;
      if (key == "uninstaller") return &m.uninstaller;
      if (key == "setup-file") return &m.setupFile;
    } else if (section_ == "registry" && key == "key") {
      return fresh(m.registryKeys);
    } else if (section_ == "com" && key == "server") {
      return fresh(m.comServers);
    } else if (section_ == "config-files" && key == "file") {
      return fresh(m.configFiles);
    } else if (section_ == "shortcut") {
      ShortcutEntry& s = m.shortcuts.back();
      if (key == "group") return &s.group;
      if (key == "name") return &s.name;
      if (key == "target") return &s.target;
      if (key == "icon") return &s.icon;
    } else if (section_ == "support") {
      for (std::size_t i = 0; i < kSupportKeys.size(); ++i)
        if (key == kSupportKeys[i]) return &m.support[i];
    } else if (section_ == "archive") {
      if (key == "method") return &m.method;
      if (key == "level") return &m.level;
      if (key == "solid") return &m.solid;
      if (key == "password") return &m.password;
      if (key == "volume-size") return &m.volumeSize;
    }
    return nullptr;
  }

  std::string section_;
  ParsedManifest result_;
  ManifestValue scratch_;
};

}  // namespace

std::string TextAsUtf8(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
  return IsUtf8(bytes) ? std::string(bytes) : acewriter::Cp1252ToUtf8(bytes);
}

std::string Describe(const ManifestProblem& problem) {
  std::string text = problem.line > 0 ? "line " + std::to_string(problem.line) + ", " : "";
  text += problem.field.empty() ? std::string() : problem.field + ": ";
  return text + problem.message;
}

std::string ForMessage(const std::string& cp1252) { return acewriter::LocalText(cp1252); }

ParsedManifest ParseManifest(std::string_view utf8Text) { return Parser().Parse(utf8Text); }

}  // namespace pelmora::pack
