#pragma once
// The placement rules of the editor canvas: what each drop target accepts from
// each drag source, and what a drop, a double-click or a hover does to the
// scenario and to the canvas.
//
// Contract:
// - Sources and targets are typed canvas controls; the window translates its
//   widgets' names at its edge (control_names.h).
// - A drop, a double-click edit and an operator-mark edit run in two phases.
//   Plan* works out the effect and, where one is needed, prepares the dialog's
//   model, prefilled; nothing is written. The window shows that dialog in its
//   own way (no nested event loop inside the drag) and then calls Commit,
//   which writes when the dialog was confirmed and does nothing otherwise. A
//   plan that is dropped changes nothing. One commit is one step of the edit
//   history; every write goes through the document.
// - Drop, DoubleClick, CreateElement and EditElement run both phases at once
//   with the dialogs of an EditorDialogs (tests script them).
// - A configurator element waiting in `pending` is taken by the next planned
//   drop or creation, whatever becomes of it: applied to the property dialog
//   of a new element, or dropped.
// - Pixel layout is the window's: it finds the slot under a drop point on the
//   condition frame and passes it as the target's index.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/canvas.h"
#include "editor/property_dialog.h"
#include "editor/selection_dialogs.h"
#include "editor/time_dialogs.h"
#include "model/project.h"

namespace tessed::editor {

using model::Moment;

// A drag: a palette object or operator ({kObjects or kOperators, kPicture,
// slot}), a placed element ({group, kPicture, slot}) or an operator link
// between two conditions ({kCondOk or kCondKo, kMark, mark}).
using DragSource = CanvasControl;
// A drop target: a slot picture or label, a frame, a scroll control, an
// operator mark, the trash. A label acts as its picture; a picture of the
// trigger, stop-trigger and negated groups acts as the frame.
using DropTarget = CanvasControl;

enum class DragIcon { kDrag, kStop };

// The modal dialogs of the editor, for the one-phase operations. Each Show
// returns once the dialog has been hidden; the model's Confirmed tells how.
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

// What a drop does (the acceptance table); kEdit and kEditLink are the
// double-click edits of an element and of an operator mark, kPaste a paste of
// copied elements (kDelete also deletes several elements of a group at once:
// a cut, or the Delete key on a selection).
enum class DropEffect {
    kRefuse,
    kNoEffect,
    kCreate,
    kLink,
    kMove,
    kDelete,
    kDeleteLink,
    kEdit,
    kEditLink,
    kPaste
};

struct CopiedElements;

// The dialog a plan waits for.
enum class PlanDialog { kNone, kProperty, kTimeSingle, kTimeRange, kOperator };

// A planned drop or edit: its effect, the dialog to show (prefilled) and what
// the commit will write. Move-only; it owns its dialog.
class EditPlan {
  public:
    DropEffect effect = DropEffect::kRefuse;
    // A warning to show (title text 1002) instead of a dialog: the row limit,
    // text 1561. 0: none.
    int warning = 0;
    // The operator mark the operator dialog stands next to (1-based).
    int mark = 0;

    // Whether a commit may change the scenario; false for refused and
    // no-effect drops and for drops whose rules leave nothing to do.
    bool Committable() const { return committable_ && !committed_; }
    PlanDialog Dialog() const;
    PropertyDialog* Property() const { return property_.get(); }
    TimeSingleDialog* TimeSingle() const { return single_.get(); }
    TimeRangeDialog* TimeRange() const { return range_.get(); }
    OperatorDialog* Operator() const { return operator_.get(); }
    // No dialog is needed, or it was confirmed.
    bool Confirmed() const;
    // After a committed creation or paste: the new elements' identities.
    const std::vector<int64_t>& Created() const { return created_; }
    // The slot group the plan changes.
    StripId Group() const { return group_; }

  private:
    friend class Placement;
    bool committable_ = false;
    bool committed_ = false;
    StripId group_ = StripId::kTrigger;
    int32_t idObj_ = 0;
    bool custom_ = false;
    int64_t id_ = 0;            // the element created, edited, moved or deleted
    std::vector<int64_t> ids_;  // the elements deleted (several: a cut)
    std::vector<int64_t> created_;
    std::shared_ptr<const CopiedElements> paste_;
    int64_t target_ = 0;         // the element of the slot dropped on (create, move)
    int firstShown_ = 0;         // the position slot 1 showed when planned (create)
    int idOpe_ = 0;              // link: the operator; link delete: the link's operator
    int64_t id1_ = 0, id2_ = 0;  // the conditions around a link
    bool newLink_ = false;       // operator edit on a mark without a link
    std::unique_ptr<PropertyDialog> property_;
    std::unique_ptr<TimeSingleDialog> single_;
    std::unique_ptr<TimeRangeDialog> range_;
    std::unique_ptr<OperatorDialog> operator_;
};

class Placement {
  public:
    Placement(Canvas& canvas, EditorDialogs& dialogs, RepeatTimer* timer = nullptr);
    // Without dialogs: plan and commit only; the one-phase operations do
    // nothing that needs a dialog.
    explicit Placement(Canvas& canvas, RepeatTimer* timer = nullptr);

