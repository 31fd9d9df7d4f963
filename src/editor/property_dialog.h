#pragma once
// The element property dialog without widgets: the lists, rows, inputs and
// captions of the dialog for one catalogue object in one area, which of them
// are visible and enabled, its change handlers, its OK checks and the reading
// back of the chosen values. The Qt dialog shows this state (how an enabled or
// a disabled input looks, and where each row stands, are its business) and
// forwards clicks, selections and keys.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editor/time_dialogs.h"
#include "model/document.h"

namespace tessed::db {
class Database;
class Row;
}  // namespace tessed::db

namespace tessed::editor {

// Key codes the dialogs react to.
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeyBackspace = 8;

// The message box kinds of the checks.
enum class Icon { kNone, kExclamation, kInformation };

struct ListBox : ChoiceList {
    bool visible = true;
};

struct TextBox {
    std::string text;
    int maxLength = 0;  // 0: no limit
    std::string tag;
    bool visible = true;
    bool enabled = true;
};

// An up-down spinner with the label or box that shows its value.
struct Spinner {
    int value = 0;
    int min = 0;
    int max = 100;
    bool visible = true;
    bool enabled = true;
    // Sets the range and keeps the value inside it.
    void setRange(int lo, int hi);
    void set(int v);
};

// A time of day with seconds, as the time picker holds it.
struct ClockTime {
    int hour = 0, minute = 0, second = 0;
    std::string text() const;  // "hh:mm:ss"
};

// The rows of the dialog, stacked top to bottom in this order; a hidden row
// takes no space. A row is its caption label, its icon and its input together.
enum class PropRow { kCosa, kDove, kLevel, kAddInt, kTemp, kSonda, kTime, kPos8, kPos9, kPos10 };
inline constexpr int kPropRowCount = 10;

// A caption given by text number; 0 keeps the dialog's own caption, -1 is an
// empty caption.
struct CaptionId {
    int id = 0;
    std::string text() const;
};

// The outcome of OK.
struct OkResult {
    bool confirmed = false;
    int text = 0;  // the message shown (the first of two for a combined text), 0 when none
    Icon icon = Icon::kNone;
};

class PropertyDialog {
  public:
    // `db` null: the master connection.
    explicit PropertyDialog(db::Database* db = nullptr);

    // Form_Load: the buttons stay disabled until the timer has run once.
    void Form_Load();
    void Timer1_Timer();
    bool buttonsEnabled = false;
    bool timerRunning = false;

    // Fills and arranges the dialog; returns the custom flag.
    bool LoadData(int32_t idObj, int32_t idArea);

    // The handlers of the three lists (the window calls them on a click).
    void cmbCosa_Click();
    void cmbDove_Click();
    void cmbLevel_Click();
    // Selecting an index as a click would: the selection changes and the
    // list's handler runs (an index outside the list clears the selection).
    void SelectCosa(int index);
    void SelectDove(int index);
    void SelectLevel(int index);
    void SelectAddInt(int index) { cmbADDInt.setIndex(index); }

    // txtTemp's value (tenths of a degree); lblTempV follows it in the form
    // "0.0" and "°C", with "." as the separator under every locale.
    void SetTemperature(int tenths);
    std::string lblTempV() const;
    // The address spinner moved: the typed address follows it.
    void UpDownDovePI_Change(int value);

    // OK: every check in order; a failing check shows its message and leaves
    // the dialog open. Cancel hides it unconfirmed.
    OkResult cmdOK();
    void cmdAnnulla();
    // Which box a key is typed into.
    enum class Field { kForm, kDescri, kDOVEPI, kValue, kKeyOpt, kKeyOpt2, kNome };
    // A key typed into a field: Enter presses OK and Escape Cancel anywhere,
    // but only while the buttons are enabled (the start-up guard holds the
    // keys as it holds the buttons); returns whether the character reaches
    // the box.
    bool KeyPress(Field field, int key);
    // Whether a box takes digits only; the window holds that for typed,
    // pasted and dropped text alike.
    bool DigitsOnly(Field field) const;

