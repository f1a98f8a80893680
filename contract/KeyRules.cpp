#include "contract/KeyRules.h"

#include <optional>
#include <vector>

#include "contract/AnsiText.h"
#include "contract/RegistryPath.h"

namespace pelmora::contract {
namespace {

// Trees that hold Windows' own settings or other software's: none of their
// keys is ever a product's, whatever root the line names.
constexpr std::string_view kSharedTrees[] = {
    "AppEvents",
    "Console",
    "Control Panel",
    "Environment",
    "Keyboard Layout",
    "Network",
    "Printers",
    // Below these the whole tree belongs to Windows: drivers, services,
    // security and hardware settings.
    "System",
    "SAM",
    "Security",
    "Hardware",
    "BCD00000000",
};

// Below "Software": file types and COM classes, Windows' own and every
// Microsoft product's settings, policies, and the registered clients.
constexpr std::string_view kSharedSoftwareTrees[] = {"Classes", "Microsoft", "Policies", "Clients"};

constexpr std::string_view kSoftware = "Software";
constexpr std::string_view kMirror = "Wow6432Node";

// The line's own root may be spelt out in front; another root may not.
std::variant<std::string_view, Refusal> WithoutRootPrefix(std::string_view key, KeyRoot root) {
  struct Prefix {
    std::string_view text;
    KeyRoot root;
  };
  constexpr Prefix kPrefixes[] = {
      {"HKEY_LOCAL_MACHINE", KeyRoot::LocalMachine},
      {"HKLM", KeyRoot::LocalMachine},
      {"HKEY_CURRENT_USER", KeyRoot::CurrentUser},
      {"HKCU", KeyRoot::CurrentUser},
  };
  const std::string_view first = key.substr(0, key.find('\\'));
  for (const Prefix& prefix : kPrefixes)
    if (EqualsIgnoreCaseAnsi(first, prefix.text)) {
      if (prefix.root != root) return Reason::WrongRoot;
      return key.substr(first.size());
    }
  // HKEY_CLASSES_ROOT, HKEY_USERS and the like: never the line's root.
  if (first.size() > 5 && EqualsIgnoreCaseAnsi(first.substr(0, 5), "HKEY_"))
    return Reason::WrongRoot;
  return key;
}

// The key as it is to be used: no leading or trailing "\\", no prefix of
// the line's own root, no empty name.
std::variant<std::string, Refusal> Normalized(std::string_view keyPath, KeyRoot root) {
  while (!keyPath.empty() && keyPath.front() == '\\') keyPath.remove_prefix(1);
  auto unprefixed = WithoutRootPrefix(keyPath, root);
  if (Refusal* refusal = std::get_if<Refusal>(&unprefixed)) return std::move(*refusal);
  std::string key = NormalizeRegistryKeyPath(std::get<std::string_view>(unprefixed));
  if (NamesRootKey(key)) return Reason::ShallowKey;
  if (key.find("\\\\") != std::string::npos) return Reason::MalformedKey;
  return key;
}

// The key's names; "/" is an ordinary character in them, only "\\" separates.
std::vector<std::string_view> Names(std::string_view key) {
  std::vector<std::string_view> names;
  for (std::size_t start = 0;;) {
    const std::size_t end = key.find('\\', start);
    names.push_back(key.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return names;
    start = end + 1;
  }
}

std::optional<Refusal> SettingsRefusal(std::vector<std::string_view> names) {
  for (std::string_view tree : kSharedTrees)
    if (EqualsIgnoreCaseAnsi(names.front(), tree)) return Reason::SharedKey;
  if (!EqualsIgnoreCaseAnsi(names.front(), kSoftware))
    return names.size() < 2 ? std::optional<Refusal>(Reason::ShallowKey) : std::nullopt;
  // Software\Wow6432Node\X is the 32-bit view of Software\X.
  if (names.size() >= 2 && EqualsIgnoreCaseAnsi(names[1], kMirror)) {
    if (names.size() == 2) return Reason::SharedKey;
    names.erase(names.begin() + 1);
  }
  if (names.size() >= 2)
    for (std::string_view tree : kSharedSoftwareTrees)
      if (EqualsIgnoreCaseAnsi(names[1], tree)) return Reason::SharedKey;
  if (names.size() == 1) return Reason::SharedKey;  // Software itself
  if (names.size() < 3) return Reason::ShallowKey;
  return std::nullopt;
}

}  // namespace

std::string_view RootName(KeyRoot root) {
  return root == KeyRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::variant<std::string, Refusal> CheckSettingsKey(std::string_view keyPath, KeyRoot root) {
  auto key = Normalized(keyPath, root);
  if (const std::string* path = std::get_if<std::string>(&key))
    if (std::optional<Refusal> refusal = SettingsRefusal(Names(*path))) return std::move(*refusal);
  return key;
}

std::variant<std::string, Refusal> CheckProtocolKey(std::string_view keyPath, KeyRoot root,
                                                    std::string_view productEntry) {
  auto key = Normalized(keyPath, root);
  const std::string* path = std::get_if<std::string>(&key);
  if (path == nullptr) return key;
  const std::string entry = NormalizeRegistryKeyPath(productEntry);
  if (!entry.empty() && EqualsIgnoreCaseAnsi(*path, entry)) return key;
  if (root == KeyRoot::LocalMachine) return Reason::NotProductEntry;
  if (std::optional<Refusal> refusal = SettingsRefusal(Names(*path))) return std::move(*refusal);
  return key;
}

}  // namespace pelmora::contract
