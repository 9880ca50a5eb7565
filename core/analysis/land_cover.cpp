#include "core/analysis/land_cover.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/analysis/classifier.h"
#include "core/imagefile/band_catalogue.h"
#include "core/support/file_handle.h"
#include "core/support/file_set.h"
#include "core/support/line_reader.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/support/text_encoding.h"

namespace lumora {

namespace {

// Legend files are read with the 128-byte line buffer of the original reader.
constexpr int kLegendLineBuffer = 128;

int ColumnValue(std::string_view line, size_t from, size_t width) {
  if (from >= line.size()) return 0;
  return AtoI(line.substr(from, width));
}

// Colour columns hold 0..255; a hostile value is limited instead of wrapped.
uint8_t ColourValue(std::string_view line, size_t from) {
  return static_cast<uint8_t>(std::clamp(ColumnValue(line, from, 3), 0, 255));
}

std::string WithoutLineBreak(std::string_view s) {
  if (!s.empty() && s.back() == '\n') s.remove_suffix(1);
  if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
  return std::string(s);
}

// CP932 form of a title, cut at a character boundary to fit a class line.
std::string TitleForFile(const std::string& utf8) {
  std::string cut = utf8;
  std::string cp = ToCp932(cut);
  while (cp.size() > kMaxClassTitleBytes && !cut.empty()) {
    cut = TruncateUtf8(cut, cut.size() - 1);
    cp = ToCp932(cut);
  }
  // Line breaks would end the class line early.
  for (char& c : cp)
    if (c == '\n' || c == '\r') c = ' ';
  return cp;
}

}  // namespace

std::string FormatClassLine(const ClassItem& item) {
  return Format("%3d %3d %3d %5d %5d %5d %5d %s", item.red, item.green, item.blue, item.top,
                item.bottom, item.right, item.left, TitleForFile(item.title).c_str());
}

ClassItem ParseClassLine(std::string_view line) {
  ClassItem item;
  item.red = ColourValue(line, 0);
  item.green = ColourValue(line, 4);
  item.blue = ColourValue(line, 8);
  item.top = ColumnValue(line, 12, 5);
  item.bottom = ColumnValue(line, 18, 5);
  item.right = ColumnValue(line, 24, 5);
  item.left = ColumnValue(line, 30, 5);
  // Only a line break is dropped: a last line without one keeps its title whole.
  if (line.size() > 36) item.title = ToUtf8FromFile(WithoutLineBreak(line.substr(36)));
  return item;
}

std::string AreaText(const ClassItem& item) {
  if (!item.HasArea()) return Format("(%4d,%4d)-(%4d,%4d)", 0, 0, 0, 0);
  return Format("(%4d,%4d)-(%4d,%4d)", item.left + 1, item.top + 1, item.right + 1,
                item.bottom + 1);
}

std::vector<int> SelectClassifiedBands(int sensor, const std::vector<int>& bands) {
  std::vector<int> used;
  for (int b : bands) {
    bool drop;
    if (sensor == kSensorAster)
      drop = b >= 10;
    else if (sensor == kSensorTm)
      drop = b == 6 || b >= 8;
    else
      drop = b > 4;
    if (!drop) used.push_back(b);
  }
  return used;
}

std::vector<int> ClassifiedBandsOf(const std::string& settingsPath, int sensor) {
  std::vector<int> numbers;
  for (const auto& band : ListBands(settingsPath, true, 1)) numbers.push_back(band.number);
  return SelectClassifiedBands(sensor, numbers);
}

std::string FormatLandCoverFile(const std::vector<int>& bands,
                                const std::vector<ClassItem>& classes) {
  std::string text;
  for (int plane : kClassPlaneNumbers) text += Format("%d\n", plane);
  text += Format("%d\n", static_cast<int>(bands.size()));
  for (int b : bands) text += Format("%d\n", b);
  text += Format("%d\n", static_cast<int>(classes.size()));
  for (const auto& c : classes) text += FormatClassLine(c) + "\n";
  return text;
}

bool WriteLandCoverFile(const std::string& path, const std::vector<int>& bands,
                        const std::vector<ClassItem>& classes, Messenger& messenger) {
  if (!WriteFileAtomically(path, FormatLandCoverFile(bands, classes))) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  return true;
}

bool ForEachClassLine(std::string_view text,
                      const std::function<void(const std::string&)>& onClassLine) {
  StringLineReader reader(text, kLegendLineBuffer);
  std::string line;
  for (int i = 0; i < 3; ++i)
    if (!reader.Next(line)) return false;
  if (!reader.Next(line)) return false;
  const int bandCount = AtoI(line);
  for (int i = 0; i < bandCount; ++i)
    if (!reader.Next(line)) return false;
  if (!reader.Next(line)) return false;
  const int classCount = AtoI(line);
  for (int i = 0; i < classCount; ++i) {
    if (!reader.Next(line)) return false;
    onClassLine(line);
  }
  return true;
}

bool ParseLandCoverClasses(std::string_view text, std::vector<ClassItem>& out) {
  return ForEachClassLine(text,
                          [&](const std::string& line) { out.push_back(ParseClassLine(line)); });
}

void LoadLandCoverClasses(const std::string& settingsPath, std::vector<ClassItem>& out,
                          Messenger& messenger, const char* extension) {
  std::string text;
  const TextRead read = ReadTextFile(ResolveNoCase(StripExtension(settingsPath) + extension),
                                     kMaxLegendFileBytes, text);
  if (read == TextRead::kCannotOpen) return;
  if (read == TextRead::kTooLarge || !ParseLandCoverClasses(text, out))
    messenger.ShowMessage(kMsgBadMlkFile);
}

bool CopyCompanions(const std::string& sourceBase, const std::string& targetBase,
                    const std::vector<std::string>& extensions, Messenger& messenger) {
  namespace fs = std::filesystem;
  for (const auto& ext : extensions) {
    const fs::path from = ResolveNoCase(sourceBase + ext);
    if (!IsReadableRegularFile(from)) continue;
    std::error_code ec;
    fs::copy_file(from, targetBase + ext, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      messenger.ShowMessage(kMsgCopyFailed);
      return false;
    }
  }
  return true;
}

bool RunClassification(const StepSource& source, const std::string& targetBase,
                       const ClassificationParams& params, StepResult& result, Messenger& messenger,
                       Progress& progress) {
  if (!DeleteFiles(targetBase + ".*")) {
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  if (!CopyCompanions(source.basePath, targetBase, {".dem", ".lev"}, messenger)) return false;
  if (!Classify(params.bands, params.classes, source.basePath, source.settings.pixels,
                source.settings.lines, targetBase, messenger, progress, params.requireUsableClass,
                params.holdBackHalf ? SampleHalf::kTraining : SampleHalf::kAll))
    return false;
  if (!WriteLandCoverFile(targetBase + ".mlk", params.bands, params.classes, messenger))
    return false;
  if (!params.checks.empty() &&
      !WriteLandCoverFile(targetBase + ".mck", params.bands, params.checks, messenger))
    return false;
  SetClassifiedResult(result, source.settings.pixels, source.settings.lines);
  return true;
}

void LandCoverList::Load(const std::string& settingsPath, int sensor, Messenger& messenger) {
  m_bands = ClassifiedBandsOf(settingsPath, sensor);
  m_classes.clear();
  m_selected = m_armed = -1;
  LoadLandCoverClasses(settingsPath, m_classes, messenger);
}

void LandCoverList::Add(uint8_t red, uint8_t green, uint8_t blue, const std::string& title) {
  ClassItem item;
  item.red = red, item.green = green, item.blue = blue;
  item.title = title;
  m_classes.push_back(std::move(item));
}

bool LandCoverList::Change(int row, uint8_t red, uint8_t green, uint8_t blue,
                           const std::string& title) {
  if (row < 0 || row >= Count()) return false;
  ClassItem& item = m_classes[row];
  item.red = red, item.green = green, item.blue = blue;
  item.title = title;
  return true;
}

bool LandCoverList::RemoveSelected() {
  if (m_selected < 0) return false;
  m_classes.erase(m_classes.begin() + m_selected);
  // An area still to come must not land on the row that moved up.
  if (m_armed == m_selected)
    m_armed = -1;
  else if (m_armed > m_selected)
    --m_armed;
  m_selected = -1;
  return true;
}

bool LandCoverList::ArmArea() {
  if (m_selected < 0) return false;
  m_armed = m_selected;
  return true;
}

bool LandCoverList::AddTrainingArea(int top, int bottom, int right, int left) {
  if (m_armed < 0 || m_armed >= Count()) return false;
  ClassItem& item = m_classes[m_armed];
  item.top = top, item.bottom = bottom, item.right = right, item.left = left;
  return true;
}

bool LandCoverList::SelectedOutline(std::vector<OutlinePoint>& outline) const {
  if (m_selected < 0) return false;
  const ClassItem& c = m_classes[m_selected];
  outline = {
      {c.left, c.top}, {c.left, c.bottom}, {c.right, c.bottom}, {c.right, c.top}, {c.left, c.top}};
  return true;
}

void SetClassifiedResult(StepResult& result, int width, int height) {
  result.lines = height;
  result.pixels = width;
  result.fileState = kStateClassified;
  result.rainbow = 0;
  result.singleBand = 0;
}

StepBody MakeClassificationStep(ClassificationParams params) {
  return
      [params = std::move(params)](const StepSource& source, const std::string& targetBase,
                                   StepResult& result, Messenger& messenger, Progress& progress) {
        return RunClassification(source, targetBase, params, result, messenger, progress);
      };
}

}  // namespace lumora
