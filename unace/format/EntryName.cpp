#include "unace/format/EntryName.h"

#include <array>
#include <cctype>

namespace pelmora::unace::format {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// CON, NUL, COM1, ... name devices on Windows even with an extension.
bool IsReservedDeviceName(std::string_view component) {
  const std::size_t dot = component.find('.');
  const std::string base = Upper(component.substr(0, dot));
  static constexpr std::array<const char*, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
  for (const char* name : kPlain)
    if (base == name) return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
      base[3] >= '1' && base[3] <= '9')
    return true;
  return false;
}

std::optional<std::string> ComponentReason(std::string_view component) {
  if (component.empty()) return "empty path component";
  if (component == "..") return "'..' component";
  // Windows drops trailing dots and spaces, so "..." or ".. " would climb too.
  const char last = component.back();
  if (last == '.' || last == ' ') return "component ending in a dot or space";
  if (IsReservedDeviceName(component)) return "reserved device name";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> UnsafeNameReason(std::string_view name) {
  if (name.empty()) return "empty name";
  if (IsSeparator(name.front())) return "absolute or UNC name";
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return "control character in the name";
    if (c == ':') return "drive or stream colon in the name";
    if (c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*')
      return "wildcard or redirection character in the name";
  }
  // A single trailing separator (a folder written as "dir\") is harmless.
  std::string_view rest = name;
  if (IsSeparator(rest.back())) rest.remove_suffix(1);
  while (true) {
    std::size_t end = 0;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    if (std::optional<std::string> why = ComponentReason(rest.substr(0, end))) return why;
    if (end == rest.size()) break;
    rest.remove_prefix(end + 1);
  }
  return std::nullopt;
}

}  // namespace pelmora::unace::format