    // Calling order of the editor: the description box, then the stored
    // keys, parameters, delays and time of `row` (an element row).
    void Restore(const db::Row& row, bool custom);
    // The values after OK. `custom` as LoadData returned it.
    ElementValues ReadValues(bool custom);
    // The parameters PARAM_1..PARAM_3 of the object's inputs.
    std::array<int32_t, 3> ReadParameters() const;

    // The visible rows in stacking order.
    std::vector<PropRow> VisibleRows() const;
    bool RowVisible(PropRow r) const { return rows_[static_cast<size_t>(r)]; }
    void ShowRow(PropRow r, bool on) { rows_[static_cast<size_t>(r)] = on; }

    // A readable dump of the whole dialog state, for comparisons.
    std::string StateText() const;

    int32_t IdObj() const { return idObj_; }
    int32_t IdArea = 0;
    bool Confirmed = false;
    bool Visible = false;  // shown (true between the editor's show and a hide)

    // Controls.
    std::string lblChi;  // caption
    int64_t lblChiTag = 0;
    ListBox cmbCosa, cmbCosa2, cmbDove, cmbLevel, cmbADDInt, cmbOperatorTemp, cmbSonda;
    std::vector<std::string> cmbIDRESCOSA;
    std::array<ListBox, 3> cmbPos;  // cmbPos(8), cmbPos(9), cmbPos(10)
    std::array<CaptionId, 3> lblPos;
    TextBox txtDOVEPI;
    Spinner UpDownDovePI;
    Spinner UpDownTemp;  // txtTemp
    // lblTempV shows the value (lblTempV()) and is enabled with UpDownTemp.
    bool lblTempVVisible = false;
    Spinner UpDownHour, UpDownMin, UpDownSec;  // lblHour, lblMin, lblSec
    TextBox txtValue, txtKey_OPT, txtKey_OPT2, txtDescri;
    ClockTime dtpTime;
    bool dtpTimeVisible = false;
    // txtKey_OPT stands at the left of the WHAT row (objects 9 and 45).
    bool keyOptBesideWhat = false;
    CaptionId lblCosa, lblDove, lblLevel, lblADDINT, lblTemp, lblSonda;
    bool lblTempCentred = false;

  private:
    db::Database& database() const;
    void fillDove(std::optional<int> cosa);
    void fixedLayout();
    void firstTable();
    void secondTable();
    void whatRules();
    void object60Probes(int what);
    void fillOperators(bool withEqual);
    void fillProbes(int firstText, int last);
    void fillScale();
    void enableList(ListBox& list, bool on);
    void setTempEnabled(bool on);
    void setHourEnabled(bool on);
    int what() const { return cmbCosa.data().value_or(0); }
    // Object 49: the typed address lies in the spinner's range and names a WHERE.
    bool typedAddressValid() const;
    OkResult fail(int text, Icon icon = Icon::kExclamation);
    OkResult confirm(int note = 0, Icon icon = Icon::kNone);

    db::Database* db_;
    int32_t idObj_ = 0;
    bool loading_ = false;
    bool custom_ = false;
    int64_t extensionCount_ = 0;
    std::array<bool, kPropRowCount> rows_{};
};

// lblTempV's text for a temperature in tenths of a degree.
std::string TemperatureText(int tenths);

// How an input shows whether it can be used (0xRRGGBB): white when enabled,
// grey when disabled.
inline constexpr uint32_t kEnabledColour = 0xFFFFFF;
inline constexpr uint32_t kDisabledColour = 0xC0C0C0;
inline constexpr uint32_t InputColour(bool enabled) {
    return enabled ? kEnabledColour : kDisabledColour;
}

// Object 31's volume scale: the code stored for a step of 10 to 100 percent.
int VolumeCode(int percent);

}  // namespace tessed::editor
