// The brightness commands of an image window: the dialog (32791) with its
// live preview, equalisation (32812) and automatic brightness (32813).
#pragma once

namespace lumora::gui {

class CKiriApp;
class CKiriView;

void RunBrightnessCommand(CKiriApp& app, CKiriView& view, int command);

}  // namespace lumora::gui
