#include "uninstall/ShortcutRule.h"

#include <variant>

#include "contract/AnsiText.h"
#include "contract/ProductFiles.h"

namespace pelmora::uninstall {

using contract::CheckedPath;
using contract::TargetFolder;
namespace {

std::string_view Unquoted(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    text = text.substr(1, text.size() - 2);
  return text;
}

}  // namespace

bool IsProductShortcut(const TargetFolder& target, std::string_view protocolPath,
                       std::string_view linkTarget, std::string_view linkArguments) {
  linkTarget = Unquoted(linkTarget);
  const auto inside = target.Check(linkTarget);
  if (const CheckedPath* path = std::get_if<CheckedPath>(&inside); path && path->below > 0)
    return true;
  const std::size_t slash = linkTarget.find_last_of("\\/");
  const std::string_view fileName =
      slash == std::string_view::npos ? linkTarget : linkTarget.substr(slash + 1);
  return contract::EqualsIgnoreCaseAnsi(fileName, contract::kUninstallerFileName) &&
         contract::SamePath(Unquoted(linkArguments), protocolPath);
}

}  // namespace pelmora::uninstall
