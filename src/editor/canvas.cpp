#include "editor/canvas.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "env/database.h"
#include "env/environment.h"
#include "env/files.h"
#include "env/strings.h"
#include "model/document.h"
#include "model/element_text.h"
#include "model/time_text.h"

namespace tessed::editor {

using model::FormatMomentText;
using model::FormatRangeText;

namespace {

constexpr std::string_view kNoImage = "noimg.gif";
constexpr std::string_view kNoOperator = "NoOpe.gif";
constexpr std::string_view kDummy = "dummy.gif";
constexpr const char* kUnlinked = "?";

constexpr std::array<StripInfo, kStripCount> kInfo = {{
    {StripId::kTrigger, 3, "TMP_TRIGGER", "", 3},
    {StripId::kTriggerStop, 3, "TMP_TRIGGERSTOP", "", 6},
    {StripId::kCondOk, 3, "TMP_COND_OK", "TMP_OPE_OK", 4},
    {StripId::kCondKo, 3, "TMP_COND_KO", "TMP_OPE_KO", 0},
    {StripId::kStepAct, 10, "TMP_STEP_ACT", "", 5},
    {StripId::kStepActElse, 10, "TMP_STEP_ACT_ELSE", "", 0},
    {StripId::kFamilies, 10, "", "", -1},
    {StripId::kObjects, 8, "", "", -1},
    {StripId::kOperators, 2, "", "", -1},
}};

// A file name of the catalogue that stays inside the resources folder.
bool PlainFileName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos &&
           name.find('\\') == std::string_view::npos && name != "." && name != "..";
}

// Text of an element column; Null reads as "".
std::string text(const db::Row& r, std::string_view c) { return r.getText(c); }

// A row of an element group as the slot caption needs it.
struct Captioned {
    std::string caption, toolTip;
};

// Caption and tool tip of an element slot.
Captioned CaptionOf(db::Database& db, StripId group, const db::Row& r) {
    const std::string descri = text(r, "DESCRI");
    const int64_t idObj = r.getInt("ID_OBJ");
    const db::Value& keyOpt = r["KEY_OPT"];
    const std::string info(Info(group).table);
    auto elementText = [&](std::string_view table) {
        return model::ElementText(db, r.getInt("ID"), idObj, r.getInt("COSA_KEY"),
                                  r.getInt("DOVE_KEY"), r.getInt("LEVEL_KEY"), r.getInt("ADD_INT"),
                                  table);
    };
    Captioned c;
    if (group == StripId::kCondKo || group == StripId::kStepActElse) {
        c.caption = descri;
        c.toolTip = text(r, "TOOLTIP");
        return c;
    }
    // `built` is what the slot says of the element besides its description;
    // `fixed` marks the texts that stand as caption even beside a description.
    std::string built;
    bool fixed = false;
    if (group == StripId::kTrigger || group == StripId::kTriggerStop) {
        if (idObj == 23) {
            built = FormatMomentText(keyOpt.toText());
            fixed = true;
        } else {
            built = elementText(info);
        }
    } else if (group == StripId::kCondOk) {
        if (!keyOpt.isNull()) {
            built = FormatRangeText(keyOpt.toText());
            fixed = true;
        } else if (idObj == 23) {
            built = FormatMomentText(keyOpt.toText());
            fixed = true;
        } else {
            built = elementText("TMP_COND_OK");
        }
    } else {  // actions
        if (idObj == 9) {
            built = keyOpt.toText() + " " + model::WhatDescription(db, r.getInt("COSA_KEY"));
        } else if (idObj == 45) {
            built = keyOpt.toText() + model::WhatDescription(db, r.getInt("COSA_KEY")) + " -> " +
                    text(r, "PARAM_1") + model::WhatDescription(db, r.getInt("PARAM_2"));
        } else {
            built = elementText("TMP_STEP_ACT");
        }
    }
    c.caption = (fixed || descri.empty()) ? built : descri;
    c.toolTip = descri.empty() ? c.caption : descri + " " + built;
    return c;
}

// The rows of a cached statement; empty when it fails.
std::vector<db::Row> Rows(db::Database& db, const std::string& sql,
                          std::initializer_list<db::Value> values = {}) {
    try {
        auto& st = db.cached(sql);
        st.bindAll(values);
        return st.rows();
    } catch (const db::Error&) {
        return {};
    }
}

}  // namespace

