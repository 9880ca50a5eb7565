#include "core/analysis/accuracy.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "core/analysis/classifier.h"
#include "core/imagefile/band_io.h"
#include "core/imagefile/settings_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double Ratio(int64_t part, int64_t whole) {
  return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : kNaN;
}

std::string Percent(double fraction) { return ValueText(fraction * 100.0, 2); }

void Cell(std::string& csv, const std::string& value) {
  csv += ',';
  csv += value;
}

}  // namespace

void ComputeAccuracy(Accuracy& a) {
  const int n = a.Count();
  std::vector<int64_t> rows(n, 0), columns(n + 1, 0);
  a.total = a.right = 0;
  for (int t = 0; t < n; ++t)
    for (int c = 0; c <= n; ++c) {
      const int64_t v = a.At(t, c);
      rows[t] += v;
      columns[c] += v;
      a.total += v;
      if (t == c) a.right += v;
    }
  a.overall = Ratio(a.right, a.total);
  a.producers.assign(n, kNaN);
  a.users.assign(n, kNaN);
  double chance = 0.0;
  for (int i = 0; i < n; ++i) {
    a.producers[i] = Ratio(a.At(i, i), rows[i]);
    a.users[i] = Ratio(a.At(i, i), columns[i]);
    if (a.total > 0) chance += Ratio(rows[i], a.total) * Ratio(columns[i], a.total);
  }
  a.kappa = a.total > 0 && chance < 1.0 ? (a.overall - chance) / (1.0 - chance) : kNaN;
}

std::string AccuracySentence(const Accuracy& a) {
  if (a.total <= 0) return MessageText(kMsgCheckNone);
  const int per100 = static_cast<int>(std::lround(100.0 * a.overall));
  std::string text = Format(MessageText(kMsgAccuracyRight), static_cast<long long>(a.total),
                            static_cast<long long>(a.right), per100);
  const std::string gap = CurrentLanguage() == Language::kEnglish ? " " : "";
  if (a.right == a.total) return text + gap + MessageText(kMsgAccuracyNoMistake);
  int64_t most = 0;
  int first = -1, second = -1;
  for (int i = 0; i < a.Count(); ++i)
    for (int j = i + 1; j < a.Count(); ++j) {
      const int64_t mixed = a.At(i, j) + a.At(j, i);
      if (mixed > most) most = mixed, first = i, second = j;
    }
  if (first >= 0)
    text += gap + Format(MessageText(kMsgAccuracyMixedUp), a.titles[first].c_str(),
                         a.titles[second].c_str());
  return text;
}

std::string AccuracyCsv(const Accuracy& a) {
  const int n = a.Count();
  std::string csv = "check \\ computer";
  for (const auto& t : a.titles) Cell(csv, CsvField(t));
  Cell(csv, CsvField(ShownText("分類されなかった画素")) + ",total,producer_percent\n");
  std::vector<int64_t> columns(n + 1, 0);
  for (int t = 0; t < n; ++t) {
    csv += CsvField(a.titles[t]);
    int64_t row = 0;
    for (int c = 0; c <= n; ++c) {
      Cell(csv, std::to_string(a.At(t, c)));
      row += a.At(t, c);
      columns[c] += a.At(t, c);
    }
    Cell(csv, std::to_string(row) + "," + Percent(a.producers[t]) + "\n");
  }
  csv += "total";
  for (int64_t c : columns) Cell(csv, std::to_string(c));
  Cell(csv, std::to_string(a.total) + ",\n");
  csv += "user_percent";
  for (int i = 0; i < n; ++i) Cell(csv, Percent(a.users[i]));
  csv += ",,,\n";
  csv += "overall_percent," + Percent(a.overall) + "\n";
  csv += "kappa," + ValueText(a.kappa, 4) + "\n";
  return csv;
}

