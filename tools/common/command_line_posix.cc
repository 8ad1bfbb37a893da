#include "tools/common/command_line.h"

namespace sendwarden_tools {

std::vector<std::string> CommandLineWords(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace sendwarden_tools
