// sealing_without_memory TARGET_DIR KEY_PATH N BLOCK   (TARGET_DIR without "\")
//
// Appends BLOCK to TARGET_DIR's protocol under the seal of
// HKEY_CURRENT_USER\KEY_PATH, as the setup does, built as the setup is
// (the shipped failure functions, no exceptions in what it calls), but with
// memory that runs out at the N-th request: the test starts it once for
// each N to see every way a run out of memory can end.
#include <cstdlib>
#include <string>
#include <variant>

#include "common/Allocation.h"
#include "install/SealedProtocol_win.h"

namespace {
long requestsLeft = -1;  // none counted until the work starts
}

void* pelmora::common::AllocateBlock(std::size_t size) noexcept {
  if (requestsLeft == 0) return nullptr;
  if (requestsLeft > 0) --requestsLeft;
  return std::malloc(size);
}

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  const std::string target = std::string(argv[1]) + "\\";
  const pelmora::install::SealingEntries entries{argv[2], {HKEY_CURRENT_USER}};
  const std::string block = argv[4];
  const long failAt = std::atol(argv[3]);
  requestsLeft = failAt;
  const auto written = pelmora::install::WriteSealedProtocol(target, block, entries, {});
  return std::holds_alternative<pelmora::common::WinFailure>(written) ? 1 : 0;
}
