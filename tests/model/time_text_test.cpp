#include "model/time_text.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

using namespace tessed;
using namespace tessed::model;

TEST(TimeText, WeekdayMaskParts) {
    EXPECT_EQ(SettPart(0x1F), "SETT=1F|");
    EXPECT_EQ(SettPart(0x01), "SETT=01|");
    EXPECT_EQ(SettPart(0x09), "SETT=09|");
    EXPECT_EQ(SettPart(0x0A), "SETT=A|");  // only masks of 9 or less get the "0"
    EXPECT_EQ(SettPart(0x7F), "SETT=7F|");
    EXPECT_EQ(ParseWeekMask("1f"), 0x1F);
    EXPECT_EQ(ParseWeekMask("A"), 10);
    EXPECT_EQ(ParseWeekMask("01"), 1);
    EXPECT_EQ(ParseWeekMask("7F"), 0x7F);
    EXPECT_FALSE(ParseWeekMask(""));
    EXPECT_FALSE(ParseWeekMask("G"));
    EXPECT_FALSE(ParseWeekMask("123"));
}

TEST(TimeText, SplitFindsKeysInAnyCaseAndOrder) {
    auto parts = SplitTimeText("sett=A|DataTo=-1|orafrom=0730|ORATO=1800|");
    ASSERT_TRUE(parts.valid);
    EXPECT_EQ(parts.oraFrom, "0730");
    EXPECT_EQ(parts.oraTo, "1800");
    EXPECT_EQ(parts.sett, "A");
    EXPECT_FALSE(parts.dataFrom);
    EXPECT_EQ(parts.dataTo, "-1");
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
