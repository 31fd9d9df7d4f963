#include "editor/placement.h"

#include "env/database.h"
#include "env/messages.h"
#include "env/texts.h"
#include "model/document.h"
#include "env/strings.h"

namespace tessed::editor {

namespace {

constexpr int kTitle = 1002;
constexpr int kTooManyElements = 1561;
constexpr const char* kOptional = "OPTIONAL";
constexpr int kTimeObject = 23;

bool IsCondition(StripId g) { return g == StripId::kCondOk || g == StripId::kCondKo; }
bool IsAction(StripId g) { return g == StripId::kStepAct || g == StripId::kStepActElse; }
bool Movable(StripId g) { return g == StripId::kCondOk || IsAction(g); }
bool Limited(StripId g) {
    return g == StripId::kTrigger || g == StripId::kTriggerStop || g == StripId::kCondOk;
}

int64_t TagId(const std::string& tag) { return str::LenientInt(tag); }

}  // namespace

Placement::Placement(Canvas& canvas, EditorDialogs& dialogs, RepeatTimer* timer)
    : canvas_(canvas), dialogs_(dialogs), timer_(timer) {}

// ---------------------------------------------------------------- sources and targets

std::optional<StripId> Placement::sourceGroup(std::string_view name) const {
    for (StripId g : kSlotGroups)
        if (str::ToUpper(Info(g).pictures) == name) return g;
    return std::nullopt;
}

int64_t Placement::sourceId(const DragSource& s) const {
    auto fromStrip = [&](StripId id) -> int64_t {
        const Strip& st = canvas_.strip(id);
        if (s.index < 1 || s.index > static_cast<int>(st.slots.size())) return 0;
        return TagId(st.slot(s.index).labelTag);
    };
    if (s.name == "IMGOBJ") return fromStrip(StripId::kObjects);
    if (s.name == "IMGOPE") return fromStrip(StripId::kOperators);
    if (auto g = sourceGroup(s.name)) return fromStrip(*g);
    if (s.name == "IMGOPEOK" || s.name == "IMGOPEKO") {
        const Strip& st = canvas_.strip(s.name == "IMGOPEOK" ? StripId::kCondOk : StripId::kCondKo);
        if (s.index < 1 || s.index > static_cast<int>(st.marks.size())) return 0;
        return TagId(st.marks[static_cast<size_t>(s.index - 1)].tag);
    }
    return 0;
}

bool Placement::CanDrag(const DragSource& s) const {
    auto shows = [&](StripId id) {
        const Strip& st = canvas_.strip(id);
        return s.index >= 1 && s.index <= static_cast<int>(st.slots.size()) &&
               st.slot(s.index).picture.kind != Picture::kEmpty;
    };
    if (s.name == "IMGOBJ") return shows(StripId::kObjects);
    if (s.name == "IMGOPE") return shows(StripId::kOperators);
    if (auto g = sourceGroup(s.name)) return shows(*g);
    if (s.name == "IMGOPEOK" || s.name == "IMGOPEKO") {
        const Strip& st = canvas_.strip(s.name == "IMGOPEOK" ? StripId::kCondOk : StripId::kCondKo);
        return s.index >= 1 && s.index <= static_cast<int>(st.marks.size()) &&
               st.marks[static_cast<size_t>(s.index - 1)].picture.kind != Picture::kEmpty;
    }
    return false;
}

Placement::Resolved Placement::resolve(const DropTarget& t) const {
    Resolved r;
    if (db::iequals(t.control, "imgCestino") || db::iequals(t.control, "imgfraCestino")) {
        r.kind = Resolved::kTrash;
        return r;
    }
    const StripInfo* info = FindStripByControl(t.control);
    if (!info) return r;
    r.strip = info->id;
    if (db::iequals(t.control, info->back) || db::iequals(t.control, info->forward)) {
        r.kind = Resolved::kScroll;
        r.forward = db::iequals(t.control, info->forward);
        return r;
    }
    if (!info->marks.empty() && db::iequals(t.control, info->marks)) {
        r.kind = Resolved::kMark;
        r.slot = t.index;
        if (r.slot < 1 || r.slot >= info->slots) r.kind = Resolved::kFrame;
        return r;
    }
    const bool slotControl =
        db::iequals(t.control, info->pictures) || db::iequals(t.control, info->labels);
    if (slotControl && t.index >= 1 && t.index <= info->slots) {
        r.kind = Resolved::kSlot;
        r.slot = t.index;
    } else {
        r.kind = Resolved::kFrame;
    }
    // Triggers, stop triggers and negated conditions take drops as a whole.
    if (r.kind == Resolved::kSlot &&
        (r.strip == StripId::kTrigger || r.strip == StripId::kTriggerStop ||
         r.strip == StripId::kCondKo))
        r.kind = Resolved::kFrame;
    if (r.kind == Resolved::kFrame && r.strip == StripId::kCondOk) {
        // The slot under the drop point: the last one whose top lies above it.
        r.slot = 1;
        for (int i = 0; i < static_cast<int>(conditionTops.size()); ++i)
            if (t.y >= conditionTops[static_cast<size_t>(i)]) r.slot = i + 1;
    }
    return r;
}

DropEffect Placement::effect(const DragSource& s, const Resolved& r) const {
    const bool element = sourceGroup(s.name).has_value();
    if (r.kind == Resolved::kNone || r.kind == Resolved::kScroll) return DropEffect::kRefuse;
    if (r.kind == Resolved::kTrash) {
        if (s.name == "IMGOPEOK") return DropEffect::kDeleteLink;
        if (element) return DropEffect::kDelete;
        if (s.name == "IMGOBJ") return DropEffect::kNoEffect;
        return DropEffect::kRefuse;
    }
    if (r.strip == StripId::kObjects) {
        if (element) return DropEffect::kDelete;
        return s.name == "IMGOBJ" ? DropEffect::kNoEffect : DropEffect::kRefuse;
    }
    if (r.strip == StripId::kOperators) {
        if (s.name == "IMGOPEOK" || s.name == "IMGOPEKO") return DropEffect::kDeleteLink;
        return s.name == "IMGOPE" ? DropEffect::kNoEffect : DropEffect::kRefuse;
    }
    if (r.strip == StripId::kFamilies) return DropEffect::kRefuse;

    if (s.name == "IMGOBJ") {
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
    const std::string own = str::ToUpper(Info(r.strip).pictures);
    switch (r.strip) {
        case StripId::kTrigger:
        case StripId::kTriggerStop:
            return s.name == own ? DropEffect::kNoEffect : DropEffect::kRefuse;
        case StripId::kCondOk:
            if (s.name == "IMGOPE") return DropEffect::kLink;
            if (s.name == own) return DropEffect::kMove;
            return s.name == "IMGOPEOK" ? DropEffect::kNoEffect : DropEffect::kRefuse;
        case StripId::kCondKo:
            if (s.name == "IMGOPE") return DropEffect::kLink;
            return (s.name == own || s.name == "IMGOPEKO") ? DropEffect::kNoEffect
                                                           : DropEffect::kRefuse;
        case StripId::kStepAct:
        case StripId::kStepActElse:
            return s.name == own ? DropEffect::kMove : DropEffect::kRefuse;
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
        if (IsSlotGroup(r.strip) && !db::iequals(scrollControl_, target.control)) {
            StopScrolling();
            scrollControl_ = target.control;
            scrollStrip_ = r.strip;
            scrollForward_ = r.forward;
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
    if (scrollControl_.empty()) return;
    scrollControl_.clear();
    if (timer_) timer_->Stop();
}

void Placement::scrollTick() {
    if (scrollControl_.empty()) return;
    const Strip& s = canvas_.strip(scrollStrip_);
    const bool done = scrollForward_ ? !s.slots.back().filled() : s.firstShown() <= 1;
    if (done) {
        StopScrolling();
        return;
    }
    if (scrollForward_)
        canvas_.ScrollForward(scrollStrip_);
    else
        canvas_.ScrollBack(scrollStrip_);
}

// ---------------------------------------------------------------- drops

bool Placement::Drop(const DragSource& source, const DropTarget& target) {
    highlight.reset();
    const Resolved r = resolve(target);
    if (r.kind == Resolved::kScroll) {
        StopScrolling();
        return false;
    }
    StopScrolling();
    try {
        switch (effect(source, r)) {
            case DropEffect::kCreate:
                return create(source, r);
            case DropEffect::kLink:
                return link(r, static_cast<int>(sourceId(source)));
            case DropEffect::kMove:
                return move(source, r);
            case DropEffect::kDelete:
                return remove(source);
            case DropEffect::kDeleteLink:
                return remove(source);
            default:
                return false;
        }
    } catch (const db::Error&) {
        // A failing statement leaves the tables as they were.
        return false;
    }
}

std::optional<ElementValues> Placement::runDialog(int32_t idObj, StripId group,
                                                  const db::Row* row) {
    const int area = Info(group).area;
    db::Database& db = canvas_.database();
    const std::string keyOpt = row ? row->getText("KEY_OPT") : std::string();
    if (idObj == kTimeObject && (group == StripId::kTrigger || group == StripId::kTriggerStop)) {
        TimeSingleDialog dlg(now());
        dlg.LoadData(db, idObj, area, keyOpt);
        dialogs_.ShowTimeSingle(dlg);
        if (!dlg.Confirmed) return std::nullopt;
        ElementValues v;
        v.ID_OBJ = idObj;
        v.area = area;
        v.DESCRI = dlg.description;
        v.CHI_KEY = dlg.who.whoCode;
        v.COSA_KEY = dlg.idCosa.value_or(0);
        v.ID_RES_COSA = static_cast<int32_t>(dlg.idResCosa.value_or(0));
        v.value = dlg.timeText;
        return v;
    }
    if (idObj == kTimeObject && IsCondition(group)) {
        TimeRangeDialog dlg(now());
        dlg.LoadData(db, idObj, area, keyOpt);
        dialogs_.ShowTimeRange(dlg);
        if (!dlg.Confirmed) return std::nullopt;
        ElementValues v;
        v.ID_OBJ = idObj;
        v.area = area;
        v.DESCRI = dlg.description;
        v.CHI_KEY = dlg.who.whoCode;
        v.ID_RES_COSA = static_cast<int32_t>(dlg.idRes.value_or(0));
        v.value = dlg.timeText;
        return v;
    }
    PropertyDialog dlg(&db);
    dlg.Form_Load();
    const bool custom = dlg.LoadData(idObj, area);
    dlg.txtDescri.tag = kOptional;
    dlg.txtDescri.maxLength = IsAction(group) ? 15 : 20;
    if (row) dlg.Restore(*row, custom);
    if (!row && pending && !pending->NoValid) {
        if (ApplyPayload) ApplyPayload(dlg, *pending);
        pending->NoValid = true;
    }
    dlg.Visible = true;
    dialogs_.ShowProperty(dlg);
    if (!dlg.Confirmed) return std::nullopt;
    return dlg.ReadValues(custom);
}

bool Placement::store(StripId group, const ElementValues& v, int32_t& id) {
    const std::string table(Info(group).table);
    if (!canvas_.document().InsertIntoPRJ(table, v, id)) return false;
    // A time condition among the negated ones keeps its time text too: the
    // element insert writes it only for the other areas.
    if (v.ID_OBJ == kTimeObject && group == StripId::kCondKo) {
        canvas_.database().execute(
            "UPDATE TMP_COND_KO SET KEY_OPT=?, DOVE_KEY=0, CUSTOM=1 WHERE ID=?", {v.value, id});
    }
    return true;
}

bool Placement::create(const DragSource& s, const Resolved& r) {
    return CreateElement(static_cast<int32_t>(sourceId(s)), r.strip,
                         r.kind == Resolved::kSlot ? r.slot : 0);
}

bool Placement::CreateElement(int32_t idObj, StripId group, int slot) {
    if (!IsSlotGroup(group)) return false;
    const std::string table(Info(group).table);
    db::Database& db = canvas_.database();
    if (Limited(group)) {
        int64_t rows = 0;
        if (auto row = db.queryOne("SELECT COUNT(*) AS MYMAX FROM " + table))
            rows = row->getInt("MYMAX");
        if (rows >= kMaxRows) {
            Messages().warning(texts::GetText(kTitle), texts::GetText(kTooManyElements));
            return false;
        }
    }
    const Strip& st = canvas_.strip(group);
    const int firstBefore = st.firstShown();
    const int64_t targetId =
        slot >= 1 && slot <= static_cast<int>(st.slots.size()) ? TagId(st.slot(slot).labelTag) : 0;
    auto values = runDialog(idObj, group, nullptr);
    if (!values) return false;
    int32_t id = 0;
    if (!store(group, *values, id)) return false;
    if (Movable(group) && targetId > 0)
        canvas_.document().RebuildOrder(table, id, static_cast<int32_t>(targetId));
    if (group == StripId::kStepAct) canvas_.WriteActionFlags();
    canvas_.Load(group, firstBefore > 0 ? firstBefore : 1);
    return true;
}

bool Placement::link(const Resolved& r, int idOpe) {
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
                (st.marks[i].tag.empty() || st.marks[i].tag == "?"))
                mark = static_cast<int>(i + 1);
    }
    if (mark < 1 || mark >= static_cast<int>(st.slots.size())) return false;
    const int64_t id1 = TagId(st.slot(mark).labelTag);
    const int64_t id2 = TagId(st.slot(mark + 1).labelTag);
    if (id1 < 1 || id2 < 1 || idOpe < 1) return false;
    const std::string ope(Info(r.strip).opeTable);
    bool changed;
    auto existing =
        canvas_.database().queryOne("SELECT ID_OPE FROM " + ope + " WHERE ID1=? AND ID2=?",
                                    {static_cast<long long>(id1), static_cast<long long>(id2)});
    if (existing) {
        // One link per pair: a second operator replaces the first.
        changed = canvas_.database().execute(
                      "UPDATE " + ope + " SET ID_OPE=? WHERE ID1=? AND ID2=?",
                      {idOpe, static_cast<long long>(id1), static_cast<long long>(id2)}) > 0;
        if (changed) canvas_.document().SetModified(true);
    } else {
        changed = canvas_.document().InsertIntoOPE(ope, idOpe, static_cast<int32_t>(id1),
                                                   static_cast<int32_t>(id2));
    }
    canvas_.Reload(r.strip);
    return changed;
}

bool Placement::move(const DragSource& s, const Resolved& r) {
    const StripId group = r.strip;
    const Strip& st = canvas_.strip(group);
    const int64_t from = sourceId(s);
    int slot = r.slot;
    if (IsAction(group)) {
        if (slot < 1 || !st.slot(slot).filled()) {
            slot = 0;
            for (int i = static_cast<int>(st.slots.size()); i >= 1 && slot == 0; --i)
                if (st.slot(i).filled()) slot = i;
        }
    } else if (r.kind == Resolved::kMark) {
        return false;
    }
    if (slot < 1) return false;
    const int64_t to = TagId(st.slot(slot).labelTag);
    if (from < 1 || to < 1 || from == to) return false;
    const bool ok = canvas_.document().RebuildOrder(Info(group).table, static_cast<int32_t>(from),
                                                    static_cast<int32_t>(to));
    canvas_.Reload(group);
    return ok;
}

bool Placement::remove(const DragSource& s) {
    if (auto g = sourceGroup(s.name)) {
        const int64_t id = sourceId(s);
        if (id < 1) return false;
        const bool ok = canvas_.document().DeletePRJ(Info(*g).table, static_cast<int32_t>(id),
                                                     Info(*g).opeTable);
        canvas_.Reload(*g);
        return ok;
    }
    const StripId g = s.name == "IMGOPEOK" ? StripId::kCondOk : StripId::kCondKo;
    const Strip& st = canvas_.strip(g);
    if (s.index < 1 || s.index >= static_cast<int>(st.slots.size())) return false;
    const int64_t idOpe = sourceId(s);
    const int64_t id1 = TagId(st.slot(s.index).labelTag);
    const int64_t id2 = TagId(st.slot(s.index + 1).labelTag);
    const bool ok =
        canvas_.document().DeleteOPE(Info(g).opeTable, static_cast<int32_t>(idOpe),
                                     static_cast<int32_t>(id1), static_cast<int32_t>(id2));
    canvas_.Reload(g);
    return ok;
}

// ---------------------------------------------------------------- double-click

bool Placement::DoubleClick(const DropTarget& target) {
    const StripInfo* info = FindStripByControl(target.control);
    if (!info || !IsSlotGroup(info->id)) return false;
    try {
        if (info->id == StripId::kCondOk && db::iequals(target.control, info->marks))
            return operatorDialog(target.index);
        if (db::iequals(target.control, info->pictures)) return EditElement(info->id, target.index);
    } catch (const db::Error&) {
    }
    return false;
}

bool Placement::EditElement(StripId group, int slot) {
    const Strip& st = canvas_.strip(group);
    if (slot < 1 || slot > static_cast<int>(st.slots.size()) || !st.slot(slot).filled())
        return false;
    const int64_t id = TagId(st.slot(slot).labelTag);
    const std::string table(Info(group).table);
    auto row = canvas_.database().queryOne("SELECT * FROM " + table + " WHERE ID=?",
                                           {static_cast<long long>(id)});
    if (!row) return false;
    auto values = runDialog(static_cast<int32_t>(row->getInt("ID_OBJ")), group, &*row);
    if (!values) return false;
    int32_t keep = static_cast<int32_t>(id);
    const bool ok = store(group, *values, keep);
    canvas_.Reload(group);
    return ok;
}

bool Placement::operatorDialog(int mark) {
    const Strip& st = canvas_.strip(StripId::kCondOk);
    if (mark < 1 || mark > static_cast<int>(st.marks.size())) return false;
    const std::string tag = st.marks[static_cast<size_t>(mark - 1)].tag;
    const int64_t id1 = TagId(st.slot(mark).labelTag);
    const int64_t id2 = TagId(st.slot(mark + 1).labelTag);
    if (tag.empty() || id1 < 1 || id2 < 1) return false;
    OperatorDialog dlg;
    if (tag != "?") dlg.Preselect(static_cast<int>(TagId(tag)));
    dlg.Visible = true;
    dialogs_.ShowOperator(dlg, mark);
    if (!dlg.Confirmed || !dlg.Result()) return false;
    canvas_.document().SetModified(true);
    bool ok;
    if (tag == "?") {
        ok = canvas_.document().InsertIntoOPE("TMP_OPE_OK", *dlg.Result(),
                                              static_cast<int32_t>(id1), static_cast<int32_t>(id2));
    } else {
        ok = canvas_.database().execute(
                 "UPDATE TMP_OPE_OK SET ID_OPE=? WHERE ID1=? AND ID2=?",
                 {*dlg.Result(), static_cast<long long>(id1), static_cast<long long>(id2)}) > 0;
    }
    canvas_.Reload(StripId::kCondOk);
    return ok;
}

}  // namespace tessed::editor
