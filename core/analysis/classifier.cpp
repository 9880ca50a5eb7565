#include "core/analysis/classifier.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

namespace {

constexpr double kTiny = 4.440892098500626e-16;
constexpr double kNoBest = 1e38;

// Cholesky factor L (lower, row by row) of the symmetric part of m; false
// unless m is positive definite.
bool CholeskyOfSymmetric(const std::vector<double>& m, int n, std::vector<double>& l) {
  l.assign(static_cast<size_t>(n) * n, 0.0);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j <= i; ++j) {
      double s = 0.5 * (m[i * n + j] + m[j * n + i]);
      for (int k = 0; k < j; ++k) s -= l[i * n + k] * l[j * n + k];
      if (i == j) {
        if (!(s > 0.0) || !std::isfinite(s)) return false;
        l[i * n + i] = std::sqrt(s);
      } else {
        l[i * n + j] = s / l[j * n + j];
      }
    }
  }
  return true;
}

}  // namespace

SampleAxis SamplingOf(int extent) {
  SampleAxis axis;
  if (extent <= 0) return axis;
  axis.count = std::min(extent, 100);
  axis.step = (extent - 100) / 100;
  if (axis.step < 2) axis.step = 1;
  return axis;
}

double LuDeterminantInverse(std::vector<double> a, int n, std::vector<double>& inverse,
                            bool& complete) {
  complete = false;
  inverse.clear();
  std::vector<double> scale(n);
  for (int i = 0; i < n; ++i) {
    double big = 0.0;
    for (int j = 0; j < n; ++j) big = std::max(big, std::fabs(a[i * n + j]));
    if (big < kTiny) return 0.0;
    scale[i] = 1.0 / big;
  }
  std::vector<int> perm(n);
  for (int i = 0; i < n; ++i) perm[i] = i;
  double d = 1.0;
  for (int j = 0; j < n; ++j) {
    int best = j;
    double bestValue = -1.0;
    for (int p = j; p < n; ++p) {
      const double v = std::fabs(a[perm[p] * n + j]) * scale[perm[p]];
      if (v > bestValue) {
        bestValue = v;
        best = p;
      }
    }
    if (best != j) {
      std::swap(perm[best], perm[j]);
      d = -d;
    }
    const int pr = perm[j];
    const double pivot = a[pr * n + j];
    d *= pivot;
    if (std::fabs(pivot) < kTiny) return d;
    for (int i = j + 1; i < n; ++i) {
      const int r = perm[i];
      a[r * n + j] /= pivot;
      const double f = a[r * n + j];
      for (int k = j + 1; k < n; ++k) a[r * n + k] -= f * a[pr * n + k];
    }
  }
  complete = true;
  if (d == 0.0) return d;
  inverse.assign(static_cast<size_t>(n) * n, 0.0);
  std::vector<double> y(n), x(n);
  for (int c = 0; c < n; ++c) {
    for (int i = 0; i < n; ++i) {
      double s = perm[i] == c ? 1.0 : 0.0;
      for (int k = 0; k < i; ++k) s -= a[perm[i] * n + k] * y[k];
      y[i] = s;
    }
    for (int i = n - 1; i >= 0; --i) {
      double s = y[i];
      for (int k = i + 1; k < n; ++k) s -= a[perm[i] * n + k] * x[k];
      x[i] = s / a[perm[i] * n + i];
    }
    for (int i = 0; i < n; ++i) inverse[i * n + c] = x[i];
  }
  return d;
}

