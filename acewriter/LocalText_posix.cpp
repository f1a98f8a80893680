#include "acewriter/Cp1252.h"
#include "acewriter/LocalText.h"

namespace pelmora::acewriter {

std::string LocalText(std::string_view cp1252) { return Cp1252ToUtf8(cp1252); }

}  // namespace pelmora::acewriter
