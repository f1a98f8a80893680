#include "acewriter/FolderArchiver.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "acewriter/Cp1252.h"
#include "acewriter/PathText.h"

namespace pelmora::acewriter {
namespace fs = std::filesystem;
namespace {

// Walks a tree in archive order, leaving out what ArchiveFolder leaves out,
// and either archives it or only takes its measure.
class TreeWalker {
 public:
  TreeWalker(ArchiveWriter* writer, const SkipNotice& onSkip, const ContentSubstitutes& readInstead)
      : writer_(writer), onSkip_(onSkip), readInstead_(readInstead) {}

  void Walk(const fs::path& folder, const std::string& prefix) {
    for (const Child& child : SortedChildren(folder)) {
      const std::string name = prefix + child.name;
      const fs::path& path = child.path;
      const fs::file_status link = fs::symlink_status(path);
      const fs::file_status target = fs::status(path);
      if (fs::is_directory(target) && !fs::is_symlink(link)) {
        if (writer_) writer_->AddFolder(name, ReadFileStamp(path));
        ++report_.folders;
        Walk(path, name + "\\");
      } else if (fs::is_regular_file(target)) {
        const FileStamp stamp = ReadFileStamp(path);
        if (writer_) {
          const auto substitute = readInstead_.find(name);
          report_.bytes += writer_->AddFileFromDisk(
              name, substitute == readInstead_.end() ? path : substitute->second, stamp);
        } else {
          std::error_code ec;
          const std::uintmax_t size = fs::file_size(path, ec);
          if (!ec) report_.bytes += size;
          if (!survey_.newestFile || stamp.unixTime > *survey_.newestFile)
            survey_.newestFile = stamp.unixTime;
        }
        ++report_.files;
      } else if (onSkip_) {
        onSkip_("skipped " + PathText(path) +
                ": not a regular file or folder (links to folders are not followed)");
      }
    }
  }

  const FolderArchiveReport& Report() const { return report_; }
  FolderSurvey Survey() const {
    FolderSurvey survey = survey_;
    survey.files = report_.files;
    survey.bytes = report_.bytes;
    return survey;
  }

 private:
  struct Child {
    std::string name;  // Windows-1252
    fs::path path;
  };

  static std::vector<Child> SortedChildren(const fs::path& folder) {
    std::vector<Child> children;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
      throw std::runtime_error("cannot read the folder " + PathText(folder) + ": " + ec.message());
    for (; it != fs::directory_iterator(); it.increment(ec)) {
      const fs::path& path = it->path();
      const std::u8string utf8 = path.filename().u8string();
      const auto name = Utf8ToCp1252(std::string(utf8.begin(), utf8.end()));
      if (!name)
        throw std::runtime_error("cannot archive " + PathText(path) +
                                 ": its name has characters outside Windows-1252");
      children.push_back({*name, path});
    }
    if (ec)
      throw std::runtime_error("cannot read the folder " + PathText(folder) + ": " + ec.message());
    std::sort(children.begin(), children.end(),
              [](const Child& a, const Child& b) { return a.name < b.name; });
    return children;
  }

  ArchiveWriter* writer_;  // none: only the survey
  const SkipNotice& onSkip_;
  const ContentSubstitutes& readInstead_;
  FolderArchiveReport report_;
  FolderSurvey survey_;
};

}  // namespace

FolderArchiveReport ArchiveFolder(const fs::path& root, ArchiveWriter& writer,
                                  const SkipNotice& onSkip, const ContentSubstitutes& readInstead) {
  if (!fs::is_directory(root)) throw std::runtime_error(PathText(root) + " is not a folder");
  TreeWalker walker(&writer, onSkip, readInstead);
  walker.Walk(root, "");
  return walker.Report();
}

FolderSurvey SurveyFolder(const fs::path& root) {
  if (!fs::is_directory(root)) throw std::runtime_error(PathText(root) + " is not a folder");
  const SkipNotice silent;
  const ContentSubstitutes none;
  TreeWalker walker(nullptr, silent, none);
  walker.Walk(root, "");
  return walker.Survey();
}

}  // namespace pelmora::acewriter
