#include "core/analysis/class_coaching.h"

#include <cmath>
#include <limits>

#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace {

// Below this deviation nearly every pixel of the area has one value in the band.
constexpr double kFlatDeviation = 0.5;

// ln(det) of a symmetric positive definite matrix and its Cholesky factor
// (lower, row by row); false when the matrix is not positive definite.
bool CholeskyLogDet(const std::vector<double>& m, int n, std::vector<double>& l, double& logDet) {
  l.assign(static_cast<size_t>(n) * n, 0.0);
  logDet = 0.0;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j <= i; ++j) {
      double s = m[static_cast<size_t>(i) * n + j];
      for (int k = 0; k < j; ++k)
        s -= l[static_cast<size_t>(i) * n + k] * l[static_cast<size_t>(j) * n + k];
      if (i == j) {
        if (!(s > 0.0) || !std::isfinite(s)) return false;
        l[static_cast<size_t>(i) * n + i] = std::sqrt(s);
        logDet += std::log(s);
      } else {
        l[static_cast<size_t>(i) * n + j] = s / l[static_cast<size_t>(j) * n + j];
      }
    }
  }
  return true;
}

bool SameColour(const ClassItem& a, const ClassItem& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

}  // namespace

int64_t AreaPixels(const ClassItem& item) {
  if (!item.HasArea() || item.right <= item.left || item.bottom <= item.top) return 0;
  return (int64_t{item.right} - item.left) * (int64_t{item.bottom} - item.top);
}

std::vector<ClassAdvice> CoachClasses(const std::vector<ClassItem>& classes,
                                      const std::vector<ClassStatistics>& stats, int bands) {
  std::vector<ClassAdvice> out(classes.size());
  for (size_t c = 0; c < classes.size(); ++c) {
    ClassAdvice& a = out[c];
    a.bands = bands;
    const ClassItem& item = classes[c];
    const ClassStatistics* s = c < stats.size() ? &stats[c] : nullptr;
    const int64_t pixels = AreaPixels(item);
    const auto set = [&](Light light, int message, int need) {
      a.light = light, a.message = message, a.pixels = need;
    };
    bool sameName = false, sameColour = false;
    for (size_t o = 0; o < classes.size(); ++o) {
      if (o == c) continue;
      sameName = sameName || classes[o].title == item.title;
      sameColour = sameColour || SameColour(classes[o], item);
    }
    bool flat = false;
    if (s && s->Usable())
      for (double d : s->deviation) flat = flat || d < kFlatDeviation;
    if (!item.HasArea() || pixels == 0)
      set(Light::kRed, kMsgCoachEmpty, 0);
    else if (s && s->status == ClassStatus::kAreaOutside)
      set(Light::kRed, kMsgCoachOutside, 0);
    else if (pixels <= bands + 1)
      set(Light::kRed, kMsgCoachTooFew, bands + 1);
    else if (s && !s->Usable())
      set(Light::kRed, kMsgCoachSingular, 0);
    else if (pixels < 10 * int64_t{bands})
      set(Light::kYellow, kMsgCoachFew, 10 * bands);
    else if (flat)
      set(Light::kYellow, kMsgCoachNearlyFlat, 0);
    else if (sameName)
      set(Light::kYellow, kMsgCoachSameName, 0);
    else if (sameColour)
      set(Light::kYellow, kMsgCoachSameColour, 0);
    else
      set(Light::kGreen, kMsgCoachGood, 0);
  }
  return out;
}

std::string AdviceText(const ClassAdvice& advice) {
  switch (advice.message) {
    case kMsgCoachTooFew: return Format(MessageText(kMsgCoachTooFew), advice.bands, advice.pixels);
    case kMsgCoachFew: return Format(MessageText(kMsgCoachFew), advice.pixels);
    default: return MessageText(advice.message);
  }
}