// ---------------------------------------------------------------- helpers

const StripInfo& Info(StripId id) { return kInfo[static_cast<size_t>(id)]; }

bool IsSlotGroup(StripId id) { return !Info(id).table.empty(); }

int Strip::firstShown() const {
    if (slots.empty() || slots[0].pictureTag.empty()) return 0;
    return static_cast<int>(str::LenientInt(slots[0].pictureTag));
}

int Strip::slotOfId(int64_t id) const {
    const std::string tag = std::to_string(id);
    for (size_t i = 0; i < slots.size(); ++i)
        if (slots[i].labelTag == tag) return static_cast<int>(i + 1);
    return 0;
}

SlotTexts ElementSlotTexts(db::Database& db, StripId group, const db::Row& row) {
    Captioned c = CaptionOf(db, group, row);
    return {std::move(c.caption), OneLineToolTip(c.toolTip)};
}

void SetPicture(Picture& picture, const std::filesystem::path& resources, std::string_view file,
                int kind) {
    if (file.empty()) {
        picture = {};
        return;
    }
    const std::filesystem::path full = resources / std::string(file);
    std::error_code ec;
    if (!PlainFileName(file) || !std::filesystem::is_regular_file(full, ec)) {
        picture = {kind == 1 ? Picture::kStockOperator : Picture::kStockElement, full.string()};
        return;
    }
    picture = {Picture::kFile, full.string()};
}

std::string SelectedFamilyPicture(std::string_view file) {
    size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) return std::string(file) + "p.";
    return std::string(file.substr(0, dot)) + "p" + std::string(file.substr(dot));
}

