// The PIC mode's context quantizer: a neighbour difference mapped to one of
// nine steps. Writer and reader must agree on it exactly, so both use this.
#pragma once

namespace pelmora::unace::decode {

inline int PicQuantize(int x) {
  if (x <= -21) return -4;
  if (x <= -7) return -3;
  if (x <= -3) return -2;
  if (x <= -1) return -1;
  if (x == 0) return 0;
  if (x <= 2) return 1;
  if (x <= 6) return 2;
  if (x <= 20) return 3;
  return 4;
}

}  // namespace pelmora::unace::decode
