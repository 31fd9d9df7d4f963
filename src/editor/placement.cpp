#include "editor/placement.h"

#include <algorithm>
#include <utility>

#include "editor/element_clipboard.h"
#include "env/database.h"
#include "env/messages.h"
#include "env/texts.h"
#include "model/document.h"

namespace tessed::editor {

namespace {

constexpr int kTitle = 1002;
constexpr int kTooManyElements = 1561;
// The clipboard holds no elements the group can take.
constexpr int kNothingToPaste = 1929;
constexpr const char* kOptional = "OPTIONAL";
constexpr int kTimeObject = 23;
constexpr const char* kUnlinked = "?";

bool IsCondition(StripId g) { return g == StripId::kCondOk || g == StripId::kCondKo; }
bool IsAction(StripId g) { return g == StripId::kStepAct || g == StripId::kStepActElse; }
bool Movable(StripId g) { return g == StripId::kCondOk || IsAction(g); }
bool Limited(StripId g) {
    return g == StripId::kTrigger || g == StripId::kTriggerStop || g == StripId::kCondOk;
}
// Groups that take drops as a whole: a slot picture acts as the frame.
bool WholeGroup(StripId g) {
    return g == StripId::kTrigger || g == StripId::kTriggerStop || g == StripId::kCondKo;
}

bool IsObject(const DragSource& s) {
    return s.strip == StripId::kObjects && s.part == Part::kPicture;
}
bool IsOperator(const DragSource& s) {
    return s.strip == StripId::kOperators && s.part == Part::kPicture;
}
// A placed element: a slot picture of a slot group.
bool IsElement(const DragSource& s) { return IsSlotGroup(s.strip) && s.part == Part::kPicture; }
bool IsElementOf(const DragSource& s, StripId g) { return IsElement(s) && s.strip == g; }
// An operator link of a condition group.
bool IsLink(const DragSource& s) { return IsCondition(s.strip) && s.part == Part::kMark; }
bool IsLinkOf(const DragSource& s, StripId g) { return IsLink(s) && s.strip == g; }

int64_t TagId(const std::string& tag) { return str::LenientInt(tag); }

}  // namespace

// ---------------------------------------------------------------- plan

PlanDialog EditPlan::Dialog() const {
    if (property_) return PlanDialog::kProperty;
    if (single_) return PlanDialog::kTimeSingle;
    if (range_) return PlanDialog::kTimeRange;
    if (operator_) return PlanDialog::kOperator;
    return PlanDialog::kNone;
}

bool EditPlan::Confirmed() const {
    if (property_) return property_->Confirmed;
    if (single_) return single_->Confirmed;
    if (range_) return range_->Confirmed;
    if (operator_) return operator_->Confirmed;
    return true;
}

Placement::Placement(Canvas& canvas, EditorDialogs& dialogs, RepeatTimer* timer)
    : canvas_(canvas), dialogs_(&dialogs), timer_(timer) {}

Placement::Placement(Canvas& canvas, RepeatTimer* timer)
    : canvas_(canvas), dialogs_(nullptr), timer_(timer) {}

// ---------------------------------------------------------------- sources and targets

int64_t Placement::sourceId(const DragSource& s) const {
    const Strip& st = canvas_.strip(s.strip);
    if (s.part == Part::kPicture) {
        if (!IsObject(s) && !IsOperator(s) && !IsElement(s)) return 0;
        if (s.index < 1 || s.index > static_cast<int>(st.slots.size())) return 0;
        return TagId(st.slot(s.index).labelTag);
    }
    if (IsLink(s)) {
        if (s.index < 1 || s.index > static_cast<int>(st.marks.size())) return 0;
        return TagId(st.marks[static_cast<size_t>(s.index - 1)].tag);
    }
    return 0;
}

bool Placement::CanDrag(const DragSource& s) const {
    const Strip& st = canvas_.strip(s.strip);
    if (IsObject(s) || IsOperator(s) || IsElement(s))
        return s.index >= 1 && s.index <= static_cast<int>(st.slots.size()) &&
               st.slot(s.index).picture.kind != Picture::kEmpty;
    if (IsLink(s))
        return s.index >= 1 && s.index <= static_cast<int>(st.marks.size()) &&
               st.marks[static_cast<size_t>(s.index - 1)].picture.kind != Picture::kEmpty;
    return false;
}

Placement::Resolved Placement::resolve(const DropTarget& t) const {
    Resolved r;
    if (t.part == Part::kTrash) {
        r.kind = Resolved::kTrash;
        return r;
    }
    const StripInfo& info = Info(t.strip);
    r.strip = t.strip;
    int index = t.index;
    switch (t.part) {
        case Part::kScrollBack:
        case Part::kScrollForward:
            r.kind = Resolved::kScroll;
            r.forward = t.part == Part::kScrollForward;
            return r;
        case Part::kMark:
            if (!info.hasMarks()) return {};
            if (index >= 1 && index < info.slots) {
                r.kind = Resolved::kMark;
                r.slot = index;
                return r;
            }
            // No such mark: the group's frame.
            r.kind = Resolved::kFrame;
            index = 0;
            break;
        case Part::kPicture:
        case Part::kLabel:
            if (index >= 1 && index <= info.slots) {
                r.kind = Resolved::kSlot;
                r.slot = index;
            } else {
                r.kind = Resolved::kFrame;
                index = 0;
            }
            break;
        case Part::kFrame:
            r.kind = Resolved::kFrame;
            break;
        case Part::kTrash:
            break;
    }
    if (r.kind == Resolved::kSlot && WholeGroup(r.strip)) r.kind = Resolved::kFrame;
    // The condition frame: the slot under the drop point, as the window found
    // it; the first slot when it found none.
    if (r.kind == Resolved::kFrame && r.strip == StripId::kCondOk)
        r.slot = index >= 1 && index <= info.slots ? index : 1;
    return r;
}

DropEffect Placement::effect(const DragSource& s, const Resolved& r) const {
    const bool element = IsElement(s);
    if (r.kind == Resolved::kNone || r.kind == Resolved::kScroll) return DropEffect::kRefuse;
    if (r.kind == Resolved::kTrash) {
        if (IsLinkOf(s, StripId::kCondOk)) return DropEffect::kDeleteLink;
        if (element) return DropEffect::kDelete;
        if (IsObject(s)) return DropEffect::kNoEffect;
        return DropEffect::kRefuse;
    }
    if (r.strip == StripId::kObjects) {
        if (element) return DropEffect::kDelete;
        return IsObject(s) ? DropEffect::kNoEffect : DropEffect::kRefuse;
    }
    if (r.strip == StripId::kOperators) {
        if (IsLink(s)) return DropEffect::kDeleteLink;
        return IsOperator(s) ? DropEffect::kNoEffect : DropEffect::kRefuse;
    }
    if (r.strip == StripId::kFamilies) return DropEffect::kRefuse;

    if (IsObject(s)) {
        auto obj = canvas_.PaletteObjects()->Item(std::to_string(sourceId(s)));
        if (!obj) return DropEffect::kRefuse;
        bool ok = false;
        switch (r.strip) {
            case StripId::kTrigger:
                ok = obj->IsTrigger;
                break;
            case StripId::kTriggerStop:
                ok = obj->IsTriggerSTOP;
                break;
            case StripId::kCondOk:
                ok = obj->IsCondOk;
                break;
            case StripId::kCondKo:
                ok = obj->IsCondKO;
                break;
            case StripId::kStepAct:
                ok = obj->IsAct;
                break;
            case StripId::kStepActElse:
                ok = obj->IsActElse;
                break;
            default:
                break;
        }
        return ok ? DropEffect::kCreate : DropEffect::kRefuse;
    }
    const bool own = IsElementOf(s, r.strip);
    switch (r.strip) {
        case StripId::kTrigger:
        case StripId::kTriggerStop:
            return own ? DropEffect::kNoEffect : DropEffect::kRefuse;
        case StripId::kCondOk:
            if (IsOperator(s)) return DropEffect::kLink;
            if (own) return DropEffect::kMove;
            return IsLinkOf(s, StripId::kCondOk) ? DropEffect::kNoEffect : DropEffect::kRefuse;
        case StripId::kCondKo:
            if (IsOperator(s)) return DropEffect::kLink;
            return (own || IsLinkOf(s, StripId::kCondKo)) ? DropEffect::kNoEffect
                                                          : DropEffect::kRefuse;
        case StripId::kStepAct:
        case StripId::kStepActElse:
            return own ? DropEffect::kMove : DropEffect::kRefuse;
        default:
            return DropEffect::kRefuse;
    }
}

DropEffect Placement::Effect(const DragSource& source, const DropTarget& target) const {
    return effect(source, resolve(target));
}

// ---------------------------------------------------------------- hover and scroll

DragIcon Placement::Hover(const DragSource& source, const DropTarget& target) {
    const Resolved r = resolve(target);
    highlight.reset();
    if (r.kind == Resolved::kScroll) {
        if (IsSlotGroup(r.strip) && scrollControl_ != target) {
            StopScrolling();
            scrollControl_ = target;
            if (timer_) timer_->Start(kScrollIntervalMs, [this] { scrollTick(); });
        }
        return DragIcon::kDrag;
    }
    StopScrolling();
    const DropEffect e = effect(source, r);
    if (e != DropEffect::kRefuse && (IsCondition(r.strip) || IsAction(r.strip)) &&
        (r.kind == Resolved::kSlot || r.kind == Resolved::kMark))
        highlight = target;
    return e == DropEffect::kRefuse ? DragIcon::kStop : DragIcon::kDrag;
}

void Placement::Leave() {
    highlight.reset();
    StopScrolling();
}

void Placement::StopScrolling() {
    if (!scrollControl_) return;
    scrollControl_.reset();
    if (timer_) timer_->Stop();
}

void Placement::scrollTick() {
    if (!scrollControl_) return;
    const StripId id = scrollControl_->strip;
    const bool forward = scrollControl_->part == Part::kScrollForward;
    const Strip& s = canvas_.strip(id);
    const bool done = forward ? !s.slots.back().filled() : s.firstShown() <= 1;
    if (done) {
        StopScrolling();
        return;
    }
    if (forward)
        canvas_.ScrollForward(id);
    else
        canvas_.ScrollBack(id);
}

// ---------------------------------------------------------------- planning

EditPlan Placement::PlanDrop(const DragSource& source, const DropTarget& target) {
    // A waiting configurator element belongs to this drop and to no later one.
    const std::shared_ptr<cObjOleDrag> payload = std::exchange(pending, nullptr);
    highlight.reset();
    StopScrolling();
    const Resolved r = resolve(target);
    EditPlan p;
    p.effect = effect(source, r);
    switch (p.effect) {
        case DropEffect::kCreate: {
            EditPlan c = planCreate(static_cast<int32_t>(sourceId(source)), r.strip,
                                    r.kind == Resolved::kSlot ? r.slot : 0, payload);
            c.effect = DropEffect::kCreate;
            return c;
        }
        case DropEffect::kLink:
            planLink(p, r, static_cast<int>(sourceId(source)));
            break;
        case DropEffect::kMove:
            planMove(p, source, r);
            break;
        case DropEffect::kDelete:
        case DropEffect::kDeleteLink:
            planRemove(p, source);
            break;
        default:
            break;
    }
    if (payload) payload->NoValid = true;
    return p;
}

EditPlan Placement::PlanCreate(int32_t idObj, StripId group, int slot) {
    return planCreate(idObj, group, slot, std::exchange(pending, nullptr));
}

EditPlan Placement::planCreate(int32_t idObj, StripId group, int slot,
                               const std::shared_ptr<cObjOleDrag>& payload) {
    EditPlan p;
    p.effect = DropEffect::kCreate;
    p.group_ = group;
    p.idObj_ = idObj;
    // Taken whatever follows: a refused creation leaves nothing waiting.
    struct Used {
        const std::shared_ptr<cObjOleDrag>& payload;
        ~Used() {
            if (payload) payload->NoValid = true;
        }
    } used{payload};
    if (!IsSlotGroup(group)) return p;
    if (Limited(group)) {
        int64_t rows = 0;
        try {
            if (auto row = canvas_.database().queryOne("SELECT COUNT(*) AS MYMAX FROM " +
                                                       std::string(Info(group).table)))
                rows = row->getInt("MYMAX");
        } catch (const db::Error&) {
            return p;
        }
        if (rows >= kMaxRows) {
            p.warning = kTooManyElements;
            return p;
        }
    }
    const Strip& st = canvas_.strip(group);
    p.firstShown_ = st.firstShown();
    p.target_ =
        slot >= 1 && slot <= static_cast<int>(st.slots.size()) ? TagId(st.slot(slot).labelTag) : 0;
    try {
        prepareDialog(p, nullptr, payload);
    } catch (const db::Error&) {
        return p;  // a dialog that cannot be filled is not shown
    }
    p.committable_ = true;
    return p;
}

void Placement::planLink(EditPlan& p, const Resolved& r, int idOpe) const {
    const Strip& st = canvas_.strip(r.strip);
    int mark = 0;
    if (r.kind == Resolved::kMark) {
        mark = r.slot;
    } else if (r.kind == Resolved::kSlot) {
        mark = r.slot < static_cast<int>(st.slots.size()) ? r.slot : r.slot - 1;
    } else {
        // The frame: the first position between two shown conditions that has
        // no link yet.
        for (size_t i = 0; i < st.marks.size() && mark == 0; ++i)
            if (st.slots[i].filled() && st.slots[i + 1].filled() &&
                (st.marks[i].tag.empty() || st.marks[i].tag == kUnlinked))
                mark = static_cast<int>(i + 1);
    }
    if (mark < 1 || mark >= static_cast<int>(st.slots.size())) return;
    p.group_ = r.strip;
    p.mark = mark;
    p.idOpe_ = idOpe;
    p.id1_ = TagId(st.slot(mark).labelTag);
    p.id2_ = TagId(st.slot(mark + 1).labelTag);
    // Never next to an empty slot.
    p.committable_ = p.id1_ >= 1 && p.id2_ >= 1 && idOpe >= 1;
}

void Placement::planMove(EditPlan& p, const DragSource& s, const Resolved& r) const {
    const StripId group = r.strip;
    const Strip& st = canvas_.strip(group);
    int slot = r.slot;
    if (IsAction(group)) {
        // An empty slot or the frame: the last filled slot.
        if (slot < 1 || !st.slot(slot).filled()) {
            slot = 0;
            for (int i = static_cast<int>(st.slots.size()); i >= 1 && slot == 0; --i)
                if (st.slot(i).filled()) slot = i;
        }
    } else if (r.kind == Resolved::kMark) {
        return;
    }
    if (slot < 1) return;
    p.group_ = group;
    p.id_ = sourceId(s);
    p.target_ = TagId(st.slot(slot).labelTag);
    p.committable_ = p.id_ >= 1 && p.target_ >= 1 && p.id_ != p.target_;
}

void Placement::planRemove(EditPlan& p, const DragSource& s) const {
    if (IsElement(s)) {
        p.group_ = s.strip;
        p.id_ = sourceId(s);
        p.committable_ = p.id_ >= 1;
        return;
    }
    const Strip& st = canvas_.strip(s.strip);
    if (!IsLink(s) || s.index < 1 || s.index >= static_cast<int>(st.slots.size())) return;
    p.group_ = s.strip;
    p.idOpe_ = static_cast<int>(sourceId(s));
    p.id1_ = TagId(st.slot(s.index).labelTag);
    p.id2_ = TagId(st.slot(s.index + 1).labelTag);
    p.committable_ = true;
}

void Placement::prepareDialog(EditPlan& p, const db::Row* row,
                              const std::shared_ptr<cObjOleDrag>& payload) {
    const StripId group = p.group_;
    const int area = Info(group).area;
    db::Database& db = canvas_.database();
    const std::string keyOpt = row ? row->getText("KEY_OPT") : std::string();
    if (p.idObj_ == kTimeObject && (group == StripId::kTrigger || group == StripId::kTriggerStop)) {
        p.single_ = std::make_unique<TimeSingleDialog>(now());
        p.single_->LoadData(db, p.idObj_, area, keyOpt);
        return;
    }
    if (p.idObj_ == kTimeObject && IsCondition(group)) {
        p.range_ = std::make_unique<TimeRangeDialog>(now());
        p.range_->LoadData(db, p.idObj_, area, keyOpt);
        return;
    }
    p.property_ = std::make_unique<PropertyDialog>(&db);
    PropertyDialog& dlg = *p.property_;
    dlg.Form_Load();
    p.custom_ = dlg.LoadData(p.idObj_, area);
    dlg.txtDescri.tag = kOptional;
    dlg.txtDescri.maxLength = IsAction(group) ? 15 : 20;
    if (row) dlg.Restore(*row, p.custom_);
    if (!row && payload && !payload->NoValid) {
        if (ApplyPayload) ApplyPayload(dlg, *payload);
        payload->NoValid = true;
    }
    dlg.Visible = true;
}

EditPlan Placement::PlanEdit(StripId group, int slot) {
    EditPlan p;
    p.effect = DropEffect::kEdit;
    p.group_ = group;
    if (!IsSlotGroup(group)) return p;
    const Strip& st = canvas_.strip(group);
    if (slot < 1 || slot > static_cast<int>(st.slots.size()) || !st.slot(slot).filled()) return p;
    p.id_ = TagId(st.slot(slot).labelTag);
    std::optional<db::Row> row;
    try {
        row = canvas_.database().queryOne(
            "SELECT * FROM " + std::string(Info(group).table) + " WHERE ID=?",
            {static_cast<long long>(p.id_)});
    } catch (const db::Error&) {
        return p;
    }
    if (!row) return p;
    p.idObj_ = static_cast<int32_t>(row->getInt("ID_OBJ"));
    try {
        prepareDialog(p, &*row, nullptr);
    } catch (const db::Error&) {
        return p;
    }
    p.committable_ = true;
    return p;
}

EditPlan Placement::PlanOperatorEdit(int mark) {
    EditPlan p;
    p.effect = DropEffect::kEditLink;
    p.group_ = StripId::kCondOk;
    const Strip& st = canvas_.strip(StripId::kCondOk);
    if (mark < 1 || mark > static_cast<int>(st.marks.size())) return p;
    const std::string& tag = st.marks[static_cast<size_t>(mark - 1)].tag;
    p.mark = mark;
    p.id1_ = TagId(st.slot(mark).labelTag);
    p.id2_ = TagId(st.slot(mark + 1).labelTag);
    if (tag.empty() || p.id1_ < 1 || p.id2_ < 1) return p;
    p.newLink_ = tag == kUnlinked;
    p.operator_ = std::make_unique<OperatorDialog>();
    if (!p.newLink_) p.operator_->Preselect(static_cast<int>(TagId(tag)));
    p.operator_->Visible = true;
    p.committable_ = true;
    return p;
}

bool Placement::Allowed(int64_t idObj, StripId group) const {
    const char* flag = nullptr;
    switch (group) {
        case StripId::kTrigger:
            flag = "TRIGGER";
            break;
        case StripId::kTriggerStop:
            flag = "TRIGGERSTOP";
            break;
        case StripId::kCondOk:
            flag = "COND_OK";
            break;
        case StripId::kCondKo:
            flag = "COND_KO";
            break;
        case StripId::kStepAct:
            flag = "ACT";
            break;
        case StripId::kStepActElse:
            flag = "ACT_ELSE";
            break;
        default:
            return false;
    }
    try {
        auto row = canvas_.database().queryOne(
            std::string("SELECT ") + flag + " AS F FROM ASS_OBJ_AREE WHERE ID_OBJ=?",
            {static_cast<long long>(idObj)});
        return row && row->getBool("F");
    } catch (const db::Error&) {
        return false;
    }
}

EditPlan Placement::PlanPaste(std::shared_ptr<const CopiedElements> copy, StripId group,
                              int64_t afterId) {
    EditPlan p;
    p.effect = DropEffect::kPaste;
    p.group_ = group;
    p.warning = kNothingToPaste;
    if (!copy || !IsSlotGroup(group) || copy->group != group || copy->rows.empty()) return p;
    // Every element as a drop of its object would be: one the group does not
    // take refuses the whole paste.
    for (const auto& row : copy->rows)
        if (row.size() < 3 || !Allowed(row[2].toInt(), group)) return p;
    if (Limited(group)) {
        int64_t rows = 0;
        try {
            if (auto r = canvas_.database().queryOne("SELECT COUNT(*) AS MYMAX FROM " +
                                                     std::string(Info(group).table)))
                rows = r->getInt("MYMAX");
        } catch (const db::Error&) {
            return p;
        }
        if (rows + static_cast<int64_t>(copy->rows.size()) > kMaxRows) {
            p.warning = kTooManyElements;
            return p;
        }
    }
    p.warning = 0;
    p.paste_ = std::move(copy);
    p.target_ = afterId;
    p.firstShown_ = canvas_.strip(group).firstShown();
    p.committable_ = true;
    return p;
}

EditPlan Placement::PlanStep(StripId group, int64_t id, int delta) {
    EditPlan p;
    if (!IsSlotGroup(group) || !Movable(group) || delta == 0 || id < 1) return p;
    std::vector<int64_t> order;
    try {
        for (const db::Row& r : canvas_.database().query(
                 "SELECT ID FROM " + std::string(Info(group).table) + " ORDER BY ORDINE, ID"))
            order.push_back(r.getInt("ID"));
    } catch (const db::Error&) {
        return p;
    }
    const auto at = std::find(order.begin(), order.end(), id);
    if (at == order.end()) return p;
    const auto place = (at - order.begin()) + (delta < 0 ? -1 : 1);
    if (place < 0 || place >= static_cast<std::ptrdiff_t>(order.size())) return p;
    p.effect = DropEffect::kMove;
    p.group_ = group;
    p.id_ = id;
    p.target_ = order[static_cast<size_t>(place)];
    p.committable_ = true;
    return p;
}

EditPlan Placement::PlanDeleteElements(StripId group, const std::vector<int64_t>& ids) {
    EditPlan p;
    p.effect = DropEffect::kDelete;
    p.group_ = group;
    if (!IsSlotGroup(group)) return p;
    for (int64_t id : ids)
        if (id >= 1 && std::find(p.ids_.begin(), p.ids_.end(), id) == p.ids_.end())
            p.ids_.push_back(id);
    p.committable_ = !p.ids_.empty();
    return p;
}

EditPlan Placement::PlanDoubleClick(const CanvasControl& target) {
    if (target.strip == StripId::kCondOk && target.part == Part::kMark)
        return PlanOperatorEdit(target.index);
    if (IsSlotGroup(target.strip) && target.part == Part::kPicture)
        return PlanEdit(target.strip, target.index);
    return {};
}

// ---------------------------------------------------------------- committing

std::optional<ElementValues> Placement::dialogValues(EditPlan& p) const {
    const int area = Info(p.group_).area;
    if (p.single_) {
        const TimeSingleDialog& dlg = *p.single_;
        ElementValues v;
        v.ID_OBJ = p.idObj_;
        v.area = area;
        v.DESCRI = dlg.description;
        v.CHI_KEY = dlg.who.whoCode;
        v.COSA_KEY = dlg.idCosa.value_or(0);
        v.ID_RES_COSA = static_cast<int32_t>(dlg.idResCosa.value_or(0));
        v.value = dlg.timeText;
        return v;
    }
    if (p.range_) {
        const TimeRangeDialog& dlg = *p.range_;
        ElementValues v;
        v.ID_OBJ = p.idObj_;
        v.area = area;
        v.DESCRI = dlg.description;
        v.CHI_KEY = dlg.who.whoCode;
        v.ID_RES_COSA = static_cast<int32_t>(dlg.idRes.value_or(0));
        v.value = dlg.timeText;
        return v;
    }
    if (p.property_) return p.property_->ReadValues(p.custom_);
    return std::nullopt;
}

bool Placement::store(StripId group, const ElementValues& v, int32_t& id) {
    const std::string table(Info(group).table);
    ScenarioDocument& doc = canvas_.document();
    if (!doc.InsertIntoPRJ(table, v, id)) return false;
    // A time condition among the negated ones keeps its time text too: the
    // element insert writes it only for the other areas.
    if (v.ID_OBJ == kTimeObject && group == StripId::kCondKo) doc.SetTimeText(table, id, v.value);
    return true;
}

bool Placement::Commit(EditPlan& p) {
    if (!p.Committable() || !p.Confirmed()) return false;
    p.committed_ = true;
    ScenarioDocument::Step step(canvas_.document());
    try {
        return commit(p);
    } catch (const db::Error&) {
        // A failing statement leaves the tables as they were.
        return false;
    }
}

bool Placement::commit(EditPlan& p) {
    ScenarioDocument& doc = canvas_.document();
    const StripId group = p.group_;
    const std::string table(Info(group).table);
    const std::string ope(Info(group).opeTable);
    switch (p.effect) {
        case DropEffect::kCreate: {
            auto values = dialogValues(p);
            if (!values) return false;
            int32_t id = 0;
            if (!store(group, *values, id)) return false;
            if (Movable(group) && p.target_ > 0)
                doc.RebuildOrder(table, id, static_cast<int32_t>(p.target_));
            if (group == StripId::kStepAct) canvas_.WriteActionFlags();
            canvas_.Load(group, p.firstShown_ > 0 ? p.firstShown_ : 1);
            p.created_ = {id};
            return true;
        }
        case DropEffect::kPaste: {
            // All of it or nothing: a link that fails puts the rows back out.
            const ScenarioSnapshot before = doc.TakeSnapshot();
            std::vector<int32_t> ids;
            if (!doc.InsertElementRows(table, p.paste_->rows, static_cast<int32_t>(p.target_), ids))
                return false;
            for (const CopiedLink& l : p.paste_->links) {
                if (!doc.InsertIntoOPE(ope, l.idOpe, ids.at(l.upper), ids.at(l.lower))) {
                    doc.Restore(before);
                    canvas_.Reload(group);
                    return false;
                }
            }
            // New actions repeat and restart as the others do, as a created one.
            if (group == StripId::kStepAct) canvas_.WriteActionFlags();
            canvas_.Load(group, p.firstShown_ > 0 ? p.firstShown_ : 1);
            p.created_.assign(ids.begin(), ids.end());
            return true;
        }
        case DropEffect::kEdit: {
            auto values = dialogValues(p);
            if (!values) return false;
            int32_t keep = static_cast<int32_t>(p.id_);
            const bool ok = store(group, *values, keep);
            canvas_.Reload(group);
            return ok;
        }
        case DropEffect::kLink: {
            const auto id1 = static_cast<int32_t>(p.id1_), id2 = static_cast<int32_t>(p.id2_);
            // One link per pair: a second operator replaces the first.
            const bool existing =
                canvas_.database()
                    .queryOne("SELECT ID_OPE FROM " + ope + " WHERE ID1=? AND ID2=?", {id1, id2})
                    .has_value();
            const bool ok = existing ? doc.UpdateOPE(ope, p.idOpe_, id1, id2)
                                     : doc.InsertIntoOPE(ope, p.idOpe_, id1, id2);
            canvas_.Reload(group);
            return ok;
        }
        case DropEffect::kMove: {
            const bool ok = doc.RebuildOrder(table, static_cast<int32_t>(p.id_),
                                             static_cast<int32_t>(p.target_));
            canvas_.Reload(group);
            return ok;
        }
        case DropEffect::kDelete: {
            bool ok = true;
            if (p.ids_.empty()) {
                ok = doc.DeletePRJ(table, static_cast<int32_t>(p.id_), ope);
            } else {
                // All of them or, on a failure, none.
                const ScenarioSnapshot before = doc.TakeSnapshot();
                for (int64_t id : p.ids_) {
                    if (!doc.DeletePRJ(table, static_cast<int32_t>(id), ope)) {
                        doc.Restore(before);
                        ok = false;
                        break;
                    }
                }
            }
            canvas_.Reload(group);
            if (canvas_.strip(group).firstShown() == 0) canvas_.Load(group, 1);
            return ok;
        }
        case DropEffect::kDeleteLink: {
            const bool ok = doc.DeleteOPE(ope, p.idOpe_, static_cast<int32_t>(p.id1_),
                                          static_cast<int32_t>(p.id2_));
            canvas_.Reload(group);
            return ok;
        }
        case DropEffect::kEditLink: {
            const std::optional<int> chosen = p.operator_ ? p.operator_->Result() : std::nullopt;
            if (!chosen) return false;
            const auto id1 = static_cast<int32_t>(p.id1_), id2 = static_cast<int32_t>(p.id2_);
            const bool ok = p.newLink_ ? doc.InsertIntoOPE("TMP_OPE_OK", *chosen, id1, id2)
                                       : doc.UpdateOPE("TMP_OPE_OK", *chosen, id1, id2);
            canvas_.Reload(StripId::kCondOk);
            return ok;
        }
        default:
            return false;
    }
}

// ---------------------------------------------------------------- one phase

bool Placement::show(EditPlan& p) {
    if (p.warning) Messages().warning(texts::GetText(kTitle), texts::GetText(p.warning));
    if (!p.Committable()) return false;
    switch (p.Dialog()) {
        case PlanDialog::kNone:
            return true;
        case PlanDialog::kProperty:
            if (dialogs_) dialogs_->ShowProperty(*p.Property());
            break;
        case PlanDialog::kTimeSingle:
            if (dialogs_) dialogs_->ShowTimeSingle(*p.TimeSingle());
            break;
        case PlanDialog::kTimeRange:
            if (dialogs_) dialogs_->ShowTimeRange(*p.TimeRange());
            break;
        case PlanDialog::kOperator:
            if (dialogs_) dialogs_->ShowOperator(*p.Operator(), p.mark);
            break;
    }
    return dialogs_ != nullptr;
}

bool Placement::Drop(const DragSource& source, const DropTarget& target) {
    EditPlan p = PlanDrop(source, target);
    return show(p) && Commit(p);
}

bool Placement::CreateElement(int32_t idObj, StripId group, int slot) {
    EditPlan p = PlanCreate(idObj, group, slot);
    return show(p) && Commit(p);
}

bool Placement::EditElement(StripId group, int slot) {
    EditPlan p = PlanEdit(group, slot);
    return show(p) && Commit(p);
}

bool Placement::DoubleClick(const CanvasControl& target) {
    EditPlan p = PlanDoubleClick(target);
    return show(p) && Commit(p);
}

}  // namespace tessed::editor
