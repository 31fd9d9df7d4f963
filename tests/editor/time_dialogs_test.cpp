#include "editor/time_dialogs.h"

#include <gtest/gtest.h>

#include "env/environment.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::editor;

namespace {

// "Now" of every test: 15 June 2025, 10:45.
const Moment kNow{2025, 6, 15, 10, 45};

TimeRangeDialog AllWeek() {
    TimeRangeDialog d(kNow);
    for (int i = 0; i < 7; ++i) d.setWeekday(i, true);
    return d;
}

// A date range from day/month/year to day/month/year; -1 is "**".
TimeRangeDialog DateRange(int fd, int fm, int fy, int td, int tm, int ty) {
    TimeRangeDialog d = AllWeek();
    d.setDayMode(TimeRangeDialog::kDateRange);
    d.dayFrom.selectData(fd);
    d.monthFrom.selectData(fm);
    d.yearFrom.selectData(fy);
    d.dayTo.selectData(td);
    d.monthTo.selectData(tm);
    d.yearTo.selectData(ty);
    return d;
}

TimeSingleDialog Moment_(int hh, int mm, int d, int m, int y) {
    TimeSingleDialog dlg(kNow);
    dlg.hour.selectData(hh);
    dlg.minute.selectData(mm);
    dlg.day.selectData(d);
    dlg.month.selectData(m);
    dlg.year.selectData(y);
    return dlg;
}

}  // namespace

TEST(TimeRangeDialog, StartsNowUntilTheNextHourAcrossTheYearsEnd) {
    TimeRangeDialog d(Moment{2025, 12, 31, 23, 10});
    EXPECT_EQ(d.from.clock() + " " + d.to.clock(), "23:10 00:10");
    EXPECT_EQ(d.dayFrom.text() + d.monthFrom.text() + d.yearFrom.text(), "311225");
    EXPECT_EQ(d.dayTo.text() + d.monthTo.text() + d.yearTo.text(), "010126");
}

TEST(TimeRangeDialog, HoursTextsAndBandCheck) {
    test::FixtureEnv fx;
    TimeRangeDialog d = AllWeek();
    d.setHourMode(TimeRangeDialog::kBand);
    d.from = {7, 30};
    d.to = {7, 30};
    EXPECT_EQ(d.Build().error, 1079);
    d.to = {7, 31};
    EXPECT_EQ(d.Build().error, 0);
    d.to = {18, 0};
    RangeBuild b = d.Build();
    EXPECT_EQ(b.text, "ORAFROM=0730|ORATO=1800|SETT=7F|DATAFROM=-1|DATATO=-1|");
    EXPECT_EQ(b.description, "07:30 - 18:00\rTutta la settimana\rSempre");
    // The hours check comes before the weekday check.
    d.to = {6, 0};
    for (int i = 0; i < 7; ++i) d.setWeekday(i, false);
    EXPECT_EQ(d.Build().error, 1079);

    d = AllWeek();
    d.setHourMode(TimeRangeDialog::kAnyHour);
    EXPECT_EQ(d.Build().description.substr(0, 14), "Qualsiasi ora\r");
}