    // Whether a drag may start from the source (a slot that shows a picture).
    bool CanDrag(const DragSource& source) const;
    // The effect a drop would have; the hover icon is kDrag unless refused.
    DropEffect Effect(const DragSource& source, const DropTarget& target) const;
    // A drag over a target: the icon, the highlight and the auto-scroll.
    DragIcon Hover(const DragSource& source, const DropTarget& target);
    // The drag leaves the canvas or is cancelled.
    void Leave();

    // First phase. A drop ends the hover (highlight, auto-scroll).
    EditPlan PlanDrop(const DragSource& source, const DropTarget& target);
    // A new element of object `idObj` in a slot group, as a palette drop that
    // passed the capability check makes it (`slot` > 0: a drop on that slot).
    EditPlan PlanCreate(int32_t idObj, StripId group, int slot = 0);
    // The element of a filled slot edited in its dialog.
    EditPlan PlanEdit(StripId group, int slot);
    // The operator mark `mark` of the conditions edited in the operator dialog.
    EditPlan PlanOperatorEdit(int mark);
    // A double-click on a slot picture (edit) or an operator mark of the
    // conditions (operator dialog).
    EditPlan PlanDoubleClick(const CanvasControl& target);
    // Copied elements pasted into `group` after its element `afterId` (0: at
    // the end), with the checks of a drop: the copy must come from that group
    // and every object be one the group takes (else warning 1929), and a
    // limited group must have room for all of them (else warning 1561). A
    // null copy (the clipboard held nothing readable) gives warning 1929.
    EditPlan PlanPaste(std::shared_ptr<const CopiedElements> copy, StripId group,
                       int64_t afterId = 0);
    // The element `id` moved one place back (`delta` < 0) or forward in its
    // group, past the slots shown too: the move of a drop on its neighbour
    // (the keyboard's Alt+arrows and the element menu). Refused in groups
    // that keep their order and at either end.
    EditPlan PlanStep(StripId group, int64_t id, int delta);
    // Several elements of one group deleted at once (a cut, or a selection
    // deleted), their links with them: one step.
    EditPlan PlanDeleteElements(StripId group, const std::vector<int64_t>& ids);
    // Second phase: writes what the plan holds, when it is committable and its
    // dialog confirmed, as one step; reloads the group. True when the tables
    // changed. A plan commits once.
    bool Commit(EditPlan& plan);

    // Both phases at once, the dialog shown through EditorDialogs and the
    // warning through the message boxes; true when the tables changed.
    bool Drop(const DragSource& source, const DropTarget& target);
    bool CreateElement(int32_t idObj, StripId group, int slot = 0);
    bool EditElement(StripId group, int slot);
    bool DoubleClick(const CanvasControl& target);

    // The slot or operator position under the pointer while hovering over a
    // condition or action slot.
    std::optional<DropTarget> highlight;

    // Auto-scroll while a drag hovers over a group's scroll control.
    bool Scrolling() const { return scrollControl_.has_value(); }
    const std::optional<CanvasControl>& ScrollControl() const { return scrollControl_; }
    void StopScrolling();
    static constexpr int kScrollIntervalMs = 500;

    // A configurator element waiting for the next palette drop; applied to the
    // property dialog by the hook before the dialog shows, then marked used.
    std::shared_ptr<cObjOleDrag> pending;
    std::function<void(PropertyDialog&, cObjOleDrag&)> ApplyPayload;
    // "Now" of the time dialogs.
    std::function<Moment()> now = [] { return Moment::Now(); };

    // The most rows a trigger, stop-trigger or condition group takes.
    static constexpr int kMaxRows = 20;
    // Whether the catalogue lets object `idObj` be placed in `group`.
    bool Allowed(int64_t idObj, StripId group) const;

  private:
    struct Resolved {
        enum Kind { kNone, kFrame, kSlot, kMark, kTrash, kScroll } kind = kNone;
        StripId strip = StripId::kTrigger;
        int slot = 0;  // 1-based slot or mark
        bool forward = false;
    };
    Resolved resolve(const DropTarget& t) const;
    DropEffect effect(const DragSource& s, const Resolved& r) const;
    int64_t sourceId(const DragSource& s) const;

    EditPlan planCreate(int32_t idObj, StripId group, int slot,
                        const std::shared_ptr<cObjOleDrag>& payload);
    void planLink(EditPlan& p, const Resolved& r, int idOpe) const;
    void planMove(EditPlan& p, const DragSource& s, const Resolved& r) const;
    void planRemove(EditPlan& p, const DragSource& s) const;
    // Prepares the dialog of an element; `row` is the stored row when editing.
    void prepareDialog(EditPlan& p, const db::Row* row,
                       const std::shared_ptr<cObjOleDrag>& payload);
    // The values of a confirmed element dialog.
    std::optional<ElementValues> dialogValues(EditPlan& p) const;
    bool store(StripId group, const ElementValues& v, int32_t& id);
    bool commit(EditPlan& p);
    // Shows the plan's dialog or warning through dialogs_; false when it needs
    // a dialog and there are none.
    bool show(EditPlan& p);
    void scrollTick();

    Canvas& canvas_;
    EditorDialogs* dialogs_;
    RepeatTimer* timer_;
    std::optional<CanvasControl> scrollControl_;
};

}  // namespace tessed::editor
