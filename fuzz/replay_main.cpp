// Runs every file below a corpus folder through every fuzz target, so that
// the inputs that once crashed stay fixed without a fuzzing compiler.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

int LumoraFuzzSettings(const uint8_t* data, size_t size);
int LumoraFuzzDisplayState(const uint8_t* data, size_t size);
int LumoraFuzzLegend(const uint8_t* data, size_t size);
int LumoraFuzzRange(const uint8_t* data, size_t size);
int LumoraFuzzDem(const uint8_t* data, size_t size);
int LumoraFuzzText(const uint8_t* data, size_t size);
int LumoraFuzzRewrite(const uint8_t* data, size_t size);
int LumoraFuzzBandName(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_corpus_replay CORPUS_DIR\n");
    return 2;
  }
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<fs::path> files;
  for (auto it = fs::recursive_directory_iterator(argv[1], ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    if (it->is_regular_file()) files.push_back(it->path());
  if (ec || files.empty()) {
    std::fprintf(stderr, "fuzz_corpus_replay: no corpus files in %s\n", argv[1]);
    return 1;
  }
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (auto* target :
         {LumoraFuzzSettings, LumoraFuzzDisplayState, LumoraFuzzLegend, LumoraFuzzRange,
          LumoraFuzzDem, LumoraFuzzText, LumoraFuzzRewrite, LumoraFuzzBandName})
      target(data, bytes.size());
  }
  std::printf("%zu corpus files replayed\n", files.size());
  return 0;
}