TEST(TimeRangeDialog, DateChecks) {
    test::FixtureEnv fx;
    const int any = -1;
    // From day, month, year; to day, month, year; the error, the note.
    const int cases[][8] = {
        {5, any, any, 20, any, any, 0, 1735},  // day only: repeats
        {20, any, any, 5, any, any, 1730, 0},
        {5, any, any, 20, 3, any, 1734, 0},  // the shapes differ
        {5, any, 26, 20, any, 25, 1731, 0},  // day and year
        {20, any, 25, 5, any, 25, 1733, 0},
        {20, any, 25, 5, any, 26, 0, 1735},
        {5, 4, any, 20, 3, any, 1732, 0},  // day and month
        {20, 3, any, 5, 3, any, 1733, 0},
        {20, 3, any, 5, 4, any, 0, 0},
        {1, 7, 25, 30, 6, 25, 1084, 0},  // full dates: order
        {1, 6, 25, 14, 6, 25, 1084, 0},  // ends yesterday
        {1, 6, 25, 15, 6, 25, 0, 0},     // ends today
        {1, 7, 25, 31, 4, 26, 1084, 0},  // no 31 April
        {1, 7, 25, 31, 12, 26, 0, 0},
    };
    for (const auto& c : cases) {
        const RangeBuild b = DateRange(c[0], c[1], c[2], c[3], c[4], c[5]).Build();
        EXPECT_EQ(std::pair(b.error, b.note), std::pair(c[6], c[7]))
            << c[0] << "." << c[1] << "." << c[2] << " - " << c[3] << "." << c[4] << "." << c[5];
    }
    RangeBuild b = DateRange(5, any, any, 20, any, any).Build();
    EXPECT_NE(b.text.find("DATAFROM=05**20**|DATATO=20**20**|"), std::string::npos);
    EXPECT_NE(b.description.find("\rDal 05.**.**\rAl 20.**.**"), std::string::npos);
    b = DateRange(1, 7, 25, 31, 12, 26).Build();
    EXPECT_NE(b.text.find("DATAFROM=01072025|DATATO=31122026|"), std::string::npos);
    // A list left without a selection never writes a broken text.
    TimeRangeDialog d = DateRange(1, 7, 25, 31, 12, 26);
    d.yearTo.setIndex(-1);
    EXPECT_EQ(d.Build().error, 1084);
}

TEST(TimeRangeDialog, OkShowsTheFirstFailureOrConfirmsWithIcon) {
    test::FixtureEnv fx;
    test::ScopedMessages boxes;
    auto& db = env::Env().master();

    TimeRangeDialog bad(kNow);
    EXPECT_FALSE(bad.Ok(db));
    EXPECT_FALSE(bad.Confirmed);
    using Calls = std::vector<test::ScriptedMessages::Call>;
    EXPECT_EQ(boxes->calls, (Calls{{"warning", "Attenzione", "T1081"}}));
    EXPECT_TRUE(bad.timeText.empty());

    // One hour, some weekdays, always: icon 201.
    TimeRangeDialog one(kNow);
    one.setWeekday(0, true);
    ASSERT_TRUE(one.Ok(db));
    EXPECT_TRUE(one.Confirmed);
    EXPECT_EQ(one.idRes, 201);
    EXPECT_EQ(one.timeText, "ORAFROM=1045|ORATO=-1|SETT=01|DATAFROM=-1|DATATO=-1|");
    EXPECT_EQ(one.description, "10:45\rLun  -   -   -   -   -   - \rSempre");

    // Any hour, some weekdays, a repeating range: the note, then icon 200.
    TimeRangeDialog range = DateRange(5, -1, -1, 20, -1, -1);
    range.setWeekday(6, false);
    range.setHourMode(TimeRangeDialog::kAnyHour);
    boxes->calls.clear();
    ASSERT_TRUE(range.Ok(db));
    ASSERT_EQ(boxes->calls.size(), 1u);
    EXPECT_EQ(boxes->calls[0].kind + ": " + boxes->calls[0].text,
              "information: Il periodo si ripete");
    EXPECT_EQ(range.idRes, 200);

    // Band, every day, always: icon 2. Any hour, every day, always: no row.
    TimeRangeDialog band = AllWeek();
    band.setHourMode(TimeRangeDialog::kBand);
    ASSERT_TRUE(band.Ok(db));
    EXPECT_EQ(band.idRes, 2);
    TimeRangeDialog plain = AllWeek();
    plain.setHourMode(TimeRangeDialog::kAnyHour);
    ASSERT_TRUE(plain.Ok(db));
    EXPECT_FALSE(plain.idRes);
}

