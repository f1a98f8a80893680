// The common controls (progress bar and the like) live in comctl32.dll,
// which Windows does not keep in its list of known libraries: loaded by its
// plain name, a copy beside a downloaded setup would run. Windows only.
#pragma once

#include <cstdint>

namespace pelmora::winsupport {

// Registers the common control classes `classes` (ICC_* bits of
// INITCOMMONCONTROLSEX). comctl32.dll is taken from the side-by-side copy
// that the program's manifest selects, when it selects one, else by its full
// path from the system folder; it stays loaded for the rest of the program,
// as the registered classes live in it. False when it cannot be loaded or
// initialised. Call it before the first page is created.
bool InitCommonControlsFromSystem(std::uint32_t classes) noexcept;

}  // namespace pelmora::winsupport
