#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"

int main(int argc, char** argv) {
  using namespace lumora::cli;
  auto& reg = Registry();
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    std::fprintf(argc < 2 ? stderr : stdout, "usage: lumora-cli COMMAND ...\n\ncommands:\n");
    for (const auto& [name, cmd] : reg)
      std::fprintf(argc < 2 ? stderr : stdout, "  %s\n", cmd.usage.c_str());
    return argc < 2 ? kExitUsage : kExitOk;
  }
  auto it = reg.find(argv[1]);
  if (it == reg.end()) {
    std::fprintf(stderr, "lumora-cli: unknown command '%s'\n", argv[1]);
    return kExitUsage;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  return it->second.run(args);
}