TEST(TimeRangeDialog, RestoreAndRebuild) {
    test::FixtureEnv fx;
    for (const char* text : {"ORAFROM=0730|ORATO=1800|SETT=1F|DATAFROM=-1|DATATO=-1|",
                             "ORAFROM=-1|ORATO=-1|SETT=A|DATAFROM=05**20**|DATATO=20**20**|",
                             "ORAFROM=2359|ORATO=-1|SETT=01|DATAFROM=050320**|DATATO=050420**|",
                             "ORAFROM=0000|ORATO=0001|SETT=7F|DATAFROM=01072025|DATATO=31122026|",
                             "ORAFROM=1200|ORATO=-1|SETT=40|DATAFROM=05**2026|DATATO=06**2027|"}) {
        TimeRangeDialog d(kNow);
        d.Restore(text);
        EXPECT_EQ(d.Build().text, text);
    }
    // Keys in any case; the to lists get the date parts, months and years "**".
    TimeRangeDialog d(kNow);
    d.Restore("orafrom=0615|orato=-1|sett=3|datafrom=05**20**|datato=20**20**|");
    EXPECT_EQ(d.hourMode(), TimeRangeDialog::kOneHour);
    EXPECT_EQ(d.dayMode(), TimeRangeDialog::kDateRange);
    EXPECT_EQ(
        std::tuple(d.from.clock(), d.weekMask(), d.dayTo.enabled, d.dayTo.data(), d.monthTo.data()),
        std::tuple("06:15", 3, true, 20, -1));

    // A text without "|" keeps the start values.
    TimeRangeDialog kept(kNow);
    kept.Restore("ORAFROM=0730");
    EXPECT_EQ(kept.from.clock(), "10:45");
    EXPECT_EQ(kept.weekMask(), 0);
}

TEST(TimeRangeDialog, LoadDataSetsTheWhoCaption) {
    test::FixtureEnv fx;
    TimeRangeDialog d(kNow);
    d.LoadData(env::Env().master(), 23, 3, "ORAFROM=-1|ORATO=-1|SETT=7F|DATAFROM=-1|DATATO=-1|");
    EXPECT_EQ(d.who.caption, "Tempo");  // the family description wins
    EXPECT_EQ(d.who.whoCode, 200);
    EXPECT_EQ(d.hourMode(), TimeRangeDialog::kAnyHour);
}

TEST(TimeSingleDialog, TextsAndDescriptions) {
    test::FixtureEnv fx;
    MomentBuild b = Moment_(-1, 30, -1, -1, -1).Build();
    EXPECT_EQ(b.error, 0);
    EXPECT_EQ(b.text, "ORAFROM=**30|ORATO=-1|SETT=7F|DATAFROM=******|DATATO=-1|");
    EXPECT_EQ(b.description, "T1110 **:30\rData **.**.**");
    b = Moment_(22, 15, 24, 12, 25).Build();
    EXPECT_EQ(b.text, "ORAFROM=2215|ORATO=-1|SETT=7F|DATAFROM=241225|DATATO=-1|");
    EXPECT_EQ(b.description, "T1110 22:15\rData 24.12.25");
}

TEST(TimeSingleDialog, Checks) {
    const int any = -1;
    auto error = [](TimeSingleDialog d) { return d.Build().error; };
    EXPECT_EQ(error(Moment_(any, any, any, any, any)), 1545);  // nothing chosen
    EXPECT_EQ(error(Moment_(8, any, any, any, any)), 0);
    EXPECT_EQ(error(Moment_(any, any, 31, 4, any)), 1545);  // 31 April
    EXPECT_EQ(error(Moment_(any, any, 29, 2, any)), 0);     // 29 February, any year
    EXPECT_EQ(error(Moment_(any, any, 30, 2, any)), 1545);
    EXPECT_EQ(error(Moment_(any, any, any, 5, 25)), 1545);  // a past month of this year
    EXPECT_EQ(error(Moment_(any, any, any, 6, 25)), 0);
    EXPECT_EQ(error(Moment_(any, any, any, 1, 24)), 1545);  // a past year
    EXPECT_EQ(error(Moment_(any, any, 14, 6, 25)), 1545);   // yesterday
    EXPECT_EQ(error(Moment_(any, any, 15, 6, 25)), 0);      // today
    EXPECT_EQ(error(Moment_(any, any, 29, 2, 27)), 1545);   // no 29 February in 2027
    EXPECT_EQ(error(Moment_(any, any, 29, 2, 28)), 0);
    EXPECT_EQ(error(Moment_(any, any, any, any, 24)), 1545);  // year alone, past
    EXPECT_EQ(error(Moment_(any, any, any, any, 25)), 0);
}

