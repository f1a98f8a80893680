// What the payload folder holds, by the names the archive will give its
// files, so that the manifest can be checked against it before anything is
// written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace pelmora::pack {

struct PayloadIndex {
  // Member names (Windows-1252, '\' separated) with ASCII letters in lower
  // case: Windows finds a file whatever the case of its name.
  std::set<std::string> files;
  std::uint64_t bytes = 0;
  // Files and folders the archive could not carry, each with the reason.
  std::vector<std::string> problems;

  bool HasFile(const std::string& memberName) const;
};

// Walks `root`; a folder that does not exist or cannot be read is a problem.
PayloadIndex IndexPayload(const std::filesystem::path& root);

// `name` with ASCII letters in lower case.
std::string FoldCase(std::string name);

}  // namespace pelmora::pack
