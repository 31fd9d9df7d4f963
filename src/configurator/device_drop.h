#pragma once
// A device dropped from the configurator onto the editor canvas, without
// widgets: the text drop read, the device resolved in the catalogue, its
// family and object selected in the palettes, and the drop replayed as a
// palette drop whose property dialog the device fills.
//
// Contract (the window drives it; nothing here shows anything):
//   DeviceDrop drop = DeviceDrop::Begin(text, target, canvas);
//   kIgnored, kNoObject: nothing to show, nothing changed.
//   kRefused: show Message() (title 1002, exclamation); nothing changed.
//   kChoose: show *Choice() (frmSelectAmbiguo, its heading text 1674), then
//     drop.Continue(canvas, placement); a choice not confirmed ends in
//     kCancelled and nothing changed.
//   kResolved: drop.Continue(canvas, placement) directly.
//   After Continue: kPlanned holds Plan(), the replayed palette drop of the
//     object in ObjectSlot() onto the target, planned by placement.PlanDrop
//     with the device pending: show its dialog and Commit it as any palette
//     drop. kNotInPalette: the object's family is not in the palette.
// - The palettes show the family and the object wherever they are: a palette
//   is scrolled as far as it can towards the entry (its last page stays
//   full), so an entry on the last page is reached as well. The window
//   refreshes its palettes from the canvas after Continue.
// - The device is pending only for the one replayed drop: a refused replay
//   (a full group) leaves nothing pending for the next drop.
// - The target is any slot picture or label, frame, scroll control or mark of
//   a slot group; its area (SlotArea) narrows the catalogue's associations.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "configurator/device_file.h"
#include "configurator/key_objects.h"
#include "editor/canvas.h"
#include "editor/placement.h"

namespace tessed::configurator {

// The area of the slot group a control belongs to, by its upper-cased
// design name (docs/configurator.md); 0 for any other control.
int SlotArea(std::string_view controlName);
int SlotArea(const editor::CanvasControl& control);

// Brings the family and then the object into view in the palettes, selects
// the family (which loads its objects) and returns the object's palette slot
// (1-based); 0 when the family or the object is not in the palette.
int SelectInPalette(editor::Canvas& canvas, int32_t idFamiglia, int32_t idObj);

// Installs the parameter application as the placement's payload hook, on the
// canvas's connection (the placement's own canvas).
void InstallDeviceApplier(editor::Placement& placement, editor::Canvas& canvas);

class DeviceDrop {
  public:
    enum class Stage {
        kIgnored,       // not a device drop, or a file that is not read
        kRefused,       // the device file cannot be used: Message()
        kNoObject,      // the device stands for no catalogue object here
        kChoose,        // the user chooses among Choice()'s candidates
        kResolved,      // resolved: Continue
        kCancelled,     // the choice was declined
        kNotInPalette,  // the object cannot be shown in the palette
        kPlanned,       // Plan() holds the replayed drop
    };

    // Reads the drop and resolves the device. `hostGateway`: the host's
    // gateway address (Host().SysAddressGateway when not given).
    static DeviceDrop Begin(std::string_view dropText, const editor::CanvasControl& target,
                            editor::Canvas& canvas,
                            std::optional<int64_t> hostGateway = std::nullopt);
    // From kChoose (after the dialog) or kResolved: selects the palette
    // entries and plans the replayed drop.
    void Continue(editor::Canvas& canvas, editor::Placement& placement);

    Stage stage() const { return stage_; }
    const std::string& Message() const { return message_; }
    editor::AmbiguityDialog* Choice() const { return resolution_.Choice(); }
    const std::shared_ptr<cObjOleDrag>& Device() const { return device_; }
    const editor::CanvasControl& Target() const { return target_; }
    int ObjectSlot() const { return objectSlot_; }
    editor::EditPlan& Plan() { return plan_; }
    // What the device file said when it was refused or not read, in English.
    const std::string& Detail() const { return detail_; }

  private:
    Stage stage_ = Stage::kIgnored;
    std::string message_, detail_;
    std::shared_ptr<cObjOleDrag> device_;
    editor::CanvasControl target_;
    KeyObjectResolution resolution_;
    int objectSlot_ = 0;
    editor::EditPlan plan_;
};

}  // namespace tessed::configurator
