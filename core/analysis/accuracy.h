// How right a classification is, measured on check areas: areas the pupil
// drew apart from the training areas, each named like the class it shows.
// The confusion matrix, overall accuracy, each class's producer's and
// user's accuracy, kappa, and one sentence a child understands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/analysis/land_cover.h"
#include "core/support/messenger.h"

namespace lumora {

struct Accuracy {
  std::vector<std::string> titles;  // the classes, n of them
  // n x (n + 1), row by row: rows the class a check area shows, columns the
  // class the computer chose; the last column counts pixels no class took.
  std::vector<int64_t> matrix;
  int64_t total = 0, right = 0;
  double overall = 0.0;           // right / total
  std::vector<double> producers;  // per class: right / its check pixels (NaN without any)
  std::vector<double> users;      // per class: right / pixels the computer gave it (NaN: none)
  double kappa = 0.0;             // NaN when chance alone would be right everywhere
  int Count() const { return static_cast<int>(titles.size()); }
  int64_t At(int truth, int chosen) const {
    return matrix[static_cast<size_t>(truth) * (titles.size() + 1) + chosen];
  }
};

// The figures from a filled matrix (titles and matrix set).
void ComputeAccuracy(Accuracy& a);

// "Of 100 check pixels the computer got 87 right (87 of every 100). It
// mixed up town and fields most."
std::string AccuracySentence(const Accuracy& a);

// The matrix with its row and column totals, producer's and user's
// accuracy in per cent, overall accuracy and kappa.
std::string AccuracyCsv(const Accuracy& a);

// Classifies every pixel of the check areas as the run would (statistics of
// the training classes) and fills the matrix. A check area belongs to the
// training class of its title. With holdBackHalf every second sample of each
// training area (SampleHalf::kHeldBack) is checked too, and the statistics
// come from the other half, as the run then takes them. Refused with a
// message: no pixel to check, a check area outside the image, one whose
// class has no usable training area; false too when a band cannot be read.
bool CheckAccuracy(const std::vector<int>& bands, const std::vector<ClassItem>& classes,
                   const std::vector<ClassItem>& checks, const std::string& basePath, int width,
                   int height, Accuracy& out, Messenger& messenger, bool holdBackHalf = false);

}  // namespace lumora