ClassStatistics StatisticsFromSamples(const std::vector<std::vector<uint8_t>>& samples) {
  ClassStatistics s;
  const int n = static_cast<int>(samples.size());
  s.bands = n;
  const size_t count = n ? samples[0].size() : 0;
  if (n == 0 || count < 2) {
    s.status = ClassStatus::kTooFewSamples;
    return s;
  }
  s.mean.resize(n);
  for (int b = 0; b < n; ++b) {
    uint64_t sum = 0;
    for (uint8_t v : samples[b]) sum += v;
    s.mean[b] = static_cast<double>(sum) / static_cast<double>(count);
  }
  std::vector<double> cov(static_cast<size_t>(n) * n);
  for (int i = 0; i < n; ++i) {
    for (int j = i; j < n; ++j) {
      double mi = 0.0, mj = 0.0, sum = 0.0;
      const auto& xi = samples[i];
      const auto& xj = samples[j];
      for (size_t k = 1; k <= count; ++k) {
        const double dx = xi[k - 1] - mi;
        const double dy = xj[k - 1] - mj;
        const double kd = static_cast<double>(k);
        mi += dx / kd;
        mj += dy / kd;
        sum += (kd - 1) * dy * dx / kd;
      }
      cov[i * n + j] = cov[j * n + i] = sum / static_cast<double>(count - 1);
    }
  }
  s.deviation.resize(n);
  for (int b = 0; b < n; ++b) s.deviation[b] = std::sqrt(cov[static_cast<size_t>(b) * n + b]);
  s.covariance = cov;
  bool complete = false;
  s.determinant = LuDeterminantInverse(cov, n, s.inverse, complete);
  // A covariance is positive semi-definite: a determinant that is not
  // positive, or a stopped decomposition, means a band (or a combination of
  // bands) does not vary over the area, and ln(determinant) has no value.
  if (!complete || !(s.determinant > 0.0) || !std::isfinite(s.determinant) ||
      !CholeskyOfSymmetric(s.inverse, n, s.factor)) {
    s.status = ClassStatus::kSingular;
    return s;
  }
  s.status = ClassStatus::kUsable;
  return s;
}

namespace {

bool SampleTaken(SampleHalf half, int r, int c) {
  return half == SampleHalf::kAll || ((r + c) % 2 == 1) == (half == SampleHalf::kHeldBack);
}

size_t SamplesTaken(const ClassItem& item, SampleHalf half) {
  const SampleAxis sx = SamplingOf(item.right - item.left);
  const SampleAxis sy = SamplingOf(item.bottom - item.top);
  size_t count = 0;
  for (int r = 0; r < sy.count; ++r)
    for (int c = 0; c < sx.count; ++c) count += SampleTaken(half, r, c) ? 1 : 0;
  return count;
}

}  // namespace

bool ReadAreaSamples(const ClassItem& item, const std::vector<int>& bands,
                     const std::string& basePath, int width, int height, SampleHalf half,
                     std::vector<std::vector<uint8_t>>& samples, Messenger& messenger,
                     bool* noMemory) {
  samples.assign(bands.size(), {});
  if (!item.HasArea() || item.left < 0 || item.top < 0 || item.right > width ||
      item.bottom > height)
    return true;
  const SampleAxis sx = SamplingOf(item.right - item.left);
  const SampleAxis sy = SamplingOf(item.bottom - item.top);
  const size_t count = SamplesTaken(item, half);
  std::vector<uint8_t> row;
  if (!AllocateOrReport(messenger, [&] {
        for (auto& s : samples) s.reserve(count);
        row.resize(static_cast<size_t>(width));
      })) {
    if (noMemory) *noMemory = true;
    return false;
  }
  for (size_t b = 0; b < bands.size(); ++b) {
    // Only the rows of the area are read; a band too short for them is found there.
    FilePtr f = OpenBandFile(BandFilePath(basePath, kSample8, bands[b]), 0, messenger);
    if (!f) return false;
    const int64_t rowStride = width;
    bool ok = SeekTo(f.get(), int64_t{item.top} * rowStride);
    for (int r = 0; ok && r < sy.count; ++r) {
      if (r > 0 && sy.step > 1) ok = SeekBy(f.get(), (sy.step - 1) * rowStride);
      if (!ok || std::fread(row.data(), 1, row.size(), f.get()) != row.size()) {
        ok = false;
        break;
      }
      for (int c = 0; c < sx.count; ++c)
        if (SampleTaken(half, r, c)) samples[b].push_back(row[item.left + c * sx.step]);
    }
    if (!ok) {
      messenger.ShowMessage(kMsgBandFileShort);
      return false;
    }
  }
  return true;
}

bool ComputeClassStatistics(const ClassItem& item, const std::vector<int>& bands,
                            const std::string& basePath, int width, int height,
                            ClassStatistics& out, Messenger& messenger, SampleHalf half) {
  out = ClassStatistics();
  out.bands = static_cast<int>(bands.size());
  if (!item.HasArea()) {
    out.status = ClassStatus::kNoArea;
    return true;
  }
  if (item.left < 0 || item.top < 0 || item.right > width || item.bottom > height) {
    out.status = ClassStatus::kAreaOutside;
    return true;
  }
  if (SamplesTaken(item, half) < 2 || bands.empty()) {
    out.status = ClassStatus::kTooFewSamples;
    return true;
  }
  std::vector<std::vector<uint8_t>> samples;
  bool noMemory = false;
  if (!ReadAreaSamples(item, bands, basePath, width, height, half, samples, messenger, &noMemory)) {
    if (!noMemory) return false;
    out.status = ClassStatus::kNoMemory;
    return true;
  }
  out = StatisticsFromSamples(samples);
  return true;
}

