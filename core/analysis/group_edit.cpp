#include "core/analysis/group_edit.h"

#include <algorithm>
#include <unordered_map>

#include "core/analysis/class_spectra.h"
#include "core/analysis/kmeans.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/band_io.h"
#include "core/imagefile/settings_file.h"
#include "core/support/allocation.h"
#include "core/support/checked_math.h"
#include "core/support/file_set.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace {

constexpr uint8_t kNoGroup = 255;

uint32_t ColourKey(uint8_t r, uint8_t g, uint8_t b) { return uint32_t{r} << 16 | g << 8 | b; }

void ShowFormatted(Messenger& messenger, const std::string& text) {
  messenger.ShowText(ShownText("土地被覆分類"), text);
}

// The legend beside a result: its bands and classes; 61417 when it cannot be read.
bool ReadLegend(const std::string& base, std::vector<int>& bands, std::vector<ClassItem>& classes,
                Messenger& messenger) {
  std::string text;
  if (ReadTextFile(ResolveNoCase(base + ".mlk"), kMaxLegendFileBytes, text) != TextRead::kOk ||
      !ParseLandCoverBands(text, bands) || !ParseLandCoverClasses(text, classes)) {
    messenger.ShowMessage(kMsgBadMlkFile);
    return false;
  }
  return true;
}

// Each pixel's class index by its colour (the first class of a colour),
// kNoGroup for a colour no class has, row by row over the three planes.
class PlaneReader {
 public:
  bool Open(const std::string& base, int width, int height, const std::vector<ClassItem>& classes,
            Messenger& messenger) {
    for (int p = 0; p < 3; ++p) {
      m_planes[p] = OpenBand(base, kSample8, kClassPlaneNumbers[p], width, height, messenger);
      if (!m_planes[p]) return false;
    }
    for (size_t i = 0; i < classes.size() && i < kNoGroup; ++i)
      m_first.emplace(ColourKey(classes[i].red, classes[i].green, classes[i].blue),
                      static_cast<uint8_t>(i));
    return AllocateOrReport(messenger, [&] {
      for (auto& r : m_rows) r.resize(static_cast<size_t>(width));
    });
  }
  // Reads the next row; 61418 when a plane is short.
  bool Next(std::vector<uint8_t>& labels, Messenger& messenger) {
    for (int p = 0; p < 3; ++p)
      if (std::fread(m_rows[p].data(), 1, m_rows[p].size(), m_planes[p].get()) !=
          m_rows[p].size()) {
        messenger.ShowMessage(kMsgBandFileShort);
        return false;
      }
    labels.resize(m_rows[0].size());
    for (size_t x = 0; x < labels.size(); ++x) {
      const auto it = m_first.find(ColourKey(m_rows[2][x], m_rows[1][x], m_rows[0][x]));
      labels[x] = it == m_first.end() ? kNoGroup : it->second;
    }
    return true;
  }
  // blue, green, red of the row read last
  std::vector<uint8_t>& Row(int plane) { return m_rows[plane]; }

 private:
  FilePtr m_planes[3];
  std::vector<uint8_t> m_rows[3];
  std::unordered_map<uint32_t, uint8_t> m_first;
};

}  // namespace

int CheckGroupEdit(const std::vector<ClassItem>& classes, const GroupEdit& edit, int* clash) {
  const int n = static_cast<int>(classes.size());
  if (edit.group < 0 || edit.group >= n) return kMsgGroupNotThere;
  if (edit.kind == GroupEdit::kMerge) {
    if (edit.other < 0 || edit.other >= n) return kMsgGroupNotThere;
    return edit.other == edit.group ? kMsgGroupMergeSelf : 0;
  }
  if (Trimmed(edit.title).empty()) return kMsgGroupNoTitle;
  if (edit.red == 0 && edit.green == 0 && edit.blue == 0) return kMsgGroupColourBlack;
  for (int i = 0; i < n; ++i) {
    const ClassItem& c = classes[i];
    if (i != edit.group && c.red == edit.red && c.green == edit.green && c.blue == edit.blue) {
      if (clash) *clash = i;
      return kMsgGroupColourTaken;
    }
  }
  return 0;
}

