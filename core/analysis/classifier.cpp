#include "core/analysis/classifier.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/checked_math.h"
#include "core/support/file_set.h"
#include "core/support/line_reader.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace {

constexpr double kTiny = 4.440892098500626e-16;
constexpr double kNoBest = 1e38;

using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenBand(const std::string& base, int band) {
  return FilePtr(std::fopen(ResolveNoCase(BandFilePath(base, kSample8, band)).c_str(), "rb"));
}

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

bool ComputeClassStatistics(const ClassItem& item, const std::vector<int>& bands,
                            const std::string& basePath, int width, int height,
                            ClassStatistics& out, Messenger& messenger) {
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
  const SampleAxis sx = SamplingOf(item.right - item.left);
  const SampleAxis sy = SamplingOf(item.bottom - item.top);
  const size_t count = static_cast<size_t>(sx.count) * sy.count;
  if (count < 2 || bands.empty()) {
    out.status = ClassStatus::kTooFewSamples;
    return true;
  }
  std::vector<std::vector<uint8_t>> samples;
  std::vector<uint8_t> row;
  try {
    samples.assign(bands.size(), std::vector<uint8_t>(count));
    row.resize(static_cast<size_t>(width));
  } catch (const std::bad_alloc&) {
    messenger.ShowMessage(kMsgNoMemory);
    out.status = ClassStatus::kNoMemory;
    return true;
  }
  for (size_t b = 0; b < bands.size(); ++b) {
    FilePtr f = OpenBand(basePath, bands[b]);
    if (!f) {
      messenger.ShowMessage(kMsgOpenFailed);
      return false;
    }
    const int64_t rowStride = width;
    bool ok = fseeko(f.get(), static_cast<off_t>(int64_t{item.top} * rowStride), SEEK_SET) == 0;
    size_t at = 0;
    for (int r = 0; ok && r < sy.count; ++r) {
      if (r > 0 && sy.step > 1)
        ok = fseeko(f.get(), static_cast<off_t>((sy.step - 1) * rowStride), SEEK_CUR) == 0;
      if (!ok || std::fread(row.data(), 1, row.size(), f.get()) != row.size()) {
        ok = false;
        break;
      }
      for (int c = 0; c < sx.count; ++c) samples[b][at++] = row[item.left + c * sx.step];
    }
    if (!ok) {
      messenger.ShowMessage(kMsgBandFileShort);
      return false;
    }
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
    if (!classes[c].Usable()) continue;
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

int FastClassifier::Decide(const uint8_t* x) {
  const int n = m_bands;
  double best = kNoBest;
  int bestEntry = -1;
  double d[16];
  const int count = static_cast<int>(m_entries.size());
  for (int t = -1; t < count; ++t) {
    // The last winner first: it usually wins again and lets the others stop early.
    if (t == m_last) continue;
    const int e = t < 0 ? m_last : t;
    const Entry& entry = m_entries[e];
    const double* mean = entry.mean.data();
    const double* factor = entry.factor.data();
    for (int j = 0; j < n; ++j) d[j] = x[j] - mean[j];
    // Sum of squares of L' d, shortest rows first; it only grows, so a class
    // is abandoned once it cannot be smaller (or, equal, listed earlier).
    double sum = entry.logDet;
    bool lost = false;
    for (int k = n - 1; k >= 0; --k) {
      double y = 0.0;
      for (int j = k; j < n; ++j) y += factor[j * n + k] * d[j];
      sum += y * y;
      if (sum > best || (sum == best && e > bestEntry)) {
        lost = true;
        break;
      }
    }
    if (lost) continue;
    // Not lost means smaller, or equal and listed earlier.
    best = sum;
    bestEntry = e;
  }
  if (bestEntry >= 0) m_last = bestEntry;
  return bestEntry;
}

int FastClassifier::Classify(const uint8_t* x) {
  if (m_entries.empty()) return -1;
  if (m_cacheKey.empty()) {
    const int e = Decide(x);
    return e < 0 ? -1 : m_entries[e].index;
  }
  uint64_t key = 0;
  for (int j = 0; j < m_bands; ++j) key |= uint64_t{x[j]} << (8 * j);
  const size_t slot = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - kCacheBits));
  if (m_cacheKey[slot] == key) return m_cacheClass[slot];
  const int e = Decide(x);
  const int cls = e < 0 ? -1 : m_entries[e].index;
  m_cacheKey[slot] = key;
  m_cacheClass[slot] = static_cast<int16_t>(cls);
  return cls;
}

