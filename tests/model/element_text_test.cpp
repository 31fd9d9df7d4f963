#include "model/element_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "env/environment.h"
#include "support/test_env.h"

using namespace tessed;
using model::ElementText;
using model::WhatDescription;

namespace {

// Catalogue rows of the fixture used below: ANA_DOVE 2 "Room 1" (bus code "1"),
// 3 "Point 11" ("11"); levels 1 (no level), 2 ("4"), 3 ("3"); WHAT 11
// "Dimmer 100%".
constexpr const char* kAct = "TMP_STEP_ACT";
constexpr const char* kTrigger = "TMP_TRIGGER";
constexpr const char* kCond = "TMP_COND_OK";

void InsertParams(const char* table, int id, db::Value p1, db::Value p2, db::Value p3) {
    env::Env().master().execute(std::string("INSERT INTO ") + table +
                                    " (ID, PARAM_1, PARAM_2, PARAM_3) VALUES (?, ?, ?, ?)",
                                {id, p1, p2, p3});
}

}  // namespace

TEST(ElementText, ActionOnlyObjectsWithWhereNumberAndLevel) {
    test::FixtureEnv fx;
    EXPECT_EQ(ElementText(1, 24, 0, 2, 0, 0, kTrigger), "");
    EXPECT_EQ(ElementText(1, 24, 0, 2, 0, 0, kAct), "Amplificatore 01");
    EXPECT_EQ(ElementText(1, 24, 0, 2, 2, 3, kAct), "Amplificatore 01-4-03");
    EXPECT_EQ(ElementText(1, 24, 0, 2, 3, 0, kAct), "Amplificatore 01-3");
    // A level row without a level gives no suffix, even with an interface.
    EXPECT_EQ(ElementText(1, 24, 0, 2, 1, 3, kAct), "Amplificatore 01");
    EXPECT_EQ(ElementText(1, 26, 0, 3, 2, 0, kAct), "Point 11-4");
    EXPECT_EQ(ElementText(1, 27, 0, 3, 0, 0, kCond), "");
    EXPECT_EQ(ElementText(1, 49, 0, 2, 0, 0, kAct), "Punto 1");  // where number as stored
    EXPECT_EQ(ElementText(1, 31, 0, 2, 2, 3, kAct), "Zona 01");  // no level suffix
    EXPECT_EQ(ElementText(1, 31, 0, 2, 2, 3, kTrigger), "");
}

TEST(ElementText, WhatDependentObjects) {
    test::FixtureEnv fx;
    EXPECT_EQ(ElementText(1, 28, 161, 2, 0, 0, kTrigger), "Sorgente attiva");
    EXPECT_EQ(ElementText(1, 28, 5, 3, 0, 0, kAct), "Sorgente 11");
    EXPECT_EQ(ElementText(1, 28, 5, 3, 0, 0, kTrigger), "");
    EXPECT_EQ(ElementText(1, 29, 0, 0, 0, 0, kTrigger), "Scenario");
    EXPECT_EQ(ElementText(1, 33, 258, 0, 0, 0, kCond), "Stop");
    EXPECT_EQ(ElementText(1, 41, 258, 0, 0, 0, kAct), "Stop");
    EXPECT_EQ(ElementText(1, 41, 257, 2, 0, 0, kAct), "");
    EXPECT_EQ(ElementText(1, 39, 11, 0, 0, 0, kTrigger), "Dimmer 100%\r");
    EXPECT_EQ(ElementText(1, 54, 999, 0, 0, 0, kTrigger), "\r");  // missing WHAT row
    // Any other object: where text and level suffix, or nothing when missing.
    EXPECT_EQ(ElementText(1, 1, 1, 2, 3, 0, kTrigger), "Room 1-3");
    EXPECT_EQ(ElementText(1, 1, 1, 999, 999, 4, kTrigger), "");
}

