// Advice while training areas are drawn: a traffic light per class with its
// reason, and how well each pair of classes can be told apart (the
// Jeffries-Matusita distance of their statistics), in a child's words.
#pragma once

#include <string>
#include <vector>

#include "core/analysis/classifier.h"
#include "core/analysis/land_cover.h"

namespace lumora {

enum class Light { kGreen, kYellow, kRed };

struct ClassAdvice {
  Light light = Light::kGreen;
  int message = 0;  // a kMsgCoach* id; its text may take the numbers below
  int bands = 0;    // bands used, for kMsgCoachTooFew
  int pixels = 0;   // pixels needed: more than this (red), at least this (yellow)
};

// Pixels a training area covers (its right column and bottom row are not part of it).
int64_t AreaPixels(const ClassItem& item);

// One piece of advice per class, the worst reason first: no area, an area
// outside the image, bands + 1 pixels or fewer, a band without variety
// (singular covariance) are red; fewer than 10 x bands pixels, a nearly
// constant band (deviation below 0.5), a name or colour another class has
// are yellow. stats[i] belongs to classes[i].
std::vector<ClassAdvice> CoachClasses(const std::vector<ClassItem>& classes,
                                      const std::vector<ClassStatistics>& stats, int bands);
// The advice's text in the current language.
std::string AdviceText(const ClassAdvice& advice);

// Jeffries-Matusita distance (0..2) between two normal classes from their
// means and covariances (n x n, row by row), by the Bhattacharyya distance
// B: JM = 2 (1 - e^-B). NaN when a covariance is not positive definite.
double JeffriesMatusita(const std::vector<double>& mean1, const std::vector<double>& cov1,
                        const std::vector<double>& mean2, const std::vector<double>& cov2, int n);

// Red below 1.0, yellow below 1.9, green from 1.9.
Light SeparabilityLight(double jm);

struct PairSeparability {
  int first = 0, second = 0;  // class indices, first < second
  double jm = 0.0;
  Light light = Light::kRed;
};
// Every pair of usable classes, in list order.
std::vector<PairSeparability> SeparabilityOf(const std::vector<ClassStatistics>& stats);

// "water and forest are easy to tell apart. town and fields look alike.":
// the easiest pair when it is green, the hardest when it is not; empty
// without pairs.
std::string SeparabilitySentence(const std::vector<ClassItem>& classes,
                                 const std::vector<PairSeparability>& pairs);

// Statistics of every class over the image (sampled as the run samples);
// false when a band cannot be read.
bool StatisticsOfClasses(const std::vector<ClassItem>& classes, const std::vector<int>& bands,
                         const std::string& basePath, int width, int height,
                         std::vector<ClassStatistics>& out, Messenger& messenger);

// The class lights, the pair table and the sentence as tab-separated text
// (what lumora-cli separability prints).
std::string SeparabilityReport(const std::vector<ClassItem>& classes,
                               const std::vector<ClassStatistics>& stats, int bands);

const char* LightName(Light light);

}  // namespace lumora
