#include "editor/time_dialogs.h"

#include <algorithm>
#include <chrono>

#include "env/database.h"
#include "env/messages.h"
#include "env/texts.h"

namespace tessed::editor {

using model::DaysInMonth;
using model::FieldValue;
using model::IsRealDate;
using model::kAllWeekdays;
using model::kLineBreak;
using model::Moment;
using model::ParseWeekMask;
using model::SettPart;
using model::SplitTimeText;
using model::TimeTextParts;
using model::WeekdayNames;

namespace {

// Icon criteria of the range dialog, one per choice, joined in the order
// hours, weekdays, dates.
constexpr const char* kCritOneHour = " (ORA_SINGOLA = TRUE AND FASCIA_ORA=FALSE) ";
constexpr const char* kCritBand = " (ORA_SINGOLA = FALSE AND FASCIA_ORA=TRUE) ";
constexpr const char* kCritAnyHour = " (ORA_SINGOLA = FALSE AND FASCIA_ORA=FALSE) ";
constexpr const char* kCritSomeDays = " AND (TUTTA_SETT = FALSE AND PIANO_SETT=TRUE) ";
constexpr const char* kCritAllDays = " AND (TUTTA_SETT = TRUE AND PIANO_SETT=FALSE) ";
constexpr const char* kCritAlways = " AND (SEMPRE = TRUE AND DADATA_ADATA=FALSE) ";
constexpr const char* kCritDateRange = " AND (SEMPRE = FALSE AND DADATA_ADATA=TRUE) ";

// Texts of the checks.
constexpr int kBandTooShort = 1079;
constexpr int kNoWeekday = 1081;
constexpr int kDateRangeInvalid = 1084;
constexpr int kDayBeforeDay = 1730;
constexpr int kYearBeforeYear = 1731;
constexpr int kMonthBeforeMonth = 1732;
constexpr int kDayBeforeDaySameUnit = 1733;
constexpr int kDifferentPatterns = 1734;
constexpr int kRepeatingRangeNote = 1735;
constexpr int kMomentInvalid = 1545;

// Lists whose "**" item stands for "any".
constexpr int kAny = -1;

void FillNumbers(ChoiceList& list, int first, int last, bool withAny) {
    list.clear();
    if (withAny) list.add("**", kAny);
    for (int i = first; i <= last; ++i) list.add(str::TwoDigits(i), i);
}

// The two-digit years a time text can carry.
constexpr int kFirstWritableYear = 0, kLastWritableYear = 99;

void FillYears(ChoiceList& list, const YearRange& years) {
    FillNumbers(list, years.first, years.last, true);
}

Moment Tomorrow(const Moment& m) {
    using namespace std::chrono;
    year_month_day ymd{year(m.year), month(static_cast<unsigned>(m.month)),
                       day(static_cast<unsigned>(m.day))};
    year_month_day next{sys_days(ymd) + days(1)};
    Moment t = m;
    t.year = int(next.year());
    t.month = int(unsigned(next.month()));
    t.day = int(unsigned(next.day()));
    return t;
}

// An "hhmm" value of a time text as a time of day; nothing for "-1" or a value
// that is no valid time.
std::optional<TimeOfDay> ParseClock(const std::optional<std::string>& v) {
    if (!v || *v == "-1" || v->size() < 2) return std::nullopt;
    auto h = FieldValue(v->substr(0, 2));
    auto m = FieldValue(v->substr(v->size() - 2));
    if (!h || !m || *h < 0 || *h > 23 || *m < 0 || *m > 59) return std::nullopt;
    return TimeOfDay{*h, *m};
}

// Selects the item of a two-character field ("**" selects the "any" item); a
// field that matches no item leaves the list as it was.
void SelectField(ChoiceList& list, std::string_view field) {
    if (auto v = FieldValue(field)) list.selectData(*v);
}

// The same for a year list, which first widens to a stored year outside it.
void SelectYear(ChoiceList& list, std::string_view field) {
    auto v = FieldValue(field);
    if (!v) return;
    if (*v != kAny && list.find(*v) < 0) {
        YearRange years{*v, *v};
        for (int i = 0; i < list.count(); ++i) {
            const int y = list.item(i).data;
            if (y == kAny) continue;
            years.first = std::min(years.first, y);
            years.last = std::max(years.last, y);
        }
        const bool enabled = list.enabled;
        FillYears(list, years);
        list.enabled = enabled;
    }
    list.selectData(*v);
}

std::string Field(std::string_view s, size_t start, size_t len) {
    if (start >= s.size()) return {};
    return std::string(s.substr(start, len));
}

// A range date's shape: 1 day only, 2 day and year, 3 day and month, 4 full.
int Pattern(int month, int year) {
    if (month == kAny) return year == kAny ? 1 : 2;
    return year == kAny ? 3 : 4;
}

int DateKey(int year, int month, int day) { return year * 10000 + month * 100 + day; }

}  // namespace

YearRange ListedYears(int currentYear) {
    const int year = currentYear - 2000;
    return {std::clamp(year - kYearsBefore, kFirstWritableYear, kLastWritableYear),
            std::clamp(year + kYearsAfter, kFirstWritableYear, kLastWritableYear)};
}

// ---------------------------------------------------------------- ChoiceList

void ChoiceList::clear() {
    items_.clear();
    index_ = -1;
}

void ChoiceList::add(std::string text, int data) { items_.push_back({std::move(text), data}); }

int ChoiceList::find(int data) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].data == data) return static_cast<int>(i);
    return -1;
}

