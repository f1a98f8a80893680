// What the component reads from an entry's name, and the test that keeps a
// hostile archive from writing outside the target folder.
#pragma once

#include <string>
#include <string_view>

#include "unace/UnAceApi.h"

namespace pelmora::archive {

// The entry's FileName up to its first zero byte (never beyond the field,
// even when a library leaves it unterminated).
std::string EntryNameText(const TACEHeaderData& header);

// True when `name`, appended to a target folder, could name a file outside
// it: absolute ("\x", "/x"), UNC ("\\server"), with a colon (drive "C:" or an
// alternate data stream), or with a ".." component. Both '\' and '/'
// separate components, since Windows accepts either.
bool IsUnsafeEntryName(std::string_view name);

}  // namespace pelmora::archive
