// The first failure of one member's decoding. Nothing deep in the decoders
// unwinds on a fault (the library is built without exceptions): the code that
// finds damage, a stopping caller or missing memory notes it here and returns
// at once, and every loop that could run on - through the member, a block or
// an output piece - looks here before its next round. The bit reader and the
// output sink of one member share one FaultState, so a caller's "stop" ends
// the decoding the same way as damaged data.
#pragma once

#include <string>
#include <utility>

#include "unace/decode/Decoder.h"

namespace pelmora::unace::decode {

class FaultState {
 public:
  bool Failed() const { return status_ != Status::Ok; }
  Status Kind() const { return status_; }
  const std::string& Reason() const { return reason_; }

  // Keeps the first note: what goes wrong after a fault is its consequence.
  void Note(Status status, std::string reason) {
    if (Failed()) return;
    status_ = status;
    reason_ = std::move(reason);
  }
  void NoteCorrupt(std::string reason) { Note(Status::Corrupt, std::move(reason)); }

 private:
  Status status_ = Status::Ok;
  std::string reason_;
};

}  // namespace pelmora::unace::decode