bool CheckAccuracy(const std::vector<int>& bands, const std::vector<ClassItem>& classes,
                   const std::vector<ClassItem>& checks, const std::string& basePath, int width,
                   int height, Accuracy& out, Messenger& messenger, bool holdBackHalf) {
  const int n = static_cast<int>(classes.size());
  out = Accuracy();
  for (const auto& c : classes) out.titles.push_back(c.title);
  out.matrix.assign(static_cast<size_t>(n) * (n + 1), 0);
  std::vector<ClassStatistics> stats(classes.size());
  const SampleHalf training = holdBackHalf ? SampleHalf::kTraining : SampleHalf::kAll;
  for (int c = 0; c < n; ++c)
    if (!ComputeClassStatistics(classes[c], bands, basePath, width, height, stats[c], messenger,
                                training))
      return false;
  // The held-back samples of each usable class, checked against it.
  std::vector<std::vector<std::vector<uint8_t>>> heldBack(classes.size());
  bool anyPixel = false;
  for (int c = 0; holdBackHalf && c < n; ++c) {
    if (!stats[c].Usable()) continue;
    if (!ReadAreaSamples(classes[c], bands, basePath, width, height, SampleHalf::kHeldBack,
                         heldBack[c], messenger))
      return false;
    anyPixel |= !heldBack[c].empty() && !heldBack[c][0].empty();
  }
  // Every check area is looked at before any is counted.
  std::vector<int> truth(checks.size(), -1);
  for (size_t i = 0; i < checks.size(); ++i) {
    const ClassItem& area = checks[i];
    if (!area.HasArea() || area.right <= area.left || area.bottom <= area.top) continue;
    if (area.left < 0 || area.top < 0 || area.right > width || area.bottom > height) {
      messenger.ShowText(ShownText("土地被覆分類"),
                         Format(MessageText(kMsgCheckOutside), area.title.c_str()));
      return false;
    }
    for (int c = 0; c < n && truth[i] < 0; ++c)
      if (classes[c].title == area.title && stats[c].Usable()) truth[i] = c;
    if (truth[i] < 0) {
      messenger.ShowText(ShownText("土地被覆分類"),
                         Format(MessageText(kMsgCheckNoTraining), area.title.c_str()));
      return false;
    }
    anyPixel = true;
  }
  if (!anyPixel || bands.empty()) {
    messenger.ShowMessage(kMsgCheckNone);
    return false;
  }
  std::vector<FilePtr> files;
  for (int b : bands) {
    files.push_back(OpenBand(basePath, kSample8, b, width, height, messenger));
    if (!files.back()) return false;
  }
  FastClassifier classifier(stats);
  std::vector<std::vector<uint8_t>> rows(bands.size());
  std::vector<const uint8_t*> planes(bands.size());
  std::vector<int16_t> chosen;
  for (size_t i = 0; i < checks.size(); ++i) {
    if (truth[i] < 0) continue;
    const ClassItem& area = checks[i];
    const int span = area.right - area.left;
    chosen.resize(span);
    for (size_t b = 0; b < bands.size(); ++b) {
      rows[b].resize(span);
      planes[b] = rows[b].data();
    }
    for (int y = area.top; y < area.bottom; ++y) {
      for (size_t b = 0; b < bands.size(); ++b) {
        if (!SeekTo(files[b].get(), int64_t{y} * width + area.left) ||
            std::fread(rows[b].data(), 1, span, files[b].get()) != static_cast<size_t>(span)) {
          messenger.ShowMessage(kMsgBandFileShort);
          return false;
        }
      }
      classifier.ClassifyRow(planes.data(), span, chosen.data());
      for (int x = 0; x < span; ++x) {
        const int c = chosen[x] < 0 ? n : chosen[x];
        ++out.matrix[static_cast<size_t>(truth[i]) * (n + 1) + c];
      }
    }
  }
  std::vector<uint8_t> x(bands.size());
  for (int c = 0; c < n; ++c) {
    const auto& samples = heldBack[c];
    for (size_t i = 0; !samples.empty() && i < samples[0].size(); ++i) {
      for (size_t b = 0; b < bands.size(); ++b) x[b] = samples[b][i];
      const int chosenClass = classifier.Classify(x.data());
      ++out.matrix[static_cast<size_t>(c) * (n + 1) + (chosenClass < 0 ? n : chosenClass)];
    }
  }
  ComputeAccuracy(out);
  return true;
}

}  // namespace lumora
