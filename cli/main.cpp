#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#if defined(LUMORA_IMPORT_PROGRAM)
#include <unistd.h>
#endif

#include "cli/command.h"
#include "cli/import_usage.h"
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

#if defined(LUMORA_IMPORT_PROGRAM)
// The import commands run in the program that carries GDAL: beside this one
// in the build tree, in libexec once installed. Found from where this
// program is, not from PATH, so that an installed pair stays together.
char** g_argv = nullptr;

int HandOverToImport(const std::vector<std::string>&) {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
  for (const auto& dir : {self, self / LUMORA_IMPORT_DIR}) {
    const auto program = dir / LUMORA_IMPORT_PROGRAM;
    if (ec || access(program.c_str(), X_OK) != 0) continue;
    execv(program.c_str(), g_argv);
    std::fprintf(stderr, "lumora-cli: %s cannot be started: %s\n", program.c_str(),
                 std::strerror(errno));
    return lumora::cli::kExitFailure;
  }
  std::fprintf(stderr, "lumora-cli: the import program (%s) is not installed beside lumora-cli\n",
               LUMORA_IMPORT_PROGRAM);
  return lumora::cli::kExitFailure;
}

const lumora::cli::Registrar kImport("import", lumora::cli::kImportUsage,
                                     lumora::cli::kImportSummary, HandOverToImport);
const lumora::cli::Registrar kImportDem("import-dem", lumora::cli::kImportDemUsage,
                                        lumora::cli::kImportDemSummary, HandOverToImport);
#endif

}  // namespace

int main(int argc, char** argv) {
  using namespace lumora::cli;
  // Messages in English when the locale asks for it; what is written stays the same.
  lumora::SetLanguage(lumora::LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                                 std::getenv("LANG")));
#if defined(LUMORA_IMPORT_PROGRAM)
  g_argv = argv;
#endif
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
