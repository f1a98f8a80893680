// The internal way out of a damaged stream. Deep inside the decoders a fault
// is found far from DecodeMember; an exception carries the status and a
// readable reason up to it, where it is turned into a return value.
#pragma once

#include <string>
#include <utility>

#include "unace/decode/Decoder.h"

namespace pelmora::unace::decode {

class DecodeError {
 public:
  DecodeError(Status status, std::string reason) : status_(status), reason_(std::move(reason)) {}
  Status Kind() const { return status_; }
  const std::string& Reason() const { return reason_; }

 private:
  Status status_;
  std::string reason_;
};

[[noreturn]] inline void ThrowCorrupt(std::string reason) {
  throw DecodeError(Status::Corrupt, std::move(reason));
}

}  // namespace pelmora::unace::decode
