#pragma once
// The editor canvas without widgets: the six slot groups of a scenario, the
// three palettes (families, objects, operators), the two action check boxes and
// the current family. The editor window shows this state: every picture and
// label of a strip is one Slot, the operator pictures between two conditions
// are Marks. Loaders fill a strip from a record position (1-based) on.
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/project.h"

namespace tessed::db {
class Database;
class Row;
}  // namespace tessed::db

namespace tessed {
class ScenarioDocument;
}

namespace tessed::editor {

// What a picture control shows.
struct Picture {
    enum Kind {
        kEmpty,          // nothing
        kFile,           // `file` (a full path in the resources folder)
        kStockElement,   // the stock picture for a missing element picture (imgNoImg)
        kStockOperator,  // the stock picture for a missing operator picture (imgNoOpe)
    };
    Kind kind = kEmpty;
    std::string file;  // the file that was asked for; set for every kind but kEmpty
    bool operator==(const Picture&) const = default;
};

// One slot: a picture and its caption label with the same index. The picture
// tag holds the record position of the row shown, the label tag the row's ID
// (an object, family or operator identity in the palettes); empty tags mark an
// empty slot.
struct Slot {
    Picture picture;
    std::string pictureTag;
    std::string labelTag;
    std::string caption;
    std::string toolTip;  // on both picture and label
    bool filled() const { return !pictureTag.empty(); }
};

// The operator picture between two condition slots; its tag holds the link's
// ID_OPE, "?" for two conditions without a link, empty otherwise.
struct Mark {
    Picture picture;
    std::string tag;
};

// The strips of the canvas: six slot groups and three palettes.
enum class StripId {
    kTrigger,
    kTriggerStop,
    kCondOk,
    kCondKo,
    kStepAct,
    kStepActElse,
    kFamilies,
    kObjects,
    kOperators,
};
inline constexpr int kStripCount = 9;
inline constexpr std::array<StripId, 6> kSlotGroups = {StripId::kTrigger, StripId::kTriggerStop,
                                                       StripId::kCondOk,  StripId::kCondKo,
                                                       StripId::kStepAct, StripId::kStepActElse};

// The fixed facts of a strip: slot count, table, area code. The window's
// control names of each strip are in control_names.h.
struct StripInfo {
    StripId id;
    int slots;
    std::string_view table;     // working table; empty for palettes
    std::string_view opeTable;  // operator table of the condition groups
    int area;                   // area code (frame tag); -1 for palettes
    bool hasMarks() const { return !opeTable.empty(); }
};
const StripInfo& Info(StripId id);
bool IsSlotGroup(StripId id);

// The parts of a strip that a drag starts from or a drop lands on.
enum class Part {
    kPicture,        // a slot's picture (1-based index)
    kLabel,          // a slot's caption label (1-based index)
    kFrame,          // the group's frame (the drop area around its slots)
    kScrollBack,     // the scroll control back (up, left)
    kScrollForward,  // the scroll control forward (down, right)
    kMark,           // an operator picture between two conditions (1-based index)
    kTrash,          // the trash bin (its picture or its frame; no strip)
};

// One control of the canvas as the models know it. For the trash the strip
// means nothing (Trash() gives the one value used). A drop on the condition
// frame carries in `index` the slot under the drop point (0: none), which the
// window finds from its geometry.
struct CanvasControl {
    StripId strip = StripId::kTrigger;
    Part part = Part::kPicture;
    int index = 0;
    bool operator==(const CanvasControl&) const = default;
    static constexpr CanvasControl Trash() { return {StripId::kObjects, Part::kTrash, 0}; }
};

struct Strip {
    StripId id = StripId::kTrigger;
    std::vector<Slot> slots;  // slot i is index i-1
    std::vector<Mark> marks;  // condition groups: mark i between slots i and i+1
    bool scrollVisible = false;
    int rows = 0;  // rows of the table or palette query at the last load
    // The record position slot 1 shows; 0 when it is empty.
    int firstShown() const;
    // The 1-based slot showing the element `id` (label tag); 0 when none does.
    int slotOfId(int64_t id) const;
    const Slot& slot(int index) const { return slots.at(static_cast<size_t>(index - 1)); }
};

// `picture` shows `file` of the resources folder: an empty name clears it, a
// missing file shows the stock picture of `kind` (0 element, 1 operator).
void SetPicture(Picture& picture, const std::filesystem::path& resources, std::string_view file,
                int kind);

// The index of the first item of a list whose item data equals `value`, or -1
// (also for an empty list).
template <class List>
int FindItemIndex(const List& list, int value) {
    for (int i = 0; i < list.count(); ++i)
        if (list.item(i).data == value) return i;
    return -1;
}

// The selected picture of a family: "p" before the extension's point
// ("lights.gif" gives "lightsp.gif").
std::string SelectedFamilyPicture(std::string_view file);

// A tool tip on one line: every CR LF and every CR becomes two spaces.
std::string OneLineToolTip(std::string_view text);

// What a slot of `group` says of an element row (a row of the group's table):
// its caption and its tool tip on one line. Throws db::Error.
struct SlotTexts {
    std::string caption, toolTip;
};
SlotTexts ElementSlotTexts(db::Database& db, StripId group, const db::Row& row);

class Canvas {
  public:
    // `db` null: the master connection, `doc` null: the editor's document,
    // `resources` empty: the resources folder of the environment; all taken
    // at each call.
    explicit Canvas(db::Database* db = nullptr, ScenarioDocument* doc = nullptr,
                    std::filesystem::path resources = {});