std::string OneLineToolTip(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += "  ";
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

// ---------------------------------------------------------------- canvas

Canvas::Canvas(db::Database* db, ScenarioDocument* doc, std::filesystem::path resources)
    : db_(db), doc_(doc), resources_(std::move(resources)) {
    for (const auto& info : kInfo) {
        Strip& s = mut(info.id);
        s.id = info.id;
        s.slots.resize(static_cast<size_t>(info.slots));
        if (info.hasMarks()) s.marks.resize(static_cast<size_t>(info.slots - 1));
    }
}

db::Database& Canvas::database() const { return db_ ? *db_ : env::Env().master(); }
ScenarioDocument& Canvas::document() const { return doc_ ? *doc_ : Document(); }
std::filesystem::path Canvas::resources() const {
    return resources_.empty() ? env::Env().resourcesFolder() : resources_;
}

void Canvas::ReposAll() { currentFamily_ = 0; }

namespace {

// One read snapshot for a whole refill: the catalogue and the working tables
// are read under a single lock instead of one per statement. A savepoint nests
// inside a transaction the caller may hold.
class ReadSnapshot {
  public:
    explicit ReadSnapshot(db::Database& db) : db_(db) {
        try {
            db_.executeScript("SAVEPOINT canvas_refill");
            open_ = true;
        } catch (const db::Error&) {
        }
    }
    ~ReadSnapshot() {
        if (!open_) return;
        try {
            db_.executeScript("RELEASE canvas_refill");
        } catch (const db::Error&) {
        }
    }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

  private:
    db::Database& db_;
    bool open_ = false;
};

}  // namespace

void Canvas::PresetApp() {
    db::Database& db = database();
    std::optional<ReadSnapshot> snapshot;
    if (db.isOpen()) snapshot.emplace(db);
    // A refilled canvas shows a scenario afresh: the check boxes take the
    // values of its action rows and nothing of the scenario shown before.
    chkRepeatACT = false;
    chkRestart = false;
    LoadFamiglie(1);
    LoadOperatori(1);
    LoadObject(1);
    LoadCondOK(1);
    LoadCondKO(1);
    LoadTrigger(1);
    LoadTriggerSTOP(1);
    LoadStepACT(1);
    LoadStepACTELSE(1);
}

void Canvas::Load(StripId strip, int start) {
    switch (strip) {
        case StripId::kFamilies:
            LoadFamiglie(start);
            break;
        case StripId::kObjects:
            LoadObject(start);
            break;
        case StripId::kOperators:
            LoadOperatori(start);
            break;
        default:
            LoadGroup(strip, start);
            break;
    }
}

void Canvas::Reload(StripId group) {
    int first = strip(group).firstShown();
    Load(group, first > 0 ? first : 1);
}

void Canvas::Refresh() {
    db::Database& db = database();
    std::optional<ReadSnapshot> snapshot;
    if (db.isOpen()) snapshot.emplace(db);
    chkRepeatACT = false;
    chkRestart = false;
    for (StripId g : kSlotGroups) {
        // A group that shrank below the position it showed starts again at 1.
        const int first = strip(g).firstShown();
        LoadGroup(g, first > 0 ? first : 1);
        if (first > 1 && !strip(g).slot(1).filled()) LoadGroup(g, 1);
    }
}

void Canvas::clearEmptySlots(Strip& s) {
    for (Slot& slot : s.slots) {
        if (slot.pictureTag.empty()) {
            slot.picture = {};
            slot.caption.clear();
            slot.toolTip.clear();
        }
    }
    s.scrollVisible = s.rows > static_cast<int>(s.slots.size());
}

void Canvas::LoadGroup(StripId group, int start) {
    const StripInfo& info = Info(group);
    if (info.table.empty()) return;
    Strip& s = mut(group);
    for (Slot& slot : s.slots) slot.pictureTag.clear(), slot.labelTag.clear();
    for (Mark& m : s.marks) m.tag.clear();
    db::Database& db = database();
    const auto res = resources();

    const std::string table(info.table);
    auto rows = Rows(db, "SELECT T.*, R.IMG AS RES_IMG FROM " + table +
                             " T LEFT JOIN ANA_RES_COSA R ON R.ID_RES_COSA = T.ID_RES_COSA "
                             "ORDER BY T.ORDINE, T.ID");
    s.rows = static_cast<int>(rows.size());
    size_t next = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const db::Row& r = rows[i];
        const int p = static_cast<int>(i + 1);
        if (group == StripId::kStepAct) {
            if (r.getBool("REPEAT")) chkRepeatACT = true;
            if (r.getBool("RESTART")) chkRestart = true;
        }
        if (p < start || next >= s.slots.size()) continue;
        Slot& slot = s.slots[next++];
        std::string img = text(r, "RES_IMG");
        if (img.empty()) img = kNoImage;
        SetPicture(slot.picture, res, img, 0);
        // A picture the resources folder lacks shows "noimg.gif" itself when
        // that exists, the stock picture otherwise.
        if (slot.picture.kind != Picture::kFile) SetPicture(slot.picture, res, kNoImage, 0);
        slot.pictureTag = std::to_string(p);
        slot.labelTag = text(r, "ID");
        try {
            SlotTexts c = ElementSlotTexts(db, group, r);
            slot.caption = std::move(c.caption);
            slot.toolTip = std::move(c.toolTip);
        } catch (const db::Error&) {
            slot.caption.clear();
            slot.toolTip.clear();
        }
    }
    clearEmptySlots(s);

    if (!info.hasMarks()) return;
    // The links of the group, first row per pair as the lookup would find it.
    std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>> links;
    for (const db::Row& r :
         Rows(db, "SELECT O.ID1, O.ID2, A.ID_OPE, A.IMG_OPE FROM " + std::string(info.opeTable) +
                      " O INNER JOIN ANA_OPERATORE A ON O.ID_OPE = A.ID_OPE ORDER BY O.rowid"))
        links.try_emplace({text(r, "ID1"), text(r, "ID2")},
                          std::make_pair(text(r, "ID_OPE"), text(r, "IMG_OPE")));
    for (size_t i = 0; i < s.marks.size(); ++i) {
        Mark& m = s.marks[i];
        const Slot& upper = s.slots[i];
        const Slot& lower = s.slots[i + 1];
        if (!upper.labelTag.empty() && !lower.labelTag.empty()) {
            auto it = links.find({upper.labelTag, lower.labelTag});
            if (it != links.end()) {
                SetPicture(m.picture, res, it->second.second, 1);
                m.tag = it->second.first;
            } else if (group == StripId::kCondOk) {
                SetPicture(m.picture, res, kNoOperator, 1);
                m.tag = kUnlinked;
            }
        }
        if (m.tag.empty()) m.picture = {};
    }
}

