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
  TreeWalker(ArchiveWriter* writer, const SkipNotice& onSkip, const ContentSubstitutes& readInstead,
             MemberOrder order)
      : writer_(writer), onSkip_(onSkip), readInstead_(readInstead), order_(order) {}

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
        if (!writer_) {
          const FileStamp stamp = ReadFileStamp(path);
          std::error_code ec;
          const std::uintmax_t size = fs::file_size(path, ec);
          if (!ec) report_.bytes += size;
          if (!survey_.newestFile || stamp.unixTime > *survey_.newestFile)
            survey_.newestFile = stamp.unixTime;
          ++report_.files;
        } else if (order_ == MemberOrder::ByType) {
          held_.push_back({name, path});
        } else {
          AddFile(name, path);
        }
      } else if (onSkip_) {
        onSkip_("skipped " + PathText(path) +
                ": not a regular file or folder (links to folders are not followed)");
      }
    }
  }

  // The files held back for MemberOrder::ByType, grouped by extension; the
  // sort is stable, so each group keeps the walk's order.
  void AddHeldFiles() {
    std::stable_sort(held_.begin(), held_.end(), [](const Child& a, const Child& b) {
      return Extension(a.name) < Extension(b.name);
    });
    for (const Child& file : held_) AddFile(file.name, file.path);
    held_.clear();
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

  void AddFile(const std::string& name, const fs::path& path) {
    const FileStamp stamp = ReadFileStamp(path);
    const auto substitute = readInstead_.find(name);
    report_.bytes += writer_->AddFileFromDisk(
        name, substitute == readInstead_.end() ? path : substitute->second, stamp);
    ++report_.files;
  }

  // What follows the last dot of the file's own name (not of a folder's),
  // in lower case: Windows sees "A.DLL" and "b.dll" as the same type. A
  // name starting with its only dot has none.
  static std::string Extension(const std::string& name) {
    const std::size_t slash = name.rfind('\\');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot <= start) return {};
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension;
  }

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
  MemberOrder order_;
  std::vector<Child> held_;  // files of MemberOrder::ByType, in the walk's order
  FolderArchiveReport report_;
  FolderSurvey survey_;
};

}  // namespace

FolderArchiveReport ArchiveFolder(const fs::path& root, ArchiveWriter& writer,
                                  const SkipNotice& onSkip, const ContentSubstitutes& readInstead,
                                  MemberOrder order) {
  if (!fs::is_directory(root)) throw std::runtime_error(PathText(root) + " is not a folder");
  TreeWalker walker(&writer, onSkip, readInstead, order);
  walker.Walk(root, "");
  walker.AddHeldFiles();
  return walker.Report();
}

FolderSurvey SurveyFolder(const fs::path& root) {
  if (!fs::is_directory(root)) throw std::runtime_error(PathText(root) + " is not a folder");
  const SkipNotice silent;
  const ContentSubstitutes none;
  TreeWalker walker(nullptr, silent, none, MemberOrder::ByName);
  walker.Walk(root, "");
  return walker.Survey();
}

}  // namespace pelmora::acewriter
