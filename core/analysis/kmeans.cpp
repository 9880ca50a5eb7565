#include "core/analysis/kmeans.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
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

// What one thread changes in a round: the pixels that moved leave their
// old group's sums and join the new one's. Integer sums, so the means do not
// depend on how the pixels were split; after the first round few pixels
// move, and only they cost more than their distances.
struct RoundSums {
  std::vector<int64_t> sum;  // k x bands
  std::vector<int64_t> count;
  int64_t changed = 0;
};

using Floats = float __attribute__((vector_size(32)));
using Ints = int __attribute__((vector_size(32)));
using Bytes8 = uint8_t __attribute__((vector_size(8)));
using Quads = long long __attribute__((vector_size(32)));

constexpr uint8_t kNoGroup = 0xFF;

using Shorts8 = uint16_t __attribute__((vector_size(16)));

// Eight bytes widened to floats by way of 16 bits, which the compiler does
// with a few widening instructions (straight to 32 bits it goes lane by lane).
inline __attribute__((always_inline)) void BytesToFloats(const uint8_t* bytes, Floats& out) {
  Bytes8 v;
  std::memcpy(&v, bytes, 8);
  const Shorts8 s = __builtin_convertvector(v, Shorts8);
  out = __builtin_convertvector(__builtin_convertvector(s, Ints), Floats);
}

inline void Move(const uint8_t* const* p, size_t i, int n, int from, int to, uint8_t* labels,
                 RoundSums& sums) {
  int64_t* sum = sums.sum.data();
  ++sums.changed;
  labels[i] = static_cast<uint8_t>(to);
  ++sums.count[to];
  for (int b = 0; b < n; ++b) sum[to * n + b] += p[b][i];
  if (from == kNoGroup) return;
  --sums.count[from];
  for (int b = 0; b < n; ++b) sum[from * n + b] -= p[b][i];
}

// Nearest centre of pixels from..to (squared distance in floats, the
// earlier centre on ties).
template <int kFixed>
inline __attribute__((always_inline)) void AssignRangeOf(const uint8_t* const* planes, size_t from,
                                                         size_t to, int bands,
                                                         const Floats* centres, int k,
                                                         uint8_t* labels, RoundSums& sums) {
  const int n = kFixed > 0 ? kFixed : bands;
  const uint8_t* p[kMaxKMeansBands];
  for (int b = 0; b < n; ++b) p[b] = planes[b];
  Ints groups[kMaxGroups];
  for (int c = 0; c < k; ++c) groups[c] = Ints{} + c;
  size_t i = from;
  for (; i + 8 <= to; i += 8) {
    Floats x[kMaxKMeansBands];
    for (int b = 0; b < n; ++b) BytesToFloats(p[b] + i, x[b]);
    Floats best = Floats{} + 3.0e38f;
    Ints label = Ints{};
    for (int c = 0; c < k; ++c) {
      const Floats* centre = centres + c * n;
      Floats d = Floats{};
      for (int b = 0; b < n; ++b) {
        const Floats t = x[b] - centre[b];
        d += t * t;
      }
      const Ints less = d < best;
      best = less ? d : best;
      label = less ? groups[c] : label;
    }
    Bytes8 old;
    std::memcpy(&old, labels + i, 8);
    const Ints moved =
        __builtin_convertvector(__builtin_convertvector(old, Shorts8), Ints) != label;
    const auto quads = reinterpret_cast<Quads>(moved);
    if ((quads[0] | quads[1] | quads[2] | quads[3]) == 0) continue;
    for (int l = 0; l < 8; ++l)
      if (moved[l]) Move(p, i + l, n, labels[i + l], label[l], labels, sums);
  }
  for (; i < to; ++i) {
    float best = 3.0e38f;
    int chosen = 0;
    for (int c = 0; c < k; ++c) {
      float d = 0.0f;
      for (int b = 0; b < n; ++b) {
        const float t = static_cast<float>(p[b][i]) - centres[c * n + b][0];
        d += t * t;
      }
      if (d < best) best = d, chosen = c;
    }
    if (labels[i] != chosen) Move(p, i, n, labels[i], chosen, labels, sums);
  }
}