double DiscriminantOf(const ClassStatistics& s, const uint8_t* x) {
  const int n = s.bands;
  double q = 0.0;
  for (int i = 0; i < n; ++i) {
    double t = 0.0;
    for (int j = 0; j < n; ++j) t += s.inverse[i * n + j] * (x[j] - s.mean[j]);
    q += (x[i] - s.mean[i]) * t;
  }
  return q + std::log(s.determinant);
}

int BestClassPlain(const std::vector<ClassStatistics>& classes, const uint8_t* x) {
  double best = kNoBest;
  int chosen = -1;
  for (size_t c = 0; c < classes.size(); ++c) {
    if (!classes[c].Usable()) continue;
    const double d = DiscriminantOf(classes[c], x);
    if (d < best) {
      best = d;
      chosen = static_cast<int>(c);
    }
  }
  return chosen;
}

FastClassifier::FastClassifier(const std::vector<ClassStatistics>& classes) {
  for (size_t c = 0; c < classes.size(); ++c) {
    if (!classes[c].Usable() || classes[c].bands > kMaxBands) continue;
    m_bands = classes[c].bands;
    m_entries.push_back(Entry{static_cast<int>(c), std::log(classes[c].determinant),
                              classes[c].mean, classes[c].factor});
  }
  // Pixel vectors of up to 7 bytes pack into a key whose top byte is 0, so
  // an all-ones key never matches a pixel.
  if (m_bands > 0 && m_bands <= 7) {
    m_cacheKey.assign(size_t{1} << kCacheBits, ~uint64_t{0});
    m_cacheClass.assign(size_t{1} << kCacheBits, -1);
  }
}

namespace {

using Lanes = double __attribute__((vector_size(32)));
using LaneIndex = long long __attribute__((vector_size(32)));

// Pixels decided together: two groups of four lanes, so that each factor
// loaded serves eight pixels.
constexpr int kBatch = 8;

// Entries of kBatch pixels (xs: band after band, kBatch values each), every
// class evaluated in list order; -1 where none is below the start value.
// With the band count fixed at compile time the loops unroll and the
// differences stay in registers.
template <int kFixed>
inline __attribute__((always_inline)) void DecideBatchOf(const FastClassifier::Entry* entries,
                                                         int count, int bands, const double* xs,
                                                         int* chosen) {
  const int n = kFixed > 0 ? kFixed : bands;
  Lanes x0[16], x1[16];
  for (int j = 0; j < n; ++j) {
    const double* v = xs + kBatch * j;
    x0[j] = Lanes{v[0], v[1], v[2], v[3]};
    x1[j] = Lanes{v[4], v[5], v[6], v[7]};
  }
  Lanes best0 = Lanes{} + kNoBest, best1 = best0;
  LaneIndex entry0 = LaneIndex{} - 1, entry1 = entry0;
  for (int e = 0; e < count; ++e) {
    const double* mean = entries[e].mean.data();
    const double* factor = entries[e].factor.data();
    Lanes d0[16], d1[16];
    for (int j = 0; j < n; ++j) {
      d0[j] = x0[j] - mean[j];
      d1[j] = x1[j] - mean[j];
    }
    Lanes sum0 = Lanes{} + entries[e].logDet, sum1 = sum0;
    for (int k = n - 1; k >= 0; --k) {
      Lanes y0 = Lanes{}, y1 = Lanes{};
      for (int j = k; j < n; ++j) {
        const double f = factor[j * n + k];
        y0 += f * d0[j];
        y1 += f * d1[j];
      }
      sum0 += y0 * y0;
      sum1 += y1 * y1;
    }
    const LaneIndex less0 = sum0 < best0, less1 = sum1 < best1;
    best0 = less0 ? sum0 : best0;
    best1 = less1 ? sum1 : best1;
    entry0 = less0 ? LaneIndex{} + e : entry0;
    entry1 = less1 ? LaneIndex{} + e : entry1;
  }
  for (int l = 0; l < 4; ++l) {
    chosen[l] = static_cast<int>(entry0[l]);
    chosen[4 + l] = static_cast<int>(entry1[l]);
  }
}

[[gnu::always_inline]] inline void DecideBatch(const FastClassifier::Entry* entries, int count,
                                               int n, const double* xs, int* chosen) {
  switch (n) {
    case 1: return DecideBatchOf<1>(entries, count, n, xs, chosen);
    case 2: return DecideBatchOf<2>(entries, count, n, xs, chosen);
    case 3: return DecideBatchOf<3>(entries, count, n, xs, chosen);
    case 4: return DecideBatchOf<4>(entries, count, n, xs, chosen);
    case 5: return DecideBatchOf<5>(entries, count, n, xs, chosen);
    case 6: return DecideBatchOf<6>(entries, count, n, xs, chosen);
    case 7: return DecideBatchOf<7>(entries, count, n, xs, chosen);
    case 8: return DecideBatchOf<8>(entries, count, n, xs, chosen);
    case 9: return DecideBatchOf<9>(entries, count, n, xs, chosen);
    default: return DecideBatchOf<0>(entries, count, n, xs, chosen);
  }
}

LUMORA_WIDE_VECTORS void DecideBatchWide(const FastClassifier::Entry* entries, int count, int n,
                                         const double* xs, int* chosen) {
  DecideBatch(entries, count, n, xs, chosen);
}
void DecideBatchPortable(const FastClassifier::Entry* entries, int count, int n, const double* xs,
                         int* chosen) {
  DecideBatch(entries, count, n, xs, chosen);
}

}  // namespace

