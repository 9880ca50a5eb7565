#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

#ifndef LUMORA_VERSION
#define LUMORA_VERSION "unknown"
#endif

namespace {

bool IsHelp(const std::string& a) { return a == "--help" || a == "-h"; }

void ListCommands(std::FILE* to) {
  std::fprintf(to,
               "usage: lumora-cli COMMAND ...\n"
               "       lumora-cli COMMAND --help\n"
               "       lumora-cli --version\n\ncommands:\n");
  for (const auto& [name, cmd] : lumora::cli::Registry())
    std::fprintf(to, "  %s\n", cmd.usage.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace lumora::cli;
  // Messages in English when the locale asks for it; what is written stays the same.
  lumora::SetLanguage(lumora::LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                                 std::getenv("LANG")));
  auto& reg = Registry();
  if (argc < 2) {
    ListCommands(stderr);
    return kExitUsage;
  }
  const std::string first = argv[1];
  if (IsHelp(first)) {
    ListCommands(stdout);
    return kExitOk;
  }
  if (first == "--version" || first == "-V") {
    std::printf("lumora-cli %s\n", LUMORA_VERSION);
    return kExitOk;
  }
  auto it = reg.find(first);
  if (it == reg.end()) {
    std::fprintf(stderr, "lumora-cli: unknown command '%s'\n",
                 lumora::EscapeControlCharacters(argv[1]).c_str());
    return kExitUsage;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  if (std::any_of(args.begin(), args.end(), IsHelp)) {
    std::printf("usage: lumora-cli %s\n", it->second.usage.c_str());
    if (!it->second.summary.empty()) std::printf("\n%s\n", it->second.summary.c_str());
    return kExitOk;
  }
  return it->second.run(args);
}
