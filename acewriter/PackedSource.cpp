#include "acewriter/PackedSource.h"

#include <algorithm>
#include <stdexcept>

#include "acewriter/PathText.h"

namespace pelmora::acewriter {

void MemorySource::Read(std::span<std::uint8_t> out) {
  if (out.size() > bytes_.size() - position_) throw std::logic_error("read past the packed data");
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(position_), out.size(), out.begin());
  position_ += out.size();
}

FileSource::FileSource(const std::filesystem::path& path, std::uint64_t size)
    : path_(path), in_(path, std::ios::binary), size_(size) {
  if (!in_) throw std::runtime_error("cannot open " + PathText(path_));
}

void FileSource::Read(std::span<std::uint8_t> out) {
  in_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
  if (static_cast<std::size_t>(in_.gcount()) != out.size())
    throw std::runtime_error("cannot read " + PathText(path_) +
                             " (did it change while being archived?)");
}

}  // namespace pelmora::acewriter