void FastClassifier::ClassifyRow(const uint8_t* const* planes, int count, int16_t* out) {
  if (m_entries.empty()) {
    std::fill(out, out + count, int16_t{-1});
    return;
  }
  const int n = m_bands;
  // Noise-like rows seldom repeat a pixel: the cache then rests for a while.
  const bool cached = !m_cacheKey.empty() && m_cacheRest == 0;
  if (m_cacheRest > 0) --m_cacheRest;
  int hits = 0;
  double xs[16 * kBatch];
  int at[kBatch];
  uint64_t keys[kBatch];
  size_t slots[kBatch];
  int waiting = 0;
  const auto flush = [&] {
    for (int l = waiting; l < kBatch; ++l)  // unused lanes repeat the first
      for (int j = 0; j < n; ++j) xs[kBatch * j + l] = xs[kBatch * j];
    int chosen[kBatch];
    (UseWideVectors() ? DecideBatchWide : DecideBatchPortable)(
        m_entries.data(), static_cast<int>(m_entries.size()), n, xs, chosen);
    for (int l = 0; l < waiting; ++l) {
      const int cls = chosen[l] < 0 ? -1 : m_entries[chosen[l]].index;
      out[at[l]] = static_cast<int16_t>(cls);
      if (cached) {
        m_cacheKey[slots[l]] = keys[l];
        m_cacheClass[slots[l]] = static_cast<int16_t>(cls);
      }
    }
    waiting = 0;
  };
  for (int i = 0; i < count; ++i) {
    if (cached) {
      uint64_t key = 0;
      for (int b = 0; b < n; ++b) key |= uint64_t{planes[b][i]} << (8 * b);
      const size_t slot = CacheSlot(key);
      if (m_cacheKey[slot] == key) {
        out[i] = m_cacheClass[slot];
        ++hits;
        continue;
      }
      keys[waiting] = key;
      slots[waiting] = slot;
    }
    for (int b = 0; b < n; ++b) xs[kBatch * b + waiting] = planes[b][i];
    at[waiting++] = i;
    if (waiting == kBatch) flush();
  }
  if (waiting > 0) flush();
  if (cached && hits < count / 16) m_cacheRest = 15;
}

int FastClassifier::Classify(const uint8_t* x) {
  const uint8_t* planes[16];
  for (int b = 0; b < m_bands; ++b) planes[b] = x + b;
  int16_t out = -1;
  ClassifyRow(planes, 1, &out);
  return out;
}

