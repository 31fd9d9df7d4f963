#include "model/time_text.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

using namespace tessed;
using namespace tessed::model;

TEST(TimeText, WeekdayMaskParts) {
    EXPECT_EQ(SettPart(0x09) + SettPart(0x0A) + SettPart(0x7F),
              "SETT=09|SETT=A|SETT=7F|");  // only masks of 9 or less get the "0"
    EXPECT_EQ(ParseWeekMask("1f"), 0x1F);
    EXPECT_EQ(ParseWeekMask("A"), 10);
    EXPECT_EQ(ParseWeekMask("01"), 1);
    for (const char* bad : {"", "G", "123"}) EXPECT_FALSE(ParseWeekMask(bad)) << bad;
}

TEST(TimeText, SplitFindsKeysInAnyCaseAndOrder) {
    auto parts = SplitTimeText("sett=A|DataTo=-1|orafrom=0730|ORATO=1800|");
    ASSERT_TRUE(parts.valid);
    auto part = [](const std::optional<std::string>& p) { return p.value_or("<none>"); };
    EXPECT_EQ(part(parts.oraFrom) + " " + part(parts.oraTo) + " " + part(parts.sett) + " " +
                  part(parts.dataTo),
              "0730 1800 A -1");
    EXPECT_FALSE(parts.dataFrom);
    EXPECT_FALSE(SplitTimeText("ORAFROM=0730").valid);
}

TEST(TimeText, RangeDescriptions) {
    test::FixtureEnv fx;
    EXPECT_EQ(FormatRangeText("ORAFROM=0730|ORATO=1800|SETT=1F|DATAFROM=-1|DATATO=-1|"),
              "Dalle 07:30 alle 18:00\rLun Mar Mer Gio Ven  -   - \rSempre");
    EXPECT_EQ(FormatRangeText("ORAFROM=0615|ORATO=-1|SETT=7F|DATAFROM=05**20**|DATATO=20**20**|"),
              "alle 06:15\rTutta la settimana\rDal 05.**.**\rAl 20.**.**");
    EXPECT_EQ(FormatRangeText("ORAFROM=-1|ORATO=-1|SETT=a|DATAFROM=01032024|DATATO=-1|"),
              "Qualsiasi ora\r -  Mar  -  Gio  -   -   - \rDal 01.03.24");
    EXPECT_EQ(FormatRangeText("no parts here"), "");
}

TEST(TimeText, MomentDescriptions) {
    test::FixtureEnv fx;
    EXPECT_EQ(FormatMomentText("ORAFROM=2215|ORATO=-1|SETT=7F|DATAFROM=******|DATATO=-1|"),
              "Ogni giorno\rT1110 22.15");
    EXPECT_EQ(FormatMomentText("ORAFROM=****|ORATO=-1|SETT=7F|DATAFROM=24**25|DATATO=-1|"),
              "Data 24/**/25\rA ogni ora");
    EXPECT_EQ(FormatMomentText("ORAFROM=**30|ORATO=-1|"), "T1110 **.30");
    EXPECT_EQ(FormatMomentText("ORAFROM=2215"), "");
}
