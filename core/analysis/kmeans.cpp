#include "core/analysis/kmeans.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <thread>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/band_io.h"
#include "core/imagefile/settings_file.h"
#include "core/support/allocation.h"
#include "core/support/checked_math.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/support/vector_code.h"

namespace lumora {

uint64_t SplitMix64::Next() {
  uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

namespace {

constexpr int kMaxKMeansBands = 16;

// What one thread gathers in a round: integer sums, so the means do not
// depend on how the pixels were split.
struct RoundSums {
  std::vector<int64_t> sum;  // k x bands
  std::vector<int64_t> count;
  int64_t changed = 0;
};

using Floats = float __attribute__((vector_size(32)));
using Ints = int __attribute__((vector_size(32)));
using Bytes8 = uint8_t __attribute__((vector_size(8)));

// Nearest centre of pixels from..to (squared distance in floats, the
// earlier centre on ties), eight pixels a step; labels and the sums follow.
template <int kFixed>
inline __attribute__((always_inline)) void AssignRangeOf(const uint8_t* const* planes, size_t from,
                                                         size_t to, int bands, const float* centres,
                                                         int k, uint8_t* labels, RoundSums& sums) {
  const int n = kFixed > 0 ? kFixed : bands;
  int64_t* sum = sums.sum.data();
  int64_t* count = sums.count.data();
  size_t i = from;
  for (; i + 8 <= to; i += 8) {
    Floats x[kMaxKMeansBands];
    for (int b = 0; b < n; ++b) {
      Bytes8 v;
      std::memcpy(&v, planes[b] + i, 8);
      x[b] = __builtin_convertvector(v, Floats);
    }
    Floats best = Floats{} + 3.0e38f;
    Ints label = Ints{};
    for (int c = 0; c < k; ++c) {
      const float* centre = centres + c * n;
      Floats d = Floats{};
      for (int b = 0; b < n; ++b) {
        const Floats t = x[b] - centre[b];
        d += t * t;
      }
      const Ints less = d < best;
      best = less ? d : best;
      label = less ? Ints{} + c : label;
    }
    for (int l = 0; l < 8; ++l) {
      const int c = label[l];
      const size_t p = i + l;
      sums.changed += labels[p] != c;
      labels[p] = static_cast<uint8_t>(c);
      ++count[c];
      int64_t* s = sum + c * n;
      for (int b = 0; b < n; ++b) s[b] += planes[b][p];
    }
  }
  for (; i < to; ++i) {
    float best = 3.0e38f;
    int chosen = 0;
    for (int c = 0; c < k; ++c) {
      float d = 0.0f;
      for (int b = 0; b < n; ++b) {
        const float t = static_cast<float>(planes[b][i]) - centres[c * n + b];
        d += t * t;
      }
      if (d < best) best = d, chosen = c;
    }
    sums.changed += labels[i] != chosen;
    labels[i] = static_cast<uint8_t>(chosen);
    ++count[chosen];
    for (int b = 0; b < n; ++b) sum[chosen * n + b] += planes[b][i];
  }
}

[[gnu::always_inline]] inline void AssignRange(const uint8_t* const* planes, size_t from, size_t to,
                                               int n, const float* centres, int k, uint8_t* labels,
                                               RoundSums& sums) {
  switch (n) {
    case 1: return AssignRangeOf<1>(planes, from, to, n, centres, k, labels, sums);
    case 2: return AssignRangeOf<2>(planes, from, to, n, centres, k, labels, sums);
    case 3: return AssignRangeOf<3>(planes, from, to, n, centres, k, labels, sums);
    case 4: return AssignRangeOf<4>(planes, from, to, n, centres, k, labels, sums);
    case 5: return AssignRangeOf<5>(planes, from, to, n, centres, k, labels, sums);
    case 6: return AssignRangeOf<6>(planes, from, to, n, centres, k, labels, sums);
    case 7: return AssignRangeOf<7>(planes, from, to, n, centres, k, labels, sums);
    case 8: return AssignRangeOf<8>(planes, from, to, n, centres, k, labels, sums);
    case 9: return AssignRangeOf<9>(planes, from, to, n, centres, k, labels, sums);
    default: return AssignRangeOf<0>(planes, from, to, n, centres, k, labels, sums);
  }
}

LUMORA_WIDE_VECTORS void AssignRangeWide(const uint8_t* const* planes, size_t from, size_t to,
                                         int n, const float* centres, int k, uint8_t* labels,
                                         RoundSums& sums) {
  AssignRange(planes, from, to, n, centres, k, labels, sums);
}
void AssignRangePortable(const uint8_t* const* planes, size_t from, size_t to, int n,
                         const float* centres, int k, uint8_t* labels, RoundSums& sums) {
  AssignRange(planes, from, to, n, centres, k, labels, sums);
}

double SquaredDistance(const std::vector<const uint8_t*>& planes, size_t i, const double* centre) {
  double d = 0.0;
  for (size_t b = 0; b < planes.size(); ++b) {
    const double t = planes[b][i] - centre[b];
    d += t * t;
  }
  return d;
}

// k-means++ over an evenly spaced sample: the first centre uniformly, each
// further one with a chance proportional to its squared distance from the
// nearest centre chosen. False when fewer than k colours are in the sample.
bool StartCentres(const std::vector<const uint8_t*>& planes, size_t count, int k, uint64_t seed,
                  std::vector<double>& start) {
  const int n = static_cast<int>(planes.size());
  const size_t samples = std::min(count, kKMeansStartSample);
  const size_t step = count / samples;
  SplitMix64 random(seed);
  start.assign(static_cast<size_t>(k) * n, 0.0);
  const auto take = [&](int c, size_t sample) {
    for (int b = 0; b < n; ++b) start[static_cast<size_t>(c) * n + b] = planes[b][sample * step];
  };
  take(0, static_cast<size_t>(random.Next() % samples));
  std::vector<double> nearest(samples);
  for (size_t s = 0; s < samples; ++s) nearest[s] = SquaredDistance(planes, s * step, &start[0]);
  for (int c = 1; c < k; ++c) {
    const double total = std::accumulate(nearest.begin(), nearest.end(), 0.0);
    if (!(total > 0.0)) return false;
    const double target = random.Uniform() * total;
    double running = 0.0;
    size_t chosen = samples;
    for (size_t s = 0; s < samples; ++s) {
      if (nearest[s] <= 0.0) continue;
      chosen = s;
      running += nearest[s];
      if (running > target) break;
    }
    take(c, chosen);
    const double* centre = &start[static_cast<size_t>(c) * n];
    for (size_t s = 0; s < samples; ++s)
      nearest[s] = std::min(nearest[s], SquaredDistance(planes, s * step, centre));
  }
  return true;
}

}  // namespace

int ClusterPixels(const std::vector<const uint8_t*>& planes, size_t count, int k, uint64_t seed,
                  std::vector<uint8_t>& labels, Clustering& out, int threads) {
  if (k < kMinGroups || k > kMaxGroups) return kMsgKMeansBadK;
  const int n = static_cast<int>(planes.size());
  if (n < 1 || n > kMaxKMeansBands || count == 0) return kMsgBadImageSize;
  out = Clustering();
  out.k = k, out.bands = n;
  if (!StartCentres(planes, count, k, seed, out.start)) return kMsgKMeansFewColours;
  std::vector<double> centres = out.start;
  labels.assign(count, 0xFF);
  const size_t kn = static_cast<size_t>(k) * n;
  std::vector<float> fc(kn);
  const int parts = std::clamp(threads, 1, 2);
  std::vector<RoundSums> sums(parts);
  const auto assign = UseWideVectors() ? AssignRangeWide : AssignRangePortable;
  std::vector<int64_t> total(kn), counts(k);
  for (int round = 1; round <= kMaxKMeansRounds; ++round) {
    for (size_t i = 0; i < kn; ++i) fc[i] = static_cast<float>(centres[i]);
    for (auto& s : sums) {
      s.sum.assign(kn, 0);
      s.count.assign(k, 0);
      s.changed = 0;
    }
    const size_t half = count / 2 / 8 * 8;
    if (parts == 2 && half > 0) {
      std::thread second(
          [&] { assign(planes.data(), half, count, n, fc.data(), k, labels.data(), sums[1]); });
      assign(planes.data(), 0, half, n, fc.data(), k, labels.data(), sums[0]);
      second.join();
    } else {
      assign(planes.data(), 0, count, n, fc.data(), k, labels.data(), sums[0]);
    }
    std::fill(total.begin(), total.end(), 0);
    std::fill(counts.begin(), counts.end(), 0);
    int64_t changed = 0;
    for (const auto& s : sums) {
      for (size_t i = 0; i < kn; ++i) total[i] += s.sum[i];
      for (int c = 0; c < k; ++c) counts[c] += s.count[c];
      changed += s.changed;
    }
    // An empty group keeps its centre.
    for (int c = 0; c < k; ++c)
      if (counts[c] > 0)
        for (int b = 0; b < n; ++b)
          centres[static_cast<size_t>(c) * n + b] =
              static_cast<double>(total[static_cast<size_t>(c) * n + b]) /
              static_cast<double>(counts[c]);
    out.rounds = round;
    if (static_cast<uint64_t>(changed) * 1000 < count) break;
  }
  // Darkest group first, so that the greys follow the brightness.
  std::vector<int> order(k);
  std::iota(order.begin(), order.end(), 0);
  const auto brightness = [&](int c) {
    return std::accumulate(centres.begin() + c * n, centres.begin() + (c + 1) * n, 0.0);
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return brightness(a) < brightness(b); });
  std::vector<uint8_t> rank(k);
  out.centres.resize(kn);
  std::vector<double> start(kn);
  out.counts.resize(k);
  for (int r = 0; r < k; ++r) {
    const int c = order[r];
    rank[c] = static_cast<uint8_t>(r);
    std::copy_n(centres.begin() + c * n, n, out.centres.begin() + r * n);
    std::copy_n(out.start.begin() + c * n, n, start.begin() + r * n);
    out.counts[r] = counts[c];
  }
  out.start = std::move(start);
  for (auto& l : labels) l = rank[l];
  return 0;
}

uint8_t GroupGrey(int group, int k) {
  return static_cast<uint8_t>(255 * (group + 1) / std::max(k, 1));
}

std::vector<ClassItem> GroupClasses(int k) {
  std::vector<ClassItem> classes(std::max(k, 0));
  for (int g = 0; g < k; ++g) {
    ClassItem& c = classes[g];
    c.red = c.green = c.blue = GroupGrey(g, k);
    // Files keep one language: the titles are the pupil's to rename.
    c.title = Format("グループ%d", g + 1);
  }
  return classes;
}

std::string FormatGroupMeans(const Clustering& c, const std::vector<int>& bands, uint64_t seed) {
  std::string text =
      Format("%d %d %llu %d\n", c.k, c.bands, static_cast<unsigned long long>(seed), c.rounds);
  for (size_t b = 0; b < bands.size(); ++b) text += Format(b ? " %d" : "%d", bands[b]);
  text += "\n";
  for (int g = 0; g < c.k; ++g) {
    text += Format("%lld", static_cast<long long>(c.counts[g]));
    for (int b = 0; b < c.bands; ++b) text += Format(" %.4f", c.centres[g * c.bands + b]);
    for (int b = 0; b < c.bands; ++b) text += Format(" %.0f", c.start[g * c.bands + b]);
    text += "\n";
  }
  return text;
}

bool RunKMeans(const StepSource& source, const std::string& targetBase, const KMeansParams& params,
               StepResult& result, Messenger& messenger, Progress& progress) {
  const int width = source.settings.pixels, height = source.settings.lines;
  if (params.k < kMinGroups || params.k > kMaxGroups) {
    messenger.ShowMessage(kMsgKMeansBadK);
    return false;
  }
  const auto pixels = CheckedMul(int64_t{width}, int64_t{height});
  if (width <= 0 || height <= 0 || params.bands.empty() ||
      params.bands.size() > static_cast<size_t>(kMaxKMeansBands) || !pixels) {
    messenger.ShowMessage(kMsgBadImageSize);
    return false;
  }
  const size_t count = static_cast<size_t>(*pixels);
  if (!AllocatableBytes(CheckedMul(*pixels, static_cast<int64_t>(params.bands.size() + 2)))) {
    messenger.ShowMessage(kMsgNoMemory);
    return false;
  }
  // The Lloyd rounds go over every pixel many times: the bands are held.
  std::vector<std::vector<uint8_t>> data(params.bands.size());
  std::vector<const uint8_t*> planes(params.bands.size());
  std::vector<uint8_t> labels;
  if (!AllocateOrReport(messenger, [&] {
        for (auto& d : data) d.resize(count);
        labels.reserve(count);
      }))
    return false;
  progress.Create(1, "処理中");
  for (size_t b = 0; b < params.bands.size(); ++b) {
    FilePtr f = OpenBand(source.basePath, kSample8, params.bands[b], width, height, messenger);
    if (!f) return false;
    if (std::fread(data[b].data(), 1, count, f.get()) != count)
      return progress.Fail(messenger, kMsgBandFileShort);
    planes[b] = data[b].data();
    const auto [lo, hi] = std::minmax_element(data[b].begin(), data[b].end());
    if (*lo == *hi) {
      progress.Close();
      messenger.ShowText(ShownText("土地被覆分類"),
                         Format(MessageText(kMsgKMeansConstantBand), params.bands[b]));
      return false;
    }
    progress.SetProgress(0.2f * static_cast<float>(b + 1) / static_cast<float>(data.size()));
  }
  Clustering clusters;
  const int why = ClusterPixels(planes, count, params.k, params.seed, labels, clusters);
  if (why != 0) {
    progress.Close();
    if (why == kMsgKMeansFewColours)
      messenger.ShowText(ShownText("土地被覆分類"), Format(MessageText(why), params.k, params.k));
    else
      messenger.ShowMessage(why);
    return false;
  }
  data.clear();
  progress.SetProgress(0.9f);
  if (!DeleteFiles(targetBase + ".*")) {
    progress.Close();
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  if (!CopyCompanions(source.basePath, targetBase, {".dem", ".lev"}, messenger)) return false;
  uint8_t grey[kMaxGroups];
  for (int g = 0; g < params.k; ++g) grey[g] = GroupGrey(g, params.k);
  std::vector<uint8_t> row(static_cast<size_t>(width));
  for (int p = 0; p < 3; ++p) {
    WriteBandDescription(targetBase, kClassPlaneNumbers[p], kClassPlaneTexts[p]);
    BandWriter out;
    if (!out.Create(BandFilePath(targetBase, kSample8, kClassPlaneNumbers[p]))) {
      progress.Close();
      messenger.ShowMessage(kMsgCreateFailed);
      return false;
    }
    for (int y = 0; y < height; ++y) {
      const uint8_t* l = labels.data() + static_cast<size_t>(y) * width;
      for (int x = 0; x < width; ++x) row[x] = grey[l[x]];
      if (!out.Write(row.data(), row.size())) break;
    }
    if (!out.Close(messenger)) {
      progress.Close();
      return false;
    }
  }
  progress.Close();
  if (!WriteLandCoverFile(targetBase + ".mlk", params.bands, GroupClasses(params.k), messenger))
    return false;
  if (!WriteFileAtomically(targetBase + ".kmc",
                           FormatGroupMeans(clusters, params.bands, params.seed))) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  result.lines = height;
  result.pixels = width;
  result.fileState = kStateClassified;
  result.rainbow = 0;
  result.singleBand = 0;
  return true;
}

StepBody MakeKMeansStep(KMeansParams params) {
  return
      [params = std::move(params)](const StepSource& source, const std::string& targetBase,
                                   StepResult& result, Messenger& messenger, Progress& progress) {
        return RunKMeans(source, targetBase, params, result, messenger, progress);
      };
}

}  // namespace lumora
