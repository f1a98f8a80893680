// Test helper: runs acetool in-process and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "tools/acetool/Acetool.h"

namespace pelmora::acetool::testutil {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

inline ToolRun RunTool(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunAcetool(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace pelmora::acetool::testutil
