// What the component reads from an entry's name. Whether a name is safe to
// extract is judged by the extraction library's own rule
// (unace/format/EntryName.h), which the component shares.
#pragma once

#include <string>

#include "unace/UnAceApi.h"

namespace pelmora::archive {

// The entry's FileName up to its first zero byte (never beyond the field,
// even when a library leaves it unterminated).
std::string EntryNameText(const TACEHeaderData& header);

}  // namespace pelmora::archive
