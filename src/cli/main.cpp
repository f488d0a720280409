// Korvane's command line: with no argument the desktop program, `run SCRIPT`
// runs a command script, `demo [DIR]` runs a sample meet.
#include <iostream>
#include <string>

#include "host/application.h"

int main(int argc, char** argv) {
  std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "--version" || cmd == "version") {
    std::cout << "Korvane " << KORVANE_VERSION << "\n";
    return 0;
  }
  std::cerr << "korvane: 命令尚未提供：" << (cmd.empty() ? "(桌面程序)" : cmd) << "\n";
  return 2;
}