void ChoiceList::setIndex(int i) { index_ = (i >= 0 && i < count()) ? i : -1; }

bool ChoiceList::selectData(int data) {
    int i = find(data);
    if (i < 0) return false;
    index_ = i;
    return true;
}

std::optional<int> ChoiceList::data() const {
    if (index_ < 0) return std::nullopt;
    return items_[static_cast<size_t>(index_)].data;
}

std::string ChoiceList::text() const {
    return index_ < 0 ? std::string() : items_[static_cast<size_t>(index_)].text;
}

// ---------------------------------------------------------------- lookups

WhoCaption LookupWhoCaption(db::Database& db, int64_t idObj, int64_t idArea) {
    WhoCaption who;
    if (!db.isOpen()) return who;
    try {
        auto row = db.queryOne(
            "SELECT ASS_OBJ_CHI.ID_OBJ, ANA_CHI.ID_CHI, ANA_CHI.DESCRI_CHI FROM ANA_CHI "
            "INNER JOIN ASS_OBJ_CHI ON ANA_CHI.ID_CHI = ASS_OBJ_CHI.ID_CHI "
            "WHERE ASS_OBJ_CHI.ID_OBJ=? AND ASS_OBJ_CHI.ID_AREA=?",
            {db::Value(static_cast<long long>(idObj)), db::Value(static_cast<long long>(idArea))});
        if (row) {
            who.caption = row->getText("DESCRI_CHI");
            who.whoCode = row->getInt("ID_CHI");
        }
    } catch (const db::Error&) {
    }
    try {
        auto row = db.queryOne(
            "SELECT ANA_FAMIGLIA.* FROM ANA_FAMIGLIA INNER JOIN ANA_OGGETTI "
            "ON ANA_FAMIGLIA.ID_FAMIGLIA = ANA_OGGETTI.ID_FAMIGLIA WHERE ANA_OGGETTI.ID_OBJ=?",
            {db::Value(static_cast<long long>(idObj))});
        if (row) who.caption = row->getText("DESCRI_FAM");
    } catch (const db::Error&) {
    }
    return who;
}

