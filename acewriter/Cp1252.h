// Archive member names are stored in Windows-1252, the code page the
// installer runs under; the folder tree being archived is named in UTF-8
// (what std::filesystem::path::u8string gives on every platform).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelmora::acewriter {

// Converts UTF-8 text to Windows-1252 bytes. Returns nothing when the text is
// not valid UTF-8 or holds a character that Windows-1252 cannot represent.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);

// Converts Windows-1252 bytes to UTF-8. The five bytes that Windows-1252
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of
// the same value, as Windows itself does.
std::string Cp1252ToUtf8(std::string_view cp1252);

}  // namespace pelmora::acewriter
