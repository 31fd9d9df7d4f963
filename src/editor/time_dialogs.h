#pragma once
// The rules of the two time dialogs, without widgets: the range dialog of time
// conditions and the single-moment dialog of time-triggered events. The Qt
// dialogs show this state, forward clicks and selections, and call Ok().
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "env/strings.h"
#include "model/time_text.h"

namespace tessed::db {
class Database;
}

namespace tessed::editor {

using model::Moment;

// A drop-down list of texts with numeric item data and one selection.
class ChoiceList {
  public:
    struct Item {
        std::string text;
        int data = 0;
    };
    void clear();
    void add(std::string text, int data);
    int count() const { return static_cast<int>(items_.size()); }
    const Item& item(int i) const { return items_.at(static_cast<size_t>(i)); }
    // The index of the first item holding `data`, or -1.
    int find(int data) const;
    int index() const { return index_; }
    // An index outside the list clears the selection.
    void setIndex(int i);
    // Selects the item holding `data`; false, and the selection unchanged,
    // when no item holds it.
    bool selectData(int data);
    std::optional<int> data() const;
    // The text of the selected item; "" when nothing is selected.
    std::string text() const;
    bool enabled = true;

  private:
    std::vector<Item> items_;
    int index_ = -1;
};

// A time of day as a time picker holds it.
struct TimeOfDay {
    int hour = 0, minute = 0;
    int minutes() const { return hour * 60 + minute; }
    std::string hhmm() const { return str::TwoDigits(hour) + str::TwoDigits(minute); }
    std::string clock() const { return str::TwoDigits(hour) + ":" + str::TwoDigits(minute); }
};

// The years the date lists offer, as two-digit numbers (year - 2000). Stored
// texts carry a year in two digits (after "20" in range texts), so only 2000
// to 2099 can be written; within those, the lists roll with the current year:
// from kYearsBefore years before it to kYearsAfter years after it. A stored
// text whose year lies outside the window widens the list to include it, so
// that opening and confirming a dialog never changes a stored year.
inline constexpr int kYearsBefore = 5;
inline constexpr int kYearsAfter = 25;
struct YearRange {
    int first = 0, last = 0;
};
YearRange ListedYears(int currentYear);

// The WHO caption of a dialog: the family description of the object, and the
// WHO code of the object in its area as the tag.
struct WhoCaption {
    std::string caption;
    int64_t whoCode = 0;
};
WhoCaption LookupWhoCaption(db::Database& db, int64_t idObj, int64_t idArea);

// The icon resource of a time condition: ID_RES of the first ASS_RES_TIME row
// that meets the criteria (hours, weekdays, dates, as the range dialog builds
// them); nothing when no row does or the query fails.
std::optional<int64_t> LookupTimeIcon(db::Database& db, const std::string& criteria);

// The outcome of checking the range dialog's values.
struct RangeBuild {
    int error = 0;  // text number of the first failing check, 0 when all pass
    int note = 0;   // text number of a note shown before accepting (1735), or 0
    std::string text, description, criteria;
};

// The time-range dialog (time conditions).
class TimeRangeDialog {
  public:
    enum HourMode { kOneHour = 0, kBand = 1, kAnyHour = 2 };
    enum DayMode { kAlways = 0, kDateRange = 1 };

    // The state after the dialog loads: pickers at `now` and one hour later,
    // from lists at today's date, to lists at tomorrow's (year lists "**" and
    // ListedYears), one-hour mode, no weekday ticked, dates "always".
    explicit TimeRangeDialog(const Moment& now);

    // Sets the WHO caption and, for a text holding "|", restores the values.
    void LoadData(db::Database& db, int64_t idObj, int64_t idArea, std::string_view timeText);
    // Restores the values from a stored text; a text without "|" changes nothing.
    void Restore(std::string_view timeText);

    // optOra(i) and optDay(i).
    void setHourMode(HourMode mode);
    HourMode hourMode() const { return hourMode_; }
    bool fromPickerEnabled() const { return hourMode_ != kAnyHour; }
    bool toPickerEnabled() const { return hourMode_ == kBand; }
    void setDayMode(DayMode mode);
    DayMode dayMode() const { return dayMode_; }

    TimeOfDay from, to;  // dtpDaOra, DTPAOra
    void setWeekday(int i, bool ticked);
    bool weekday(int i) const { return days_.at(static_cast<size_t>(i)); }
    int weekMask() const;
    // chkSett(i)'s colour (0xRRGGBB): red when ticked, green when cleared.
    uint32_t weekdayColour(int i) const { return weekday(i) ? 0xFF0000 : 0x00FF00; }

    // cmbDFrom, cmbMFrom, cmbYFROM, cmbDTo, cmbMTo, cmbYTo.
    ChoiceList dayFrom, monthFrom, yearFrom, dayTo, monthTo, yearTo;

    // The text, description and icon criteria of the current values, and the
    // first failing check.
    RangeBuild Build() const;
    // OK: on a failing check shows its text (exclamation, title text 1002) and
    // returns false with the dialog unchanged; shows the note when there is
    // one; then looks the icon up, sets the outputs and Confirmed.
    bool Ok(db::Database& db);

    bool Confirmed = false;
    WhoCaption who;
    // Outputs read by the caller after OK (lblCosa, lblDescri, lblIDRES).
    std::string timeText, description;
    std::optional<int64_t> idRes;

  private:
    Moment now_;
    HourMode hourMode_ = kOneHour;
    DayMode dayMode_ = kAlways;
    std::array<bool, 7> days_{};
};

// The outcome of checking the single-moment dialog's values.
struct MomentBuild {
    int error = 0;  // 1545 when a check fails
    std::string text, description;
};

// The single-moment dialog (time-triggered events).
class TimeSingleDialog {
  public:
    // Lists filled: "**" (item data -1) and the numbers (years: ListedYears);
    // every list starts at "**".
    explicit TimeSingleDialog(const Moment& now);

    void LoadData(db::Database& db, int64_t idObj, int64_t idArea, std::string_view timeText);
    void Restore(std::string_view timeText);

    // cmbHH, cmbMM, cmbD, cmbM, cmbY.
    ChoiceList hour, minute, day, month, year;

    MomentBuild Build() const;
    // OK: a failing check shows text 1545 (exclamation, title text 1002) and
    // returns false; otherwise the icon resource and WHAT code of the object's
    // first WHAT in its area are looked up and the outputs set.
    bool Ok(db::Database& db);

    bool Confirmed = false;
    WhoCaption who;
    std::string timeText, description;
    std::optional<int64_t> idResCosa, idCosa;

  private:
    Moment now_;
    int64_t idObj_ = 0, idArea_ = 0;
};

}  // namespace tessed::editor
