// Maximum-likelihood classification of 8-bit multi-band pixels: per-class
// statistics from a training area (mean, covariance by running updates,
// determinant and inverse by LU decomposition with scaled partial pivoting),
// the Gaussian decision rule, and the run that writes the class colours as
// three 8-bit planes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/analysis/land_cover.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"

namespace lumora {

// Why a class takes no part in the decision.
enum class ClassStatus {
  kUsable,
  kNoArea,         // no training area drawn
  kAreaOutside,    // the area reaches beyond the image
  kTooFewSamples,  // fewer than two samples: no covariance
  kSingular,       // a band constant over the area (or nearly so)
  kNoMemory,       // the samples could not be held
};

struct ClassStatistics {
  int bands = 0;
  std::vector<double> mean;        // per band
  std::vector<double> deviation;   // per band: the root of the covariance's diagonal
  std::vector<double> covariance;  // bands x bands, row by row
  std::vector<double> inverse;     // bands x bands, row by row
  double determinant = 0.0;
  std::vector<double> factor;  // lower triangle L with inverse = L L', row by row
  ClassStatus status = ClassStatus::kNoArea;
  bool Usable() const { return status == ClassStatus::kUsable; }
};

// Sampling of a training area along one axis: count samples, step apart.
struct SampleAxis {
  int count = 0;
  int step = 1;
};
// extent = right - left (or bottom - top): at most 100 samples, every
// ((extent - 100) / 100)-th when that is 2 or more, else the first ones.
SampleAxis SamplingOf(int extent);

// Determinant and inverse of an n x n matrix (row by row) by LU
// decomposition with scaled partial pivoting. complete is false when the
// matrix is singular (a row below the threshold, or a pivot that is); the
// inverse is then not computed. Returns the determinant as the
// decomposition leaves it.
double LuDeterminantInverse(std::vector<double> a, int n, std::vector<double>& inverse,
                            bool& complete);

// Statistics from samples: samples[b] holds the N values of band b.
ClassStatistics StatisticsFromSamples(const std::vector<std::vector<uint8_t>>& samples);

// Which of a training area's samples are taken. Every second sample, as
// on a chessboard (row + column of the sample grid odd), can be held back
// to check the result: the others then train.
enum class SampleHalf { kAll, kTraining, kHeldBack };

// The samples of a class's area (samples[b]: band b of each), row by row;
// none for an area that is missing or outside the image. False (61234)
// when a band file cannot be opened or is too short (61418), or when the
// samples cannot be held (*noMemory set).
bool ReadAreaSamples(const ClassItem& item, const std::vector<int>& bands,
                     const std::string& basePath, int width, int height, SampleHalf half,
                     std::vector<std::vector<uint8_t>>& samples, Messenger& messenger,
                     bool* noMemory = nullptr);

// Statistics of a class over the image's 8-bit band files base + ".bNN"
// (width x height bytes each). False (61234) when a band file cannot be
// opened or is too short (61418); degenerate areas give a usable == false
// status, not a failure.
bool ComputeClassStatistics(const ClassItem& item, const std::vector<int>& bands,
                            const std::string& basePath, int width, int height,
                            ClassStatistics& out, Messenger& messenger,
                            SampleHalf half = SampleHalf::kAll);

// D = (x - mean)' inverse (x - mean) + ln(determinant) of a usable class.
double DiscriminantOf(const ClassStatistics& s, const uint8_t* x);

// The rule as stated: the class of smallest D, the earlier one on ties,
// -1 when no usable class exists.
int BestClassPlain(const std::vector<ClassStatistics>& classes, const uint8_t* x);

// The same decision, fast: each class's inverse as a triangular factor
// (D = ln(determinant) + |L' (x - mean)|^2) with ln(determinant)
// precomputed, pixels decided four at a time in vector registers, and a
// cache of recent pixel vectors (rested while rows do not repeat).
// At most kMaxBands bands.
class FastClassifier {
 public:
  static constexpr int kMaxBands = 16;
  explicit FastClassifier(const std::vector<ClassStatistics>& classes);
  int bands() const { return m_bands; }
  // Classes of count pixels (-1: none); planes[b][i] is band b of pixel i.
  void ClassifyRow(const uint8_t* const* planes, int count, int16_t* out);
  // The class of one pixel vector.
  int Classify(const uint8_t* x);

  struct Entry {
    int index = 0;  // in the class list
    double logDet = 0.0;
    std::vector<double> mean;
    std::vector<double> factor;
  };

 private:
  static size_t CacheSlot(uint64_t key) {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - kCacheBits));
  }

  int m_bands = 0;
  std::vector<Entry> m_entries;
  int m_cacheRest = 0;  // rows to decide without the cache
  static constexpr int kCacheBits = 16;
  std::vector<uint64_t> m_cacheKey;
  std::vector<int16_t> m_cacheClass;
};

// Writes the three class-colour planes (blue, green, red: base + ".b01" ..
// ".b03") and their descriptions from the image's bands. Classes without
// usable statistics are left out and reported in one message; pixels no
// class takes are black. False on a failure that stops the run, and, when
// requireUsableClass is set (a batch run, where nobody sees the all-black
// result), when classes are listed but none is usable. An empty list gives
// a black image.
bool Classify(const std::vector<int>& bands, const std::vector<ClassItem>& classes,
              const std::string& sourceBase, int width, int height, const std::string& targetBase,
              Messenger& messenger, Progress& progress, bool requireUsableClass = false,
              SampleHalf half = SampleHalf::kAll);

// The message listing left-out classes and why; empty when none is.
std::string LeftOutReport(const std::vector<ClassItem>& classes,
                          const std::vector<ClassStatistics>& stats);

}  // namespace lumora
