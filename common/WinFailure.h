// The one answer of the Windows layer when Windows refuses: what it was
// working on and Windows' own code. Every Windows support function whose
// failure someone tells or shows returns it: std::optional<WinFailure>
// (nothing: it worked) or WinResult<Value> when it yields a value too.
// The words are the caller's, who knows what the user was doing; the kind
// of thing lets the one place that words a program's failures pick them.
// Portable, so that the portable logic that hands failures on (the
// registration steps, the block copy, the uninstaller's summary) holds the
// same value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace pelmora::common {

struct WinFailure {
  enum class Subject : std::uint8_t {
    File,      // a file or folder, by its path
    Key,       // a registry key, by its path below the root
    Value,     // a registry value, by its name
    Resource,  // one of the program's own resources, by its name
    Server,    // a COM server, by its path
  };

  Subject subject;
  std::string what;    // the path or name, as the caller gave it
  std::uint32_t code;  // Windows' code: a system error code, or a COM server's HRESULT
};

// A value, or why Windows would not give it.
template <typename Value>
using WinResult = std::variant<Value, WinFailure>;

// A failure made right where it is returned (`what` a path or name as a
// std::string or C string), with nothing to move or destroy on the way.
// Never inlined: in the shipped programs, built for size, every place that
// fails is then one call instead of its own copy of the name's making.
template <typename What>
[[gnu::noinline]] std::optional<WinFailure> Failed(WinFailure::Subject subject, const What& what,
                                                   std::uint32_t code) {
  return std::optional<WinFailure>(std::in_place, subject, what, code);
}
template <typename Value, typename What>
[[gnu::noinline]] WinResult<Value> FailedAs(WinFailure::Subject subject, const What& what,
                                            std::uint32_t code) {
  return WinResult<Value>(std::in_place_index<1>, subject, what, code);
}

}  // namespace pelmora::common
