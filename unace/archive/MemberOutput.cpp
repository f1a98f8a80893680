#include "unace/archive/MemberOutput.h"

namespace pelmora::unace::archive {

bool CheckedOutput::write(const std::uint8_t* data, std::size_t n) {
  if (stop_ != OutputStop::None) return false;
  if (n > expected_ - produced_) {
    stop_ = OutputStop::Overflow;
    return false;
  }
  crc_.update(data, n);
  produced_ += n;
  return deliver(data, n);
}

bool FileOutput::deliver(const std::uint8_t* data, std::size_t n) {
  if (!sink_.write(data, n)) {
    setStop(OutputStop::WriteFailed);
    return false;
  }
  if (progress_ && !progress_(data, n)) {
    setStop(OutputStop::Aborted);
    return false;
  }
  return true;
}

}  // namespace pelmora::unace::archive
