// Groups the computer finds by itself (k-means): a k-means++ start drawn
// with a seeded generator of our own, so that a seed gives the same groups
// on every machine, then Lloyd rounds until fewer than 0.1 % of the pixels
// change group or 30 rounds have run. The result is written like a
// classification: three grey planes, the legend file with one grey class per
// group (darkest group first) and the group means beside it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/land_cover.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"

namespace lumora {

inline constexpr int kMinGroups = 2;
inline constexpr int kMaxGroups = 12;
inline constexpr int kMaxKMeansRounds = 30;
inline constexpr uint64_t kDefaultKMeansSeed = 1;
// The k-means++ start is drawn from at most this many pixels, evenly spaced.
inline constexpr size_t kKMeansStartSample = 65536;

// splitmix64 (Steele, Lea, Flood 2014): one 64-bit state, add 0x9E3779B97F4A7C15
// per draw, then two xor-shift-multiply rounds.
class SplitMix64 {
 public:
  explicit SplitMix64(uint64_t seed) : m_state(seed) {}
  uint64_t Next();
  // Uniform in [0, 1) from the top 53 bits.
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

 private:
  uint64_t m_state;
};

struct Clustering {
  int k = 0, bands = 0;
  std::vector<double> start;    // k x bands: where each group started
  std::vector<double> centres;  // k x bands: the mean of each group's pixels
  std::vector<int64_t> counts;  // pixels per group
  int rounds = 0;               // Lloyd rounds run
};

// Groups count pixels (planes[b][i]: band b of pixel i) into k groups,
// darkest first (by the sum of a centre's bands); labels[i] is pixel i's
// group. Returns 0, or the message id of why not: k outside 2..12, fewer
// than k different colours among the start sample. threads: 1 or 2.
int ClusterPixels(const std::vector<const uint8_t*>& planes, size_t count, int k, uint64_t seed,
                  std::vector<uint8_t>& labels, Clustering& out, int threads = 2);

// Grey of group g of k: evenly spaced, never black (black is "no class").
uint8_t GroupGrey(int group, int k);

// The classes of the legend file: "グループ1".. in their greys, without areas.
std::vector<ClassItem> GroupClasses(int k);

// The group means file (base + ".kmc"): "k bands seed rounds", the bands,
// then per group its pixel count, its mean per band and its start per band.
struct GroupMeans {
  int k = 0, bands = 0;
  uint64_t seed = 0;
  int rounds = 0;
  std::vector<int> bandNumbers;
  std::vector<int64_t> counts;  // per group
  std::vector<double> means;    // k x bands
  std::vector<double> starts;   // k x bands
};
std::string FormatGroupMeans(const GroupMeans& means);
std::string FormatGroupMeans(const Clustering& c, const std::vector<int>& bands, uint64_t seed);
// False when the text is short, has a word that is no number, or counts
// that do not fit (k 1..12, 1..16 bands).
bool ParseGroupMeans(std::string_view text, GroupMeans& out);
// Group b goes into group a: the counts add up, a's mean becomes the
// pixel-weighted mean of the two, a keeps its start and b's row goes.
void MergeGroupMeans(GroupMeans& means, int a, int b);

struct KMeansParams {
  std::vector<int> bands;
  int k = 8;
  uint64_t seed = kDefaultKMeansSeed;
};

// The run as the classification runs: deletes targetBase.*, copies the .dem
// and .lev companions, writes the grey planes with their descriptions, the
// legend file and the group means. A bad k, a constant band or an empty
// image is reported and nothing is written.
bool RunKMeans(const StepSource& source, const std::string& targetBase, const KMeansParams& params,
               StepResult& result, Messenger& messenger, Progress& progress);
StepBody MakeKMeansStep(KMeansParams params);

}  // namespace lumora
