// Detail on zoom: the part of the current file set a magnified view shows,
// read at full resolution and composed by the display image's own rules
// (channel bytes, rainbow or diverging colours, then the display changes
// made since loading), through a small bounded cache of band strips.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/imagefile/area_rect.h"
#include "core/support/file_handle.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "core/view/dib.h"
#include "core/view/display_loader.h"
#include "core/view/display_state.h"

namespace lumora {

inline constexpr int64_t kDetailCacheBytes = int64_t{64} << 20;

// How the display image's colours come from the file set it was read from.
struct DetailRules {
  // False when a change made to the display cannot be made again (detail
  // is then not shown).
  bool exact = false;
  // Tells loads apart, so that cached samples of another load are not used.
  uint64_t load = 0;
  // The state the display image was read and painted with (later changes of
  // the session's state, such as the reversal flag, do not repaint it).
  DisplayState state;
  std::array<ChannelScale, 3> scale{};  // blue, green, red
  // Changes made to the display after loading, in order: per-channel tables
  // (blue, green, red) or the reversal of the rainbow colours.
  struct Change {
    bool reverseRainbow = false;
    std::array<std::array<uint8_t, 256>, 3> tables{};
  };
  std::vector<Change> changes;
};

// The rules of a display image just read with the state over the area.
DetailRules LoadedRules(const DisplayState& state, const AreaRect& area);

// Whether the view shows detail: the display image is reduced, the view
// magnifies it onto the screen's device pixels (zoom times the screen's
// device pixels per pixel above 1: a 200 % screen at zoom 100 % too), and
// its colours can be made again.
bool DetailShown(const DetailRules& rules, float zoom, float deviceRatio = 1.0f);

// The image columns (or rows) a magnified view samples for count screen
// pixels from `first` (in the zoomed display, 0 at the area's start): the
// pixel at the centre of each screen pixel, kept within the area. For the
// device pixels of a high-density screen, zoom is times their ratio.
std::vector<int32_t> DetailSamples(int32_t first, int32_t count, float zoom, int32_t step,
                                   int32_t areaStart, int32_t areaExtent);

class DetailComposer {
 public:
  explicit DetailComposer(int64_t cacheBytes = kDetailCacheBytes) : m_budget(cacheBytes) {}

  // The pixels at the given image columns and rows (0-based) composed as
  // the display image is: a bitmap of columns.size() x rows.size(). Samples
  // beyond the end of a short band file read as 0. False when a band file
  // cannot be opened or memory runs out; out is then untouched.
  bool Compose(const DetailRules& rules, const std::vector<int32_t>& columns,
               const std::vector<int32_t>& rows, Dib& out);

  // Bytes the cache holds now (at most the budget).
  int64_t CachedBytes() const { return m_bytes; }
  // Whether the band files of these rules are open.
  bool Opened(const DetailRules& rules) const { return m_load == rules.load && m_file[0]; }

 private:
  // kStrip samples of one band row: the unit of reading and caching.
  static constexpr int32_t kStrip = 512;
  struct Key {
    int channel;
    int32_t row;
    int32_t block;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const {
      return (static_cast<size_t>(k.row) * 1000003u + static_cast<size_t>(k.block)) * 4u +
             static_cast<size_t>(k.channel);
    }
  };
  struct Entry {
    std::vector<uint8_t> bytes;
    std::list<Key>::iterator age;
  };

  const uint8_t* Strip(int channel, int32_t row, int32_t block);
  bool OpenBands(const DetailRules& rules);
  void Clear();

  int64_t m_budget;
  int64_t m_bytes = 0;
  uint64_t m_load = 0;
  // Channels that read the same band with the same scale share a source.
  std::array<int, 3> m_source{};
  std::array<FilePtr, 3> m_file;
  std::array<int, 3> m_bps{};
  std::array<ChannelScale, 3> m_scale{};
  int32_t m_pixels = 0;
  int32_t m_lines = 0;
  std::unordered_map<Key, Entry, KeyHash> m_strips;
  std::list<Key> m_ages;  // most recent first
};

// The whole area at full resolution, composed as the display image is (the
// export at full resolution). False with a message: 61530 when the rules
// cannot be followed, 61233 when memory runs out, 61234 when a band file
// cannot be opened; out is then untouched.
bool ComposeWholeArea(const DetailRules& rules, const AreaRect& area, Dib& out,
                      Messenger& messenger, Progress& progress);

}  // namespace lumora
