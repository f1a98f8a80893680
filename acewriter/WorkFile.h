// A temporary file of the writer's own, removed when it goes out of scope.
#pragma once

#include <cstdio>
#include <string>
#include <utility>

namespace pelmora::acewriter {

class WorkFile {
 public:
  WorkFile() = default;
  explicit WorkFile(std::string path) : path_(std::move(path)) {}
  ~WorkFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  WorkFile(WorkFile&& other) noexcept : path_(std::exchange(other.path_, {})) {}
  WorkFile& operator=(WorkFile&& other) noexcept {
    if (this != &other) {
      if (!path_.empty()) std::remove(path_.c_str());
      path_ = std::exchange(other.path_, {});
    }
    return *this;
  }
  WorkFile(const WorkFile&) = delete;
  WorkFile& operator=(const WorkFile&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace pelmora::acewriter
