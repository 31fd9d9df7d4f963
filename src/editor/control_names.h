#pragma once
// The editor window's control names and the canvas controls they stand for.
//
// Contract:
// - The window names its widgets as the design does ("imgTrigger" with its
//   index, "lblStepACT", "imgfraIF", "imgOPEOK", "imgCestino", "imgUpTrigger",
//   ...) and translates a name at its edge, once, into a CanvasControl; the
//   models take typed controls only.
// - Names compare without letter case, so the upper-cased names of drag
//   sources ("IMGOBJ", "IMGCONDOK") translate too.
// - The index is the widget's index in its control array (1-based) and is kept
//   as given; a single control (frame, scroll control, trash) takes 0. For a
//   drop on the condition frame the window puts the slot under the drop point
//   into the index afterwards.
// - Both trash controls ("imgCestino", "imgfraCestino") are the one trash.
#include <optional>
#include <string_view>

#include "editor/canvas.h"

namespace tessed::editor {

// The control a window control stands for; none for a name the canvas does
// not know (the families have no frame, only the condition groups have marks).
std::optional<CanvasControl> ControlFromName(std::string_view name, int index = 0);

// The design's name of a control (the trash: "imgCestino"); empty for a part
// the strip does not have.
std::string_view ControlName(const CanvasControl& control);

}  // namespace tessed::editor