void FastClassifier::ClassifyRow(const uint8_t* const* planes, int count, int16_t* out) {
  if (m_entries.empty()) {
    std::fill(out, out + count, int16_t{-1});
    return;
  }
  uint8_t x[16];
  for (int i = 0; i < count; ++i) {
    for (int b = 0; b < m_bands; ++b) x[b] = planes[b][i];
    out[i] = static_cast<int16_t>(Classify(x));
  }
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
    lines +=
        Format("%2d %s：%s\n", static_cast<int>(c), classes[c].title.c_str(), MessageText(reason));
  }
  if (lines.empty()) return lines;
  return std::string(MessageText(kMsgClassesLeftOut)) + "\n" + lines;
}

bool Classify(const std::vector<int>& bands, const std::vector<ClassItem>& classes,
              const std::string& sourceBase, int width, int height, const std::string& targetBase,
              Messenger& messenger, Progress& progress) {
  static const char* const kPlaneTexts[3] = {"土地被覆分類データ　青", "土地被覆分類データ　緑",
                                             "土地被覆分類データ　赤"};
  if (width <= 0 || height <= 0 || bands.size() > 16) {
    messenger.ShowMessage(kMsgBadImageSize);
    return false;
  }
  const auto rowBytes = CheckedMul(width, static_cast<int64_t>(bands.size() + 3 + 2));
  if (!AllocatableBytes(rowBytes)) {
    messenger.ShowMessage(kMsgNoMemory);
    return false;
  }
  FilePtr outFiles[3];
  for (int p = 0; p < 3; ++p) {
    WriteBandDescription(targetBase, kClassPlaneNumbers[p], kPlaneTexts[p]);
    outFiles[p].reset(
        std::fopen(BandFilePath(targetBase, kSample8, kClassPlaneNumbers[p]).c_str(), "wb"));
    if (!outFiles[p]) {
      messenger.ShowText("Error", "Output File Open Error");
      return false;
    }
  }
  const int64_t bandBytes = int64_t{width} * height;
  std::vector<FilePtr> inFiles;
  for (int b : bands) {
    inFiles.push_back(OpenBand(sourceBase, b));
    if (!inFiles.back()) {
      messenger.ShowMessage(kMsgOpenFailed);
      return false;
    }
    std::FILE* f = inFiles.back().get();
    if (fseeko(f, 0, SEEK_END) != 0 || ftello(f) < bandBytes || fseeko(f, 0, SEEK_SET) != 0) {
      messenger.ShowMessage(kMsgBandFileShort);
      return false;
    }
  }
  std::vector<ClassStatistics> stats(classes.size());
  for (size_t c = 0; c < classes.size(); ++c)
    if (!ComputeClassStatistics(classes[c], bands, sourceBase, width, height, stats[c], messenger))
      return false;
  const std::string report = LeftOutReport(classes, stats);
  if (!report.empty()) messenger.ShowText("土地被覆分類", report);

  std::vector<std::vector<uint8_t>> in(bands.size());
  std::vector<const uint8_t*> planes(bands.size());
  std::vector<uint8_t> out[3];
  std::vector<int16_t> chosen;
  try {
    for (size_t b = 0; b < bands.size(); ++b) {
      in[b].resize(width);
      planes[b] = in[b].data();
    }
    for (auto& o : out) o.resize(width);
    chosen.resize(width);
  } catch (const std::bad_alloc&) {
    messenger.ShowMessage(kMsgNoMemory);
    return false;
  }
  FastClassifier classifier(stats);
  progress.Create(std::max(1, height / 100), "処理中");
  for (int y = 0; y < height; ++y) {
    for (size_t b = 0; b < bands.size(); ++b) {
      if (std::fread(in[b].data(), 1, width, inFiles[b].get()) != static_cast<size_t>(width)) {
        progress.Close();
        messenger.ShowMessage(kMsgBandFileShort);
        return false;
      }
    }
    classifier.ClassifyRow(planes.data(), width, chosen.data());
    for (int x = 0; x < width; ++x) {
      const int c = chosen[x];
      out[0][x] = c < 0 ? 0 : classes[c].blue;
      out[1][x] = c < 0 ? 0 : classes[c].green;
      out[2][x] = c < 0 ? 0 : classes[c].red;
    }
    for (int p = 0; p < 3; ++p) {
      if (std::fwrite(out[p].data(), 1, width, outFiles[p].get()) != static_cast<size_t>(width)) {
        progress.Close();
        messenger.ShowMessage(kMsgWriteFailed);
        return false;
      }
    }
    progress.SetProgress(static_cast<float>(y) / static_cast<float>(height));
  }
  progress.Close();
  for (auto& f : outFiles) {
    if (std::fclose(f.release()) != 0) {
      messenger.ShowMessage(kMsgWriteFailed);
      return false;
    }
  }
  return true;
}

}  // namespace lumora
