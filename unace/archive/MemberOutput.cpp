#include "unace/archive/MemberOutput.h"

namespace pelmora::unace::archive {

bool CheckedOutput::Write(const std::uint8_t* data, std::size_t n) {
  if (stop_ != OutputStop::None) return false;
  if (n > expected_ - produced_) {
    stop_ = OutputStop::Overflow;
    return false;
  }
  crc_.Update(data, n);
  produced_ += n;
  return Deliver(data, n);
}

bool FileOutput::Deliver(const std::uint8_t* data, std::size_t n) {
  if (!sink_.Write(data, n)) {
    SetStop(OutputStop::WriteFailed);
    return false;
  }
  if (progress_ && !progress_(data, n)) {
    SetStop(OutputStop::Aborted);
    return false;
  }
  return true;
}

}  // namespace pelmora::unace::archive