bool RunGroupEdit(const StepSource& source, const std::string& targetBase, const GroupEdit& edit,
                  StepResult& result, Messenger& messenger, Progress& progress) {
  const int width = source.settings.pixels, height = source.settings.lines;
  std::vector<int> bands;
  std::vector<ClassItem> classes;
  if (!ReadLegend(source.basePath, bands, classes, messenger)) return false;
  int clash = -1;
  if (const int why = CheckGroupEdit(classes, edit, &clash)) {
    if (why == kMsgGroupNotThere)
      ShowFormatted(
          messenger,
          Format(MessageText(why),
                 edit.group < 0 || edit.group >= int(classes.size()) ? edit.group : edit.other));
    else if (why == kMsgGroupColourTaken)
      ShowFormatted(messenger, Format(MessageText(why), classes[size_t(clash)].title.c_str()));
    else
      messenger.ShowMessage(why);
    return false;
  }
  if (width <= 0 || height <= 0) {
    messenger.ShowMessage(kMsgBadImageSize);
    return false;
  }
  // The group means go with the legend when they are there.
  GroupMeans means;
  std::string meansText;
  const std::string meansPath = ResolveNoCase(source.basePath + ".kmc");
  const bool hasMeans = IsReadableRegularFile(meansPath);
  if (hasMeans && edit.kind == GroupEdit::kMerge) {
    if (ReadTextFile(meansPath, kMaxLegendFileBytes, meansText) != TextRead::kOk ||
        !ParseGroupMeans(meansText, means) || means.k != static_cast<int>(classes.size())) {
      messenger.ShowMessage(kMsgBadMlkFile);
      return false;
    }
    MergeGroupMeans(means, edit.group, edit.other);
  }
  // The new colour of each class's pixels, and the new legend.
  std::vector<ClassItem> edited = classes;
  std::vector<ClassItem> colours = classes;
  if (edit.kind == GroupEdit::kRename) {
    ClassItem& c = edited[size_t(edit.group)];
    c.red = edit.red, c.green = edit.green, c.blue = edit.blue;
    c.title = Trimmed(edit.title);
    colours[size_t(edit.group)] = c;
  } else {
    colours[size_t(edit.other)] = classes[size_t(edit.group)];
    edited.erase(edited.begin() + edit.other);
  }

  PlaneReader reader;
  if (!reader.Open(source.basePath, width, height, classes, messenger)) return false;
  progress.Create(1, "処理中");
  if (!DeleteFiles(targetBase + ".*")) {
    progress.Close();
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  std::vector<std::string> copied = {".dem", ".lev", ".mck"};
  if (edit.kind == GroupEdit::kRename) copied.push_back(".kmc");
  if (!CopyCompanions(source.basePath, targetBase, copied, messenger)) {
    progress.Close();
    return false;
  }
  BandWriter out[3];
  for (int p = 0; p < 3; ++p) {
    WriteBandDescription(targetBase, kClassPlaneNumbers[p], kClassPlaneTexts[p]);
    if (!out[p].Create(BandFilePath(targetBase, kSample8, kClassPlaneNumbers[p]))) {
      progress.Close();
      messenger.ShowMessage(kMsgCreateFailed);
      return false;
    }
  }
  std::vector<uint8_t> labels;
  for (int y = 0; y < height; ++y) {
    if (!reader.Next(labels, messenger)) {
      progress.Close();
      return false;
    }
    for (int x = 0; x < width; ++x) {
      if (labels[size_t(x)] == kNoGroup) continue;
      const ClassItem& c = colours[labels[size_t(x)]];
      reader.Row(0)[size_t(x)] = c.blue;
      reader.Row(1)[size_t(x)] = c.green;
      reader.Row(2)[size_t(x)] = c.red;
    }
    for (int p = 0; p < 3; ++p)
      if (!out[p].Write(reader.Row(p).data(), size_t(width))) break;
    if (y % 64 == 0) progress.SetProgress(static_cast<float>(y) / static_cast<float>(height));
  }
  for (auto& o : out)
    if (!o.Close(messenger)) {
      progress.Close();
      return false;
    }
  progress.Close();
  if (!WriteLandCoverFile(targetBase + ".mlk", bands, edited, messenger)) return false;
  if (hasMeans && edit.kind == GroupEdit::kMerge &&
      !WriteFileAtomically(targetBase + ".kmc", FormatGroupMeans(means))) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  SetClassifiedResult(result, width, height);
  return true;
}

StepBody MakeGroupEditStep(GroupEdit edit) {
  return [edit = std::move(edit)](const StepSource& source, const std::string& targetBase,
                                  StepResult& result, Messenger& messenger, Progress& progress) {
    return RunGroupEdit(source, targetBase, edit, result, messenger, progress);
  };
}

bool IsNamedGroup(const std::string& title) {
  // The title the k-means run gives its first group, without the number.
  static const std::string kGiven = [] {
    std::string given = GroupClasses(1)[0].title;
    given.pop_back();
    return given;
  }();
  if (title.size() <= kGiven.size() || title.compare(0, kGiven.size(), kGiven) != 0) return true;
  return !std::all_of(title.begin() + kGiven.size(), title.end(),
                      [](char c) { return c >= '0' && c <= '9'; });
}

std::string ShownGroupTitle(const std::string& title) {
  if (IsNamedGroup(title)) return title;
  const std::string given = GroupClasses(1)[0].title;  // "グループ1"
  const std::string number = title.substr(given.size() - 1);
  std::string shown = ShownText("グループ%s");
  return shown.replace(shown.find("%s"), 2, number);
}

std::vector<ClassItem> LargestSquares(const std::vector<uint8_t>& labels, int width, int height,
                                      int labelCount) {
  struct Best {
    int size = 0, x = 0, y = 0;  // bottom-right pixel
  };
  std::vector<Best> best(size_t(std::max(labelCount, 0)));
  // The side of the largest square of one label ending at each pixel, for
  // this row and the one above.
  std::vector<int> above(size_t(width), 0), here(size_t(width), 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = labels.data() + size_t(y) * size_t(width);
    const uint8_t* up = y > 0 ? row - width : nullptr;
    for (int x = 0; x < width; ++x) {
      const uint8_t l = row[x];
      int side = 1;
      if (x > 0 && up && up[x] == l && row[x - 1] == l && up[x - 1] == l)
        side = 1 + std::min({above[size_t(x)], here[size_t(x - 1)], above[size_t(x - 1)]});
      here[size_t(x)] = side;
      if (l < labelCount && side > best[l].size) best[l] = {side, x, y};
    }
    std::swap(above, here);
  }
  std::vector<ClassItem> out(best.size());
  for (size_t i = 0; i < best.size(); ++i) {
    if (best[i].size == 0) continue;
    out[i].bottom = best[i].y + 1;
    out[i].right = best[i].x + 1;
    out[i].top = out[i].bottom - best[i].size;
    out[i].left = out[i].right - best[i].size;
  }
  return out;
}

bool ClassesFromNamedGroups(const std::string& resultSettingsPath, int width, int height,
                            std::vector<ClassItem>& out, Messenger& messenger) {
  out.clear();
  ImageSettings s;
  if (!ReadSettings(resultSettingsPath, s, messenger)) return false;
  if (s.pixels != width || s.lines != height || width <= 0 || height <= 0) {
    messenger.ShowMessage(kMsgBadImageSize);
    return false;
  }
  const std::string base = StripExtension(resultSettingsPath);
  std::vector<int> bands;
  std::vector<ClassItem> classes;
  if (!ReadLegend(base, bands, classes, messenger)) return false;
  if (std::none_of(classes.begin(), classes.end(),
                   [](const ClassItem& c) { return IsNamedGroup(c.title); })) {
    messenger.ShowMessage(kMsgNoNamedGroups);
    return false;
  }
  const auto pixels = CheckedMul(int64_t{width}, int64_t{height});
  std::vector<uint8_t> labels;
  if (!pixels || !AllocateOrReport(messenger, [&] { labels.reserve(size_t(*pixels)); }))
    return false;
  PlaneReader reader;
  if (!reader.Open(base, width, height, classes, messenger)) return false;
  std::vector<uint8_t> row;
  for (int y = 0; y < height; ++y) {
    if (!reader.Next(row, messenger)) return false;
    labels.insert(labels.end(), row.begin(), row.end());
  }
  const int count = static_cast<int>(std::min<size_t>(classes.size(), kNoGroup));
  const std::vector<ClassItem> squares = LargestSquares(labels, width, height, count);
  for (int i = 0; i < count; ++i) {
    if (!IsNamedGroup(classes[size_t(i)].title)) continue;
    ClassItem c = squares[size_t(i)];
    c.red = classes[size_t(i)].red, c.green = classes[size_t(i)].green,
    c.blue = classes[size_t(i)].blue;
    c.title = classes[size_t(i)].title;
    out.push_back(std::move(c));
  }
  return true;
}

}  // namespace lumora