TEST(ElementText, TemperaturesFromTheElementRow) {
    test::FixtureEnv fx;
    InsertParams(kAct, 7, 215, nullptr, nullptr);
    InsertParams(kAct, 8, 200, nullptr, nullptr);
    InsertParams(kAct, 9, nullptr, nullptr, nullptr);
    EXPECT_EQ(ElementText(7, 34, 236, 0, 0, 0, kAct), "\rTemperatura 21.5");
    EXPECT_EQ(ElementText(8, 37, 237, 0, 0, 0, kAct), "\rTemperatura 20");
    EXPECT_EQ(ElementText(7, 34, 237, 0, 0, 0, kAct), "");   // WHAT of the other object
    EXPECT_EQ(ElementText(9, 34, 236, 0, 0, 0, kAct), "");   // Null parameter
    EXPECT_EQ(ElementText(42, 34, 236, 0, 0, 0, kAct), "");  // no such row
    EXPECT_EQ(ElementText(7, 34, 236, 0, 0, 0, kCond), "");  // actions only

    // Zone readings as their dialog stores them: the probe (1 the zone's,
    // 2 to 9 the additional probes 1 to 8), the operator (1 ">=", 2 "<=",
    // 3 ">", 4 "<") and the temperature in tenths.
    InsertParams(kCond, 1, 3, 1, 215);
    InsertParams(kCond, 2, 1, 4, -5);
    InsertParams(kCond, 3, 1, 5, 100);  // "=" is no choice of this object
    InsertParams(kCond, 4, 12, 2, nullptr);
    InsertParams(kCond, 5, 9, 2, 250);
    InsertParams(kCond, 6, 0, 3, 0);  // untouched probe list: no probe line
    EXPECT_EQ(ElementText(1, 38, 0, 0, 0, 0, kCond), "\rSonda aggiuntiva 2\rValore >= 21.5");
    EXPECT_EQ(ElementText(2, 38, 0, 0, 0, 0, kCond), "\rSonda della zona\rValore < -0.5");
    EXPECT_EQ(ElementText(3, 38, 0, 0, 0, 0, kCond), "\rSonda della zona\r");
    EXPECT_EQ(ElementText(4, 38, 0, 0, 0, 0, kCond), "");  // no probe, no value
    EXPECT_EQ(ElementText(5, 38, 0, 0, 0, 0, kCond), "\rSonda aggiuntiva 8\rValore <= 25");
    EXPECT_EQ(ElementText(6, 38, 0, 0, 0, 0, kCond), "\rValore > 0");
    EXPECT_EQ(ElementText(1, 38, 0, 0, 0, 0, "TMP_COND_KO"), "");
}

TEST(ElementText, TableNamesOutsideTheWorkingTablesReadNothing) {
    test::FixtureEnv fx;
    InsertParams(kAct, 7, 215, nullptr, nullptr);
    EXPECT_EQ(ElementText(7, 38, 0, 0, 0, 0, "TMP_COND_OK; DROP TABLE TMP_STEP_ACT"), "");
    EXPECT_EQ(ElementText(7, 34, 236, 0, 0, 0, "tmp_step_act"), "\rTemperatura 21.5");
    EXPECT_EQ(env::Env().master().query("SELECT * FROM TMP_STEP_ACT").size(), 1u);
}

TEST(ElementText, WhatDescriptionAndLookupsWithoutConnection) {
    test::FixtureEnv fx;
    EXPECT_EQ(WhatDescription(1), "On");
    EXPECT_EQ(WhatDescription(424242), "");
    env::Env().CloseConnection();
    EXPECT_EQ(WhatDescription(1), "");
    EXPECT_EQ(ElementText(1, 1, 1, 2, 3, 0, kTrigger), "");
}

TEST(ElementText, TenthsInShortestForm) {
    EXPECT_EQ(model::Tenths(215), "21.5");
    EXPECT_EQ(model::Tenths(200), "20");
    EXPECT_EQ(model::Tenths(0), "0");
    EXPECT_EQ(model::Tenths(-5), "-0.5");
    EXPECT_EQ(model::Tenths(-120), "-12");
    EXPECT_EQ(model::Tenths(std::numeric_limits<int64_t>::min()), "-922337203685477580.8");
}
