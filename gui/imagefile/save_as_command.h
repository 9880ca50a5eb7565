// Save as (57604): the file set an image window shows, copied under a name
// the user chooses.
#pragma once

namespace lumora::gui {

class CKiriApp;
class CKiriView;

// True when the set was saved. Refuses (61273) a name any open window shows.
bool RunSaveAs(CKiriApp& app, CKiriView& view);

}  // namespace lumora::gui
