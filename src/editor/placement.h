#pragma once
// The placement rules of the editor canvas: what each drop target accepts from
// each drag source, and what a drop, a double-click or a hover does to the
// scenario's tables and to the canvas. Dialogs are reached through
// EditorDialogs, which the window layer implements (tests script it), and the
// auto-scroll while dragging runs on an injected timer.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "editor/canvas.h"
#include "editor/property_dialog.h"
#include "editor/selection_dialogs.h"
#include "editor/time_dialogs.h"
#include "model/project.h"

namespace tessed::editor {

using model::Moment;

// A drag: the upper-cased control name of its source ("IMGOBJ", "IMGCONDOK",
// "IMGOPEOK", ...) and the source's 1-based index in its control array.
struct DragSource {
    std::string name;
    int index = 0;
};

// A drop target: a control name as the window names it ("imgfraIF",
// "imgCondOK", "lblStepACT", "imgOPEOK", "imgCestino", "imgUpTrigger", ...),
// its 1-based index for control arrays (0 for a single control), and the drop
// point's vertical position in canvas coordinates (used for frame drops on
// the conditions).
struct DropTarget {
    std::string control;
    int index = 0;
    int y = 0;
};

enum class DragIcon { kDrag, kStop };

// The modal dialogs of the editor. Each Show returns once the dialog has been
// hidden; the model's Confirmed tells how.
class EditorDialogs {
  public:
    virtual ~EditorDialogs() = default;
    virtual void ShowProperty(PropertyDialog& dialog) = 0;
    virtual void ShowTimeSingle(TimeSingleDialog& dialog) = 0;
    virtual void ShowTimeRange(TimeRangeDialog& dialog) = 0;
    // `mark` is the 1-based operator picture the dialog is placed next to.
    virtual void ShowOperator(OperatorDialog& dialog, int mark) = 0;
};

// A repeating timer of the window layer.
class RepeatTimer {
  public:
    virtual ~RepeatTimer() = default;
    virtual void Start(int intervalMs, std::function<void()> tick) = 0;
    virtual void Stop() = 0;
};

// What a drop does (the acceptance table).
enum class DropEffect { kRefuse, kNoEffect, kCreate, kLink, kMove, kDelete, kDeleteLink };

class Placement {
  public:
    Placement(Canvas& canvas, EditorDialogs& dialogs, RepeatTimer* timer = nullptr);

    // Whether a drag may start from the source (a slot that shows a picture).
    bool CanDrag(const DragSource& source) const;
    // The effect a drop would have; the hover icon is kDrag unless refused.
    DropEffect Effect(const DragSource& source, const DropTarget& target) const;
    // A drag over a target: the icon, the highlight and the auto-scroll.
    DragIcon Hover(const DragSource& source, const DropTarget& target);
    // The drag leaves the canvas or is cancelled.
    void Leave();
    // A drop; true when the tables changed.
    bool Drop(const DragSource& source, const DropTarget& target);
    // A new element of object `idObj` in a slot group, as a palette drop that
    // passed the capability check makes it (`slot` > 0: a drop on that slot).
    bool CreateElement(int32_t idObj, StripId group, int slot = 0);
    // The element of a filled slot edited in its dialog.
    bool EditElement(StripId group, int slot);
    // A double-click on a slot picture (edit) or on an operator picture of the
    // conditions (the operator dialog); true when the tables changed.
    bool DoubleClick(const DropTarget& target);

    // The slot or operator position under the pointer while hovering over a
    // condition or action slot.
    std::optional<DropTarget> highlight;

    // Auto-scroll while a drag hovers over a group's scroll control.
    bool Scrolling() const { return !scrollControl_.empty(); }
    const std::string& ScrollControl() const { return scrollControl_; }
    void StopScrolling();
    static constexpr int kScrollIntervalMs = 500;

    // A configurator element waiting for the next palette drop; applied to the
    // property dialog by the hook before the dialog shows, then marked used.
    std::shared_ptr<cObjOleDrag> pending;
    std::function<void(PropertyDialog&, cObjOleDrag&)> ApplyPayload;
    // "Now" of the time dialogs.
    std::function<Moment()> now = [] { return Moment::Now(); };
    // The tops of the three condition slots in canvas coordinates, for drops
    // on the condition frame.
    std::array<int, 3> conditionTops = {0, 60, 120};

    // The most rows a trigger, stop-trigger or condition group takes.
    static constexpr int kMaxRows = 20;

  private:
    struct Resolved {
        enum Kind { kNone, kFrame, kSlot, kMark, kTrash, kScroll } kind = kNone;
        StripId strip = StripId::kTrigger;
        int slot = 0;  // 1-based slot or mark
        bool forward = false;
    };
    Resolved resolve(const DropTarget& t) const;
    DropEffect effect(const DragSource& s, const Resolved& r) const;
    std::optional<StripId> sourceGroup(std::string_view name) const;
    int64_t sourceId(const DragSource& s) const;

    bool create(const DragSource& s, const Resolved& r);
    bool link(const Resolved& r, int idOpe);
    bool move(const DragSource& s, const Resolved& r);
    bool remove(const DragSource& s);
    bool operatorDialog(int mark);
    // Opens the dialog of an element; `row` is the stored row when editing.
    // Returns the values when the dialog was confirmed.
    std::optional<ElementValues> runDialog(int32_t idObj, StripId group, const db::Row* row);
    bool store(StripId group, const ElementValues& v, int32_t& id);
    void scrollTick();

    Canvas& canvas_;
    EditorDialogs& dialogs_;
    RepeatTimer* timer_;
    std::string scrollControl_;
    StripId scrollStrip_ = StripId::kTrigger;
    bool scrollForward_ = false;
};

}  // namespace tessed::editor