TEST(TimeSingleDialog, OkLooksUpTheObjectsWhat) {
    test::FixtureEnv fx;
    test::ScopedMessages boxes;
    TimeSingleDialog d(kNow);
    d.LoadData(env::Env().master(), 23, 3, "");
    EXPECT_FALSE(d.Ok(env::Env().master()));
    ASSERT_EQ(boxes->calls.size(), 1u);
    EXPECT_EQ(boxes->calls[0].text, "Data o ora non valida");
    EXPECT_FALSE(d.Confirmed);

    d.hour.selectData(7);
    ASSERT_TRUE(d.Ok(env::Env().master()));
    EXPECT_EQ(std::tuple(d.Confirmed, d.idCosa, d.idResCosa), std::tuple(true, 200, 2));
    EXPECT_EQ(d.timeText, "ORAFROM=07**|ORATO=-1|SETT=7F|DATAFROM=******|DATATO=-1|");
}

TEST(TimeSingleDialog, RestoreAndRebuild) {
    for (const char* text : {"ORAFROM=2215|ORATO=-1|SETT=7F|DATAFROM=******|DATATO=-1|",
                             "ORAFROM=**30|ORATO=-1|SETT=7F|DATAFROM=29**28|DATATO=-1|",
                             "ORAFROM=0000|ORATO=-1|SETT=7F|DATAFROM=010130|DATATO=-1|"}) {
        TimeSingleDialog d(kNow);
        d.Restore(text);
        EXPECT_EQ(d.Build().text, text);
    }
    // Values that name no item leave the lists as they were; a stored year
    // outside the listed window is kept.
    TimeSingleDialog d(kNow);
    d.Restore("ORAFROM=2599|ORATO=-1|SETT=7F|DATAFROM=xx1399|DATATO=-1|");
    EXPECT_EQ(d.Build().text, "ORAFROM=****|ORATO=-1|SETT=7F|DATAFROM=****99|DATATO=-1|");
}

TEST(TimeDialogs, YearListsRollWithTheCurrentYear) {
    // From 2031 on the current year is still offered and selected, with the
    // years around it.
    const Moment later{2031, 3, 10, 8, 0};
    TimeRangeDialog range(later);
    EXPECT_EQ(range.yearFrom.text(), "31");
    EXPECT_EQ(
        std::tuple(range.yearFrom.item(1).text, range.yearTo.item(range.yearTo.count() - 1).text),
        std::tuple("26", "56"));
    TimeSingleDialog single(later);
    EXPECT_EQ(single.year.find(31), 1 + kYearsBefore);
    single.day.selectData(1);
    single.month.selectData(4);
    single.year.selectData(31);
    EXPECT_EQ(single.Build().error, 0);

    // The window never leaves the years a time text can carry (20yy).
    for (auto [year, first, last] : {std::tuple(2090, 85, 99), std::tuple(2099, 94, 99),
                                     std::tuple(1998, 0, 23), std::tuple(2150, 99, 99)}) {
        YearRange r = ListedYears(year);
        EXPECT_EQ(std::tuple(r.first, r.last), std::tuple(first, last)) << year;
    }
    // On the last day of 2099 tomorrow's year cannot be written: no selection.
    TimeRangeDialog last(Moment{2099, 12, 31, 12, 0});
    EXPECT_EQ(last.yearFrom.text(), "99");
    EXPECT_FALSE(last.yearTo.data());

    // A stored year outside the window widens the list, so confirming the
    // dialog writes the text back unchanged.
    const char* old = "ORAFROM=0800|ORATO=-1|SETT=7F|DATAFROM=01012005|DATATO=31122030|";
    TimeRangeDialog restored(later);
    restored.Restore(old);
    EXPECT_EQ(restored.yearFrom.item(1).text, "05");
    EXPECT_EQ(restored.Build().text, old);
}

TEST(TimeRangeDialog, WeekdayBoxesRedWhenTickedGreenWhenCleared) {
    TimeRangeDialog d(kNow);
    d.setWeekday(3, true);
    d.setWeekday(5, true);
    d.setWeekday(5, false);
    std::vector<uint32_t> colours;
    for (int i = 0; i < 7; ++i) colours.push_back(d.weekdayColour(i));
    const uint32_t red = 0xFF0000, green = 0x00FF00;
    EXPECT_EQ(colours, (std::vector<uint32_t>{green, green, green, red, green, green, green}));
}
