#include <iostream>
#include <string>
#include <vector>

#include "acewriter/Terminal.h"
#include "tools/pelmora-pack/PackCommand.h"

int main(int argc, char** argv) {
  return pelmora::pack::RunPackCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                       std::cerr, {pelmora::acewriter::StandardErrorIsTerminal()});
}
