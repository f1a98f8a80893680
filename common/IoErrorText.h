// The run time's text for a failed read or write, as the setup program has
// always shown it: in German, whatever the page language, with the
// system's error number. Here, below every folder that shows it (the
// description file's reading and the installation run), so that it is
// spelt once. Portable.
#pragma once

#include <string>

namespace pelmora::common {

// `code`: the system's error number, or the run time's own (101: disk full),
// written as the caller's type holds it.
template <typename Code>
std::string IoErrorText(Code code) {
  return "E/A-Fehler " + std::to_string(code);
}

}  // namespace pelmora::common
