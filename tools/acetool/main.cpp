#include <iostream>
#include <string>
#include <vector>

#include "acewriter/Terminal.h"
#include "tools/acetool/Acetool.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = pelmora::acetool::RunAcetool(args, std::cout, std::cerr,
                                                  {pelmora::acewriter::StandardErrorIsTerminal()});
  std::cout.flush();
  return status;
}