    // Start-up: the current family is none yet (the pixel layout is the window's).
    void ReposAll();
    // Refills everything from position 1: families, operators, objects, then the
    // six groups. The action check boxes start cleared and take the rows' values.
    void PresetApp();

    void LoadFamiglie(int start);
    void LoadObject(int start);
    void LoadOperatori(int start);
    void LoadTrigger(int start) { LoadGroup(StripId::kTrigger, start); }
    void LoadTriggerSTOP(int start) { LoadGroup(StripId::kTriggerStop, start); }
    void LoadCondOK(int start) { LoadGroup(StripId::kCondOk, start); }
    void LoadCondKO(int start) { LoadGroup(StripId::kCondKo, start); }
    void LoadStepACT(int start) { LoadGroup(StripId::kStepAct, start); }
    void LoadStepACTELSE(int start) { LoadGroup(StripId::kStepActElse, start); }
    void LoadGroup(StripId group, int start);
    // Any strip from `start`.
    void Load(StripId strip, int start);
    // Reloads a slot group from the position its first slot shows (1 when empty).
    void Reload(StripId group);
    // The six groups again from the positions they show, and the action check
    // boxes from the rows: the refresh after the document was replaced under
    // the canvas (undo, redo). The palettes stay as they are.
    void Refresh();

    // A click on a family slot (1-based).
    void imgFam_Click(int index);
    // The scroll controls: one row back or forward.
    void ScrollBack(StripId strip);
    void ScrollForward(StripId strip);

    // The action check boxes. A click writes the states to every action row
    // through the document (one step).
    bool chkRepeatACT = false;
    bool chkRestart = false;
    void chkRepeatACT_Click(bool checked);
    void chkRestart_Click(bool checked);
    // REPEAT and RESTART of every action row from the check boxes.
    void WriteActionFlags();

    // Copies the resources folder's "dummy.gif" to every picture the catalogue
    // names that is missing there; returns the number of pictures made.
    int Command1();

    const Strip& strip(StripId id) const { return strips_[static_cast<size_t>(id)]; }
    int64_t CurrentFamily() const { return currentFamily_; }
    // The palette's objects with their capability flags.
    const std::shared_ptr<Oggetti>& PaletteObjects() const { return oggetti_; }
    // The normal and selected pictures of a family slot (1-based).
    const std::string& FamilyPicture(int index, bool selected) const;

    db::Database& database() const;
    ScenarioDocument& document() const;
    std::filesystem::path resources() const;

  private:
    Strip& mut(StripId id) { return strips_[static_cast<size_t>(id)]; }
    void clearEmptySlots(Strip& s);
    void showFamilySelection();

    db::Database* db_;
    ScenarioDocument* doc_;
    std::filesystem::path resources_;
    std::array<Strip, kStripCount> strips_;
    std::vector<std::array<std::string, 2>> familyPictures_;
    int64_t currentFamily_ = 0;
    std::shared_ptr<Oggetti> oggetti_ = std::make_shared<Oggetti>();
};

}  // namespace tessed::editor
