#include "acewriter/LocalText.h"

namespace pelmora::acewriter {

std::string LocalText(std::string_view cp1252) { return std::string(cp1252); }

}  // namespace pelmora::acewriter