std::optional<int64_t> LookupTimeIcon(db::Database& db, const std::string& criteria) {
    if (!db.isOpen()) return std::nullopt;
    try {
        // The criteria are fixed texts of this module, never user input.
        auto row = db.queryOne("SELECT * FROM ASS_RES_TIME WHERE " + criteria);
        if (row && !(*row)["ID_RES"].isNull()) return row->getInt("ID_RES");
    } catch (const db::Error&) {
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- range dialog

TimeRangeDialog::TimeRangeDialog(const Moment& now) : now_(now) {
    from = {now.hour, now.minute};
    to = {(now.hour + 1) % 24, now.minute};
    for (ChoiceList* days : {&dayFrom, &dayTo}) FillNumbers(*days, 1, 31, false);
    for (ChoiceList* months : {&monthFrom, &monthTo}) FillNumbers(*months, 1, 12, true);
    for (ChoiceList* years : {&yearFrom, &yearTo}) FillYears(*years, ListedYears(now.year));
    const Moment next = Tomorrow(now);
    dayFrom.selectData(now.day);
    monthFrom.selectData(now.month);
    yearFrom.selectData(now.year - 2000);
    dayTo.selectData(next.day);
    monthTo.selectData(next.month);
    yearTo.selectData(next.year - 2000);
    setDayMode(kAlways);
}

void TimeRangeDialog::setHourMode(HourMode mode) { hourMode_ = mode; }

void TimeRangeDialog::setDayMode(DayMode mode) {
    dayMode_ = mode;
    for (ChoiceList* list : {&dayFrom, &monthFrom, &yearFrom, &dayTo, &monthTo, &yearTo})
        list->enabled = mode == kDateRange;
}

void TimeRangeDialog::setWeekday(int i, bool ticked) { days_.at(static_cast<size_t>(i)) = ticked; }

int TimeRangeDialog::weekMask() const {
    int mask = 0;
    for (int i = 0; i < 7; ++i)
        if (days_[static_cast<size_t>(i)]) mask |= 1 << i;
    return mask;
}

void TimeRangeDialog::LoadData(db::Database& db, int64_t idObj, int64_t idArea,
                               std::string_view timeText) {
    who = LookupWhoCaption(db, idObj, idArea);
    if (!timeText.empty()) Restore(timeText);
}

void TimeRangeDialog::Restore(std::string_view timeText) {
    TimeTextParts parts = SplitTimeText(timeText);
    if (!parts.valid) return;

    auto start = ParseClock(parts.oraFrom);
    auto end = ParseClock(parts.oraTo);
    if (!start) {
        setHourMode(kAnyHour);
    } else if (!end) {
        from = *start;
        setHourMode(kOneHour);
    } else {
        from = *start;
        to = *end;
        setHourMode(kBand);
    }

    if (parts.sett) {
        if (auto mask = ParseWeekMask(*parts.sett))
            for (int i = 0; i < 7; ++i) setWeekday(i, (*mask >> i) & 1);
    }

    auto restoreDate = [this](const std::optional<std::string>& value, ChoiceList& d, ChoiceList& m,
                              ChoiceList& y) {
        if (!value) return;
        if (*value == "-1") {
            setDayMode(kAlways);
            return;
        }
        SelectField(d, Field(*value, 0, 2));
        SelectField(m, Field(*value, 2, 2));
        SelectYear(y, Field(*value, 6, 2));
        setDayMode(kDateRange);
    };
    restoreDate(parts.dataFrom, dayFrom, monthFrom, yearFrom);
    restoreDate(parts.dataTo, dayTo, monthTo, yearTo);
}

RangeBuild TimeRangeDialog::Build() const {
    RangeBuild b;

    // Hours.
    switch (hourMode_) {
        case kOneHour:
            b.text = "ORAFROM=" + from.hhmm() + "|ORATO=-1|";
            b.description = from.clock();
            b.criteria = kCritOneHour;
            break;
        case kBand:
            b.text = "ORAFROM=" + from.hhmm() + "|ORATO=" + to.hhmm() + "|";
            if (to.minutes() < from.minutes() + 1) {
                b.error = kBandTooShort;
                return b;
            }
            b.description = from.clock() + " - " + to.clock();
            b.criteria = kCritBand;
            break;
        case kAnyHour:
            b.text = "ORAFROM=-1|ORATO=-1|";
            b.description = texts::GetText(1086);
            b.criteria = kCritAnyHour;
            break;
    }

    // Weekdays.
    const int mask = weekMask();
    b.text += SettPart(mask);
    if (mask == 0) {
        b.error = kNoWeekday;
        return b;
    }
    if (mask < kAllWeekdays) {
        b.description += kLineBreak + WeekdayNames(mask);
        b.criteria += kCritSomeDays;
    } else {
        b.description += kLineBreak + texts::GetText(1080);
        b.criteria += kCritAllDays;
    }

    // Dates.
    if (dayMode_ == kAlways) {
        b.text += "DATAFROM=-1|DATATO=-1|";
        b.description += kLineBreak + texts::GetText(1078);
        b.criteria += kCritAlways;
        return b;
    }
    auto fd = dayFrom.data(), fm = monthFrom.data(), fy = yearFrom.data();
    auto td = dayTo.data(), tm = monthTo.data(), ty = yearTo.data();
    // A list without a selection would write a date the controller cannot
    // read; the range is refused as invalid.
    if (!fd || !fm || !fy || !td || !tm || !ty || *fd == kAny || *td == kAny) {
        b.error = kDateRangeInvalid;
        return b;
    }
    b.text += "DATAFROM=" + dayFrom.text() + monthFrom.text() + "20" + yearFrom.text() +
              "|DATATO=" + dayTo.text() + monthTo.text() + "20" + yearTo.text() + "|";
    b.criteria += kCritDateRange;

    const int pf = Pattern(*fm, *fy), pt = Pattern(*tm, *ty);
    if (pf != pt) {
        b.error = kDifferentPatterns;
        return b;
    }
    switch (pf) {
        case 1:
            if (*td < *fd)
                b.error = kDayBeforeDay;
            else
                b.note = kRepeatingRangeNote;
            break;
        case 2:
            if (*ty < *fy)
                b.error = kYearBeforeYear;
            else if (*ty == *fy && *td < *fd)
                b.error = kDayBeforeDaySameUnit;
            else
                b.note = kRepeatingRangeNote;
            break;
        case 3:
            if (*tm < *fm)
                b.error = kMonthBeforeMonth;
            else if (*tm == *fm && *td < *fd)
                b.error = kDayBeforeDaySameUnit;
            break;
        case 4: {
            // A date that does not exist (31 April) can never be reached: it is
            // refused like a range that ends too early.
            const int fromKey = DateKey(2000 + *fy, *fm, *fd);
            const int toKey = DateKey(2000 + *ty, *tm, *td);
            if (!IsRealDate(2000 + *fy, *fm, *fd) || !IsRealDate(2000 + *ty, *tm, *td) ||
                toKey < fromKey || toKey < DateKey(now_.year, now_.month, now_.day))
                b.error = kDateRangeInvalid;
            break;
        }
    }
    if (b.error) return b;
    b.description += kLineBreak + texts::GetText(1076) + " " + dayFrom.text() + "." +
                     monthFrom.text() + "." + yearFrom.text();
    b.description += kLineBreak + texts::GetText(1077) + " " + dayTo.text() + "." + monthTo.text() +
                     "." + yearTo.text();
    return b;
}

bool TimeRangeDialog::Ok(db::Database& db) {
    RangeBuild b = Build();
    const std::string title = texts::GetText(1002);
    if (b.error) {
        Messages().warning(title, texts::GetText(b.error));
        return false;
    }
    if (b.note) Messages().information(title, texts::GetText(b.note));
    if (auto icon = LookupTimeIcon(db, b.criteria)) idRes = icon;
    timeText = b.text;
    description = b.description;
    Confirmed = true;
    return true;
}

// ---------------------------------------------------------------- single moment

TimeSingleDialog::TimeSingleDialog(const Moment& now) : now_(now) {
    FillNumbers(hour, 0, 23, true);
    FillNumbers(minute, 0, 59, true);
    FillNumbers(day, 1, 31, true);
    FillNumbers(month, 1, 12, true);
    FillYears(year, ListedYears(now.year));
    for (ChoiceList* list : {&hour, &minute, &day, &month, &year}) list->setIndex(0);
}

void TimeSingleDialog::LoadData(db::Database& db, int64_t idObj, int64_t idArea,
                                std::string_view timeText) {
    idObj_ = idObj;
    idArea_ = idArea;
    who = LookupWhoCaption(db, idObj, idArea);
    if (!timeText.empty()) Restore(timeText);
}

void TimeSingleDialog::Restore(std::string_view timeText) {
    TimeTextParts parts = SplitTimeText(timeText);
    if (!parts.valid) return;
    if (parts.oraFrom && *parts.oraFrom != "-1" && parts.oraFrom->size() >= 2) {
        const std::string& v = *parts.oraFrom;
        SelectField(hour, v.substr(0, 2));
        SelectField(minute, v.substr(v.size() - 2));
    }
    if (parts.dataFrom && *parts.dataFrom != "-1") {
        const std::string& v = *parts.dataFrom;
        SelectField(day, Field(v, 0, 2));
        SelectField(month, Field(v, 2, 2));
        SelectYear(year, Field(v, 4, 2));
    }
}

MomentBuild TimeSingleDialog::Build() const {
    // A list without a selection counts as "any".
    auto value = [](const ChoiceList& l) { return l.data().value_or(kAny); };
    auto field = [](const ChoiceList& l) { return l.data() ? l.text() : std::string("**"); };
    const int hh = value(hour), mi = value(minute), d = value(day), m = value(month),
              y = value(year);
    const std::string time = field(hour) + field(minute);
    const std::string date = field(day) + field(month) + field(year);

    MomentBuild b;
    b.text = "ORAFROM=" + time + "|ORATO=-1|SETT=7F|DATAFROM=" + date + "|DATATO=-1|";
    b.description = texts::GetText(1110) + " " + field(hour) + ":" + field(minute) + kLineBreak +
                    texts::GetText(1109) + " " + field(day) + "." + field(month) + "." +
                    field(year);

    const bool failed =
        // nothing chosen at all
        (hh == kAny && mi == kAny && d == kAny && m == kAny && y == kAny) ||
        // a day the month does not have (29 February passes: any year may be a leap year)
        (m != kAny && d != kAny && d > (m == 2 ? 29 : DaysInMonth(2001, m))) ||
        // a month of a past year or an earlier month of this year
        (m != kAny && y != kAny &&
         (2000 + y < now_.year || (2000 + y == now_.year && m < now_.month))) ||
        // a full date that does not exist or has passed
        (d != kAny && m != kAny && y != kAny &&
         (!IsRealDate(2000 + y, m, d) ||
          DateKey(2000 + y, m, d) < DateKey(now_.year, now_.month, now_.day))) ||
        // a past year
        (y != kAny && 2000 + y < now_.year);
    if (failed) b.error = kMomentInvalid;
    return b;
}

bool TimeSingleDialog::Ok(db::Database& db) {
    MomentBuild b = Build();
    if (b.error) {
        Messages().warning(texts::GetText(1002), texts::GetText(b.error));
        return false;
    }
    if (db.isOpen()) {
        try {
            auto row = db.queryOne(
                "SELECT ASS_OBJ_COSA.ID_OBJ, ASS_OBJ_COSA.ID_COSA, ANA_COSA.DESCRI_COSA, "
                "ANA_COSA.OPEN_COSA, ANA_COSA.ID_RES_COSA FROM ANA_COSA INNER JOIN ASS_OBJ_COSA "
                "ON ANA_COSA.ID_COSA = ASS_OBJ_COSA.ID_COSA WHERE ASS_OBJ_COSA.ID_OBJ = ? "
                "AND ASS_OBJ_COSA.ID_AREA = ? ORDER BY ASS_OBJ_COSA.ORDINE",
                {db::Value(static_cast<long long>(idObj_)),
                 db::Value(static_cast<long long>(idArea_))});
            if (row) {
                idCosa = row->getInt("ID_COSA");
                idResCosa = row->getInt("ID_RES_COSA");
            }
        } catch (const db::Error&) {
        }
    }
    timeText = b.text;
    description = b.description;
    Confirmed = true;
    return true;
}

}  // namespace tessed::editor
