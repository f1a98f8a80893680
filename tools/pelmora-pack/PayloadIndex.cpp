#include "tools/pelmora-pack/PayloadIndex.h"

#include <optional>

#include "acewriter/ArchiveWriter.h"
#include "acewriter/Cp1252.h"

namespace pelmora::pack {

namespace fs = std::filesystem;

std::string FoldCase(std::string name) {
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name;
}

bool PayloadIndex::HasFile(const std::string& memberName) const {
  return files.count(FoldCase(memberName)) != 0;
}

PayloadIndex IndexPayload(const fs::path& root) {
  PayloadIndex index;
  std::error_code ec;
  if (!fs::is_directory(root, ec)) {
    index.problems.push_back(root.string() + " is no folder");
    return index;
  }
  fs::recursive_directory_iterator it(root, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const fs::path relative = it->path().lexically_relative(root);
    const std::u8string utf8 = relative.generic_u8string();
    const std::optional<std::string> name =
        acewriter::Utf8ToCp1252(std::string(utf8.begin(), utf8.end()));
    if (!name) {
      index.problems.push_back(it->path().string() +
                               ": the name has a character that Windows-1252 cannot represent");
      continue;
    }
    std::string member = *name;
    for (char& c : member)
      if (c == '/') c = '\\';
    if (const std::optional<std::string> problem = acewriter::MemberNameProblem(member)) {
      index.problems.push_back(it->path().string() + ": " + *problem);
      continue;
    }
    if (it->is_regular_file(ec)) {
      index.files.insert(FoldCase(member));
      index.bytes += it->file_size(ec);
    }
  }
  if (ec) index.problems.push_back(root.string() + ": cannot be read: " + ec.message());
  return index;
}

}  // namespace pelmora::pack