void Canvas::LoadFamiglie(int start) {
    Strip& s = mut(StripId::kFamilies);
    auto rows = Rows(database(), "SELECT * FROM ANA_FAMIGLIA WHERE ATTIVA <> 0 ORDER BY ORDINE");
    const int count = static_cast<int>(s.slots.size());
    const int n = static_cast<int>(rows.size());
    if (n > count && start + count - 1 > n) return;  // the last page stays full
    s.rows = n;
    for (Slot& slot : s.slots) slot.pictureTag.clear(), slot.labelTag.clear();
    familyPictures_.assign(s.slots.size(), {});
    size_t next = 0;
    for (int p = std::max(start, 1); p <= n && next < s.slots.size(); ++p) {
        const db::Row& r = rows[static_cast<size_t>(p - 1)];
        Slot& slot = s.slots[next];
        const std::string img = text(r, "IMG_FAM");
        familyPictures_[next] = {img, SelectedFamilyPicture(img)};
        ++next;
        slot.pictureTag = std::to_string(p);
        slot.caption = text(r, "DESCRI_FAM");
        slot.labelTag = text(r, "ID_FAMIGLIA");
        slot.toolTip = OneLineToolTip(text(r, "TOOLTIP"));
        if (currentFamily_ == 0) currentFamily_ = r.getInt("ID_FAMIGLIA");
    }
    clearEmptySlots(s);
    showFamilySelection();
}

const std::string& Canvas::FamilyPicture(int index, bool selected) const {
    static const std::string none;
    if (index < 1 || index > static_cast<int>(familyPictures_.size())) return none;
    return familyPictures_[static_cast<size_t>(index - 1)][selected ? 1 : 0];
}

void Canvas::showFamilySelection() {
    Strip& s = mut(StripId::kFamilies);
    const std::string current = std::to_string(currentFamily_);
    const auto res = resources();
    for (size_t i = 0; i < s.slots.size(); ++i) {
        Slot& slot = s.slots[i];
        if (slot.labelTag.empty() || i >= familyPictures_.size()) continue;
        SetPicture(slot.picture, res, familyPictures_[i][slot.labelTag == current ? 1 : 0], 0);
    }
}

void Canvas::LoadObject(int start) {
    Strip& s = mut(StripId::kObjects);
    auto rows = Rows(database(),
                     "SELECT O.*, A.ID_OBJ AS AREE_OBJ, A.TRIGGER AS F_TRIGGER, A.TRIGGERSTOP AS "
                     "F_TRIGGERSTOP, A.COND_OK AS F_COND_OK, A.COND_KO AS F_COND_KO, A.ACT AS "
                     "F_ACT, A.ACT_ELSE AS F_ACT_ELSE FROM ANA_OGGETTI O LEFT JOIN ASS_OBJ_AREE A "
                     "ON A.ID_OBJ = O.ID_OBJ WHERE O.ID_FAMIGLIA=? ORDER BY O.ORDINE",
                     {static_cast<long long>(currentFamily_)});
    const int count = static_cast<int>(s.slots.size());
    const int n = static_cast<int>(rows.size());
    if (n > count && start + count - 1 > n) return;
    s.rows = n;
    oggetti_ = std::make_shared<Oggetti>();
    for (Slot& slot : s.slots) slot.pictureTag.clear(), slot.labelTag.clear();
    const auto res = resources();
    size_t next = 0;
    for (int p = std::max(start, 1); p <= n && next < s.slots.size(); ++p) {
        const db::Row& r = rows[static_cast<size_t>(p - 1)];
        Slot& slot = s.slots[next++];
        SetPicture(slot.picture, res, text(r, "IMG_OBJ"), 0);
        slot.pictureTag = std::to_string(p);
        slot.caption = text(r, "DESCRI_OBJ");
        slot.labelTag = text(r, "ID_OBJ");
        slot.toolTip = OneLineToolTip(text(r, "TOOLTIP"));
        auto obj = oggetti_->Item(slot.labelTag);
        if (!obj) obj = oggetti_->Add(slot.labelTag);
        obj->Key = slot.labelTag;
        // The flags come with the palette query (one statement for the page).
        if (!r["AREE_OBJ"].isNull()) {
            obj->IsTrigger = r.getBool("F_TRIGGER");
            obj->IsTriggerSTOP = r.getBool("F_TRIGGERSTOP");
            obj->IsCondOk = r.getBool("F_COND_OK");
            obj->IsCondKO = r.getBool("F_COND_KO");
            obj->IsAct = r.getBool("F_ACT");
            obj->IsActElse = r.getBool("F_ACT_ELSE");
        }
    }
    clearEmptySlots(s);
}

