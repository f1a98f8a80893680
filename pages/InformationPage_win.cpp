#include "pages/InformationPage_win.h"

namespace pelmora::pages {

void InformationPage::SetLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  SetText(ids::kInfoMemo, text);
}

bool InformationPage::FirstLineNotEmpty() const {
  const std::string text = Text(ids::kInfoMemo);
  return !text.empty() && text.front() != '\r' && text.front() != '\n';
}

}  // namespace pelmora::pages