std::string LeftOutReport(const std::vector<ClassItem>& classes,
                          const std::vector<ClassStatistics>& stats) {
  std::string lines;
  for (size_t c = 0; c < classes.size() && c < stats.size(); ++c) {
    int reason = 0;
    switch (stats[c].status) {
      case ClassStatus::kUsable: continue;
      case ClassStatus::kNoArea: reason = kMsgClassNoArea; break;
      case ClassStatus::kAreaOutside: reason = kMsgClassAreaOutside; break;
      case ClassStatus::kTooFewSamples: reason = kMsgClassTooFewSamples; break;
      case ClassStatus::kSingular: reason = kMsgClassSingular; break;
      case ClassStatus::kNoMemory: reason = kMsgClassNoMemory; break;
    }
    lines += Format(CurrentLanguage() == Language::kEnglish ? "%2d %s: %s\n" : "%2d %s：%s\n",
                    static_cast<int>(c), classes[c].title.c_str(), MessageText(reason));
  }
  if (lines.empty()) return lines;
  return std::string(MessageText(kMsgClassesLeftOut)) + "\n" + lines;
}

bool Classify(const std::vector<int>& bands, const std::vector<ClassItem>& classes,
              const std::string& sourceBase, int width, int height, const std::string& targetBase,
              Messenger& messenger, Progress& progress, bool requireUsableClass, SampleHalf half) {
  if (width <= 0 || height <= 0 || bands.size() > FastClassifier::kMaxBands) {
    messenger.ShowMessage(kMsgBadImageSize);
    return false;
  }
  const auto rowBytes = CheckedMul(width, static_cast<int64_t>(bands.size() + 3 + 2));
  if (!AllocatableBytes(rowBytes)) {
    messenger.ShowMessage(kMsgNoMemory);
    return false;
  }
  BandWriter outFiles[3];
  for (int p = 0; p < 3; ++p) {
    WriteBandDescription(targetBase, kClassPlaneNumbers[p], kClassPlaneTexts[p]);
    if (!outFiles[p].Create(BandFilePath(targetBase, kSample8, kClassPlaneNumbers[p]))) {
      messenger.ShowText("Error", "Output File Open Error");
      return false;
    }
  }
  std::vector<FilePtr> inFiles;
  for (int b : bands) {
    inFiles.push_back(OpenBand(sourceBase, kSample8, b, width, height, messenger));
    if (!inFiles.back()) return false;
  }
  std::vector<ClassStatistics> stats(classes.size());
  for (size_t c = 0; c < classes.size(); ++c)
    if (!ComputeClassStatistics(classes[c], bands, sourceBase, width, height, stats[c], messenger,
                                half))
      return false;
  const std::string report = LeftOutReport(classes, stats);
  if (!report.empty()) messenger.ShowText("土地被覆分類", report);
  // An empty list is a valid one: every pixel is black.
  if (requireUsableClass && !stats.empty() &&
      std::none_of(stats.begin(), stats.end(),
                   [](const ClassStatistics& s) { return s.status == ClassStatus::kUsable; })) {
    if (report.empty()) messenger.ShowMessage(kMsgClassNoArea);
    return false;
  }

  std::vector<std::vector<uint8_t>> in(bands.size());
  std::vector<const uint8_t*> planes(bands.size());
  std::vector<uint8_t> out[3];
  std::vector<int16_t> chosen;
  if (!AllocateOrReport(messenger, [&] {
        for (size_t b = 0; b < bands.size(); ++b) {
          in[b].resize(width);
          planes[b] = in[b].data();
        }
        for (auto& o : out) o.resize(width);
        chosen.resize(width);
      }))
    return false;
  FastClassifier classifier(stats);
  progress.Create(std::max(1, height / 100), "処理中");
  for (int y = 0; y < height; ++y) {
    for (size_t b = 0; b < bands.size(); ++b) {
      if (std::fread(in[b].data(), 1, width, inFiles[b].get()) != static_cast<size_t>(width))
        return progress.Fail(messenger, kMsgBandFileShort);
    }
    classifier.ClassifyRow(planes.data(), width, chosen.data());
    for (int x = 0; x < width; ++x) {
      const int c = chosen[x];
      out[0][x] = c < 0 ? 0 : classes[c].blue;
      out[1][x] = c < 0 ? 0 : classes[c].green;
      out[2][x] = c < 0 ? 0 : classes[c].red;
    }
    for (int p = 0; p < 3; ++p) {
      if (!outFiles[p].Write(out[p].data(), static_cast<size_t>(width))) {
        progress.Close();
        return outFiles[p].Close(messenger);
      }
    }
    progress.SetProgress(static_cast<float>(y) / static_cast<float>(height));
  }
  progress.Close();
  for (auto& f : outFiles)
    if (!f.Close(messenger)) return false;
  return true;
}

}  // namespace lumora