double JeffriesMatusita(const std::vector<double>& mean1, const std::vector<double>& cov1,
                        const std::vector<double>& mean2, const std::vector<double>& cov2, int n) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const size_t nn = static_cast<size_t>(n) * n;
  if (n <= 0 || mean1.size() < static_cast<size_t>(n) || mean2.size() < static_cast<size_t>(n) ||
      cov1.size() < nn || cov2.size() < nn)
    return nan;
  std::vector<double> mid(nn), l, l1, l2;
  for (size_t i = 0; i < nn; ++i) mid[i] = 0.5 * (cov1[i] + cov2[i]);
  double logDet = 0.0, logDet1 = 0.0, logDet2 = 0.0;
  if (!CholeskyLogDet(mid, n, l, logDet) || !CholeskyLogDet(cov1, n, l1, logDet1) ||
      !CholeskyLogDet(cov2, n, l2, logDet2))
    return nan;
  // d' mid^-1 d = |y|^2 with L y = d.
  std::vector<double> y(n);
  double q = 0.0;
  for (int i = 0; i < n; ++i) {
    double s = mean1[i] - mean2[i];
    for (int k = 0; k < i; ++k) s -= l[static_cast<size_t>(i) * n + k] * y[k];
    y[i] = s / l[static_cast<size_t>(i) * n + i];
    q += y[i] * y[i];
  }
  const double b = q / 8.0 + 0.5 * (logDet - 0.5 * (logDet1 + logDet2));
  return 2.0 * (1.0 - std::exp(-b));
}

Light SeparabilityLight(double jm) {
  if (!(jm >= 1.0)) return Light::kRed;
  return jm < 1.9 ? Light::kYellow : Light::kGreen;
}

std::vector<PairSeparability> SeparabilityOf(const std::vector<ClassStatistics>& stats) {
  std::vector<PairSeparability> pairs;
  for (size_t a = 0; a < stats.size(); ++a) {
    if (!stats[a].Usable()) continue;
    for (size_t b = a + 1; b < stats.size(); ++b) {
      if (!stats[b].Usable() || stats[b].bands != stats[a].bands) continue;
      const double jm = JeffriesMatusita(stats[a].mean, stats[a].covariance, stats[b].mean,
                                         stats[b].covariance, stats[a].bands);
      if (!std::isfinite(jm)) continue;
      pairs.push_back({static_cast<int>(a), static_cast<int>(b), jm, SeparabilityLight(jm)});
    }
  }
  return pairs;
}

std::string SeparabilitySentence(const std::vector<ClassItem>& classes,
                                 const std::vector<PairSeparability>& pairs) {
  if (pairs.empty()) return {};
  const PairSeparability* easiest = &pairs[0];
  const PairSeparability* hardest = &pairs[0];
  for (const auto& p : pairs) {
    if (p.jm > easiest->jm) easiest = &p;
    if (p.jm < hardest->jm) hardest = &p;
  }
  const auto title = [&](int i) { return classes[i].title.c_str(); };
  std::string text;
  if (easiest->light == Light::kGreen)
    text = Format(MessageText(kMsgPairEasy), title(easiest->first), title(easiest->second));
  if (hardest->light != Light::kGreen) {
    if (!text.empty()) text += CurrentLanguage() == Language::kEnglish ? " " : "";
    text += Format(MessageText(kMsgPairAlike), title(hardest->first), title(hardest->second));
  }
  return text;
}

bool StatisticsOfClasses(const std::vector<ClassItem>& classes, const std::vector<int>& bands,
                         const std::string& basePath, int width, int height,
                         std::vector<ClassStatistics>& out, Messenger& messenger) {
  out.assign(classes.size(), ClassStatistics());
  for (size_t c = 0; c < classes.size(); ++c)
    if (!ComputeClassStatistics(classes[c], bands, basePath, width, height, out[c], messenger))
      return false;
  return true;
}

const char* LightName(Light light) {
  switch (light) {
    case Light::kGreen: return ShownText("緑");
    case Light::kYellow: return ShownText("黄");
    case Light::kRed: break;
  }
  return ShownText("赤");
}

std::string SeparabilityReport(const std::vector<ClassItem>& classes,
                               const std::vector<ClassStatistics>& stats, int bands) {
  std::string text;
  const auto advice = CoachClasses(classes, stats, bands);
  for (size_t c = 0; c < classes.size(); ++c)
    text += Format("%d\t%s\t%s\t%s\n", static_cast<int>(c + 1), classes[c].title.c_str(),
                   LightName(advice[c].light), AdviceText(advice[c]).c_str());
  const auto pairs = SeparabilityOf(stats);
  if (!pairs.empty()) text += "\n";
  for (const auto& p : pairs)
    text += Format("%s\t%s\t%.3f\t%s\n", classes[p.first].title.c_str(),
                   classes[p.second].title.c_str(), p.jm, LightName(p.light));
  const std::string sentence = SeparabilitySentence(classes, pairs);
  if (!sentence.empty()) text += "\n" + sentence + "\n";
  return text;
}

}  // namespace lumora
