#include "contract/KeyRules.h"

#include <optional>
#include <vector>

#include "contract/AnsiText.h"
#include "contract/RegistryPath.h"

namespace pelmora::contract {
namespace {

// Below "Software", the trees Windows and other software share, in both
// roots: file types and COM classes, Windows' own and every Microsoft
// product's settings, policies, the registered clients and applications of
// the default programs, the data sources of the database drivers, the tree
// low-integrity programs may write, the RPC settings, the graphics drivers'
// layers, and the machine's secured settings. None of their keys is ever a
// product's own, whatever a description or protocol says.
constexpr std::string_view kSharedSoftwareTrees[] = {
    "Classes", "Microsoft",  "Policies",    "Clients", "RegisteredApplications",
    "ODBC",    "AppDataLow", "Description", "Khronos", "Secure",
};

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

// A settings key is allowed only in Software\<vendor>\...: everything
// outside Software (Control Panel, Environment, Identities, Volatile
// Environment, System, ...) is Windows' or the user's own. On success the
// names with the 32-bit view's Wow6432Node taken out, judged as what it
// mirrors.
std::variant<std::vector<std::string_view>, Refusal> SettingsNames(std::string_view key) {
  std::vector<std::string_view> names = Names(key);
  if (!EqualsIgnoreCaseAnsi(names.front(), kSoftware)) return Refusal(Reason::OutsideSoftware);
  if (names.size() >= 2 && EqualsIgnoreCaseAnsi(names[1], kMirror)) {
    if (names.size() == 2) return Refusal(Reason::SharedKey);
    names.erase(names.begin() + 1);
  }
  if (names.size() == 1) return Refusal(Reason::SharedKey);  // Software itself
  for (std::string_view tree : kSharedSoftwareTrees)
    if (EqualsIgnoreCaseAnsi(names[1], tree)) return Refusal(Reason::SharedKey);
  return names;
}

std::optional<Refusal> SettingsRefusal(std::string_view key) {
  auto names = SettingsNames(key);
  if (Refusal* refusal = std::get_if<Refusal>(&names)) return std::move(*refusal);
  return std::nullopt;
}

}  // namespace

std::string_view RootName(KeyRoot root) {
  return root == KeyRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::variant<std::string, Refusal> CheckSettingsKey(std::string_view keyPath, KeyRoot root) {
  auto key = Normalized(keyPath, root);
  if (const std::string* path = std::get_if<std::string>(&key))
    if (std::optional<Refusal> refusal = SettingsRefusal(*path)) return std::move(*refusal);
  return key;
}

bool IsVendorKey(std::string_view keyPath, KeyRoot root) {
  auto key = Normalized(keyPath, root);
  const std::string* path = std::get_if<std::string>(&key);
  if (path == nullptr) return false;
  const auto names = SettingsNames(*path);
  return std::holds_alternative<std::vector<std::string_view>>(names) &&
         std::get<std::vector<std::string_view>>(names).size() == 2;
}

std::variant<std::string, Refusal> CheckProtocolKey(std::string_view keyPath, KeyRoot root,
                                                    std::string_view productEntry) {
  auto key = Normalized(keyPath, root);
  const std::string* path = std::get_if<std::string>(&key);
  if (path == nullptr) return key;
  const std::string entry = NormalizeRegistryKeyPath(productEntry);
  if (!entry.empty() && EqualsIgnoreCaseAnsi(*path, entry)) return key;
  if (root == KeyRoot::LocalMachine) return Reason::NotProductEntry;
  if (std::optional<Refusal> refusal = SettingsRefusal(*path)) return std::move(*refusal);
  return key;
}

}  // namespace pelmora::contract