void Canvas::LoadOperatori(int start) {
    Strip& s = mut(StripId::kOperators);
    auto rows = Rows(database(), "SELECT * FROM ANA_OPERATORE ORDER BY ORDINE");
    s.rows = static_cast<int>(rows.size());
    for (Slot& slot : s.slots) slot.pictureTag.clear(), slot.labelTag.clear();
    const auto res = resources();
    size_t next = 0;
    for (int p = std::max(start, 1); p <= s.rows && next < s.slots.size(); ++p) {
        const db::Row& r = rows[static_cast<size_t>(p - 1)];
        Slot& slot = s.slots[next++];
        SetPicture(slot.picture, res, text(r, "IMG_OPE"), 0);
        slot.pictureTag = std::to_string(p);
        slot.caption = text(r, "DESCRI_OPE");
        slot.labelTag = text(r, "ID_OPE");
        slot.toolTip = OneLineToolTip(text(r, "TOOLTIP"));
    }
    clearEmptySlots(s);
}

void Canvas::imgFam_Click(int index) {
    const Strip& s = strip(StripId::kFamilies);
    if (index < 1 || index > static_cast<int>(s.slots.size())) return;
    const std::string& tag = s.slot(index).labelTag;
    if (!tag.empty()) {
        currentFamily_ = str::LenientInt(tag);
        if (currentFamily_ > 0) LoadObject(1);
    }
    showFamilySelection();
}

void Canvas::ScrollBack(StripId id) {
    const int first = strip(id).firstShown();
    if (first > 1) Load(id, first - 1);
}

void Canvas::ScrollForward(StripId id) {
    const Strip& s = strip(id);
    if (s.slots.size() < 2 || s.slots[1].pictureTag.empty()) return;
    Load(id, static_cast<int>(str::LenientInt(s.slots[1].pictureTag)));
}

void Canvas::WriteActionFlags() { document().SetActionFlags(chkRepeatACT, chkRestart); }

void Canvas::chkRepeatACT_Click(bool checked) {
    chkRepeatACT = checked;
    WriteActionFlags();
}

void Canvas::chkRestart_Click(bool checked) {
    chkRestart = checked;
    document().SetActionRestart(chkRestart);
}

int Canvas::Command1() {
    db::Database& db = database();
    const auto res = resources();
    std::string dummy;
    if (!files::ReadFile(res / std::string(kDummy), dummy)) return 0;
    int made = 0;
    for (const char* sql :
         {"SELECT ANA_RES_COSA.ID_RES_COSA, ANA_RES_COSA.IMG AS F FROM ANA_RES_COSA",
          "SELECT IMG_OBJ AS F FROM ANA_OGGETTI", "SELECT IMG_FAM AS F FROM ANA_FAMIGLIA"}) {
        std::vector<db::Row> rows;
        try {
            rows = db.query(sql);
        } catch (const db::Error&) {
            continue;
        }
        for (const db::Row& r : rows) {
            const std::string name = r.getText("F");
            // Only plain names: a catalogue value never writes outside the folder.
            if (!PlainFileName(name)) continue;
            std::error_code ec;
            if (std::filesystem::exists(res / name, ec)) continue;
            if (files::WriteFileAtomic(res / name, dummy)) ++made;
        }
    }
    return made;
}

}  // namespace tessed::editor