[[gnu::always_inline]] inline void AssignRange(const uint8_t* const* planes, size_t from, size_t to,
                                               int n, const Floats* centres, int k, uint8_t* labels,
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
                                         int n, const Floats* centres, int k, uint8_t* labels,
                                         RoundSums& sums) {
  AssignRange(planes, from, to, n, centres, k, labels, sums);
}
void AssignRangePortable(const uint8_t* const* planes, size_t from, size_t to, int n,
                         const Floats* centres, int k, uint8_t* labels, RoundSums& sums) {
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
  labels.assign(count, kNoGroup);
  const size_t kn = static_cast<size_t>(k) * n;
  // Each centre value in every lane: the distance loop takes it straight from memory.
  std::vector<Floats> fc(kn);
  const int parts = std::clamp(threads, 1, 2);
  std::vector<RoundSums> sums(parts);
  const auto assign = UseWideVectors() ? AssignRangeWide : AssignRangePortable;
  std::vector<int64_t> total(kn, 0), counts(k, 0);
  for (int round = 1; round <= kMaxKMeansRounds; ++round) {
    for (size_t i = 0; i < kn; ++i) fc[i] = Floats{} + static_cast<float>(centres[i]);
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

std::string FormatGroupMeans(const GroupMeans& m) {
  std::string text =
      Format("%d %d %llu %d\n", m.k, m.bands, static_cast<unsigned long long>(m.seed), m.rounds);
  for (size_t b = 0; b < m.bandNumbers.size(); ++b)
    text += Format(b ? " %d" : "%d", m.bandNumbers[b]);
  text += "\n";
  for (int g = 0; g < m.k; ++g) {
    text += Format("%lld", static_cast<long long>(m.counts[g]));
    for (int b = 0; b < m.bands; ++b) text += Format(" %.4f", m.means[g * m.bands + b]);
    for (int b = 0; b < m.bands; ++b) text += Format(" %.0f", m.starts[g * m.bands + b]);
    text += "\n";
  }
  return text;
}

std::string FormatGroupMeans(const Clustering& c, const std::vector<int>& bands, uint64_t seed) {
  return FormatGroupMeans(
      GroupMeans{c.k, c.bands, seed, c.rounds, bands, c.counts, c.centres, c.start});
}

bool ParseGroupMeans(std::string_view text, GroupMeans& out) {
  std::vector<std::string> words;
  for (size_t i = 0; i < text.size();) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < text.size() && !std::isspace(static_cast<unsigned char>(text[j]))) ++j;
    words.emplace_back(text.substr(i, j - i));
    i = j;
  }
  size_t at = 0;
  const auto number = [&](double& v) {
    if (at >= words.size()) return false;
    char* end = nullptr;
    const std::string& w = words[at++];
    v = std::strtod(w.c_str(), &end);
    return end == w.c_str() + w.size() && std::isfinite(v);
  };
  double k = 0, bands = 0, seed = 0, rounds = 0;
  if (!number(k) || !number(bands) || !number(seed) || !number(rounds) || k < 1 || k > kMaxGroups ||
      k != std::floor(k) || bands < 1 || bands > kMaxKMeansBands || bands != std::floor(bands))
    return false;
  GroupMeans m;
  m.k = static_cast<int>(k);
  m.bands = static_cast<int>(bands);
  // The seed is kept as written: it is shown, never computed with.
  m.seed = static_cast<uint64_t>(std::strtoull(words[2].c_str(), nullptr, 10));
  m.rounds = static_cast<int>(rounds);
  if (words.size() != 4 + size_t(m.bands) * (1 + 2 * size_t(m.k)) + size_t(m.k)) return false;
  double v = 0;
  for (int b = 0; b < m.bands; ++b) {
    if (!number(v)) return false;
    m.bandNumbers.push_back(static_cast<int>(v));
  }
  for (int g = 0; g < m.k; ++g) {
    if (!number(v) || v < 0) return false;
    m.counts.push_back(static_cast<int64_t>(v));
    for (int b = 0; b < m.bands; ++b) {
      if (!number(v)) return false;
      m.means.push_back(v);
    }
    for (int b = 0; b < m.bands; ++b) {
      if (!number(v)) return false;
      m.starts.push_back(v);
    }
  }
  out = std::move(m);
  return true;
}

void MergeGroupMeans(GroupMeans& m, int a, int b) {
  if (a == b || a < 0 || b < 0 || a >= m.k || b >= m.k) return;
  const double na = static_cast<double>(m.counts[a]), nb = static_cast<double>(m.counts[b]);
  for (int i = 0; i < m.bands; ++i) {
    double& mean = m.means[a * m.bands + i];
    // Two empty groups keep a's mean.
    if (na + nb > 0) mean = (na * mean + nb * m.means[b * m.bands + i]) / (na + nb);
  }
  m.counts[a] += m.counts[b];
  m.counts.erase(m.counts.begin() + b);
  m.means.erase(m.means.begin() + b * m.bands, m.means.begin() + (b + 1) * m.bands);
  m.starts.erase(m.starts.begin() + b * m.bands, m.starts.begin() + (b + 1) * m.bands);
  --m.k;
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
    // Any byte unlike the first one; a loop the compiler vectorises.
    uint8_t differs = 0;
    const uint8_t first = data[b][0];
    for (uint8_t v : data[b]) differs |= static_cast<uint8_t>(v ^ first);
    if (differs == 0) {
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
  SetClassifiedResult(result, width, height);
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
