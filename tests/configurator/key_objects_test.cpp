// Key-object resolution and parameter application against the fixture
// catalogue's configurator rows (key objects 90-96).
#include "configurator/key_objects.h"

#include <gtest/gtest.h>

#include "env/environment.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::configurator;
using namespace tessed::test;
using P = AppliedRule::Property;

namespace {

db::Database& Db() { return env::Env().master(); }

cObjOleDrag Device(int ko, int area,
                   std::initializer_list<std::pair<const char*, const char*>> conf,
                   std::string system = "AUTOMATION") {
    cObjOleDrag d;
    d.ID_KO = ko;
    d.ID_AREA = area;
    d.KEY_SYSTEM = std::move(system);
    d.BUS_LEVEL = 3;
    d.ConfTable = std::make_shared<ConfValues>();
    for (const auto& [k, v] : conf) d.ConfTable->AddMember(k, std::make_shared<std::string>(v));
    return d;
}

const AppliedRule* Rule(const std::vector<AppliedRule>& rules, P p) {
    for (const auto& r : rules)
        if (r.property == p) return &r;
    return nullptr;
}

int64_t Key(const std::vector<AppliedRule>& rules, P p) {
    const AppliedRule* r = Rule(rules, p);
    return r ? r->found.key : -1;
}

}  // namespace

TEST(KeyObjects, FirstConditionFailingLetsTheSecondAssociationWin) {
    FixtureEnv env;
    struct {
        std::initializer_list<std::pair<const char*, const char*>> conf;
        int32_t obj, ass;
    } cases[] = {
        {{{"TIPO", "LUCE"}}, 1, 930},
        {{{"TIPO", "luce"}}, 2, 931},  // values compare exactly
        {{{"TIPO", "MOTORE"}}, 2, 931},
        {{}, 2, 931},
    };
    for (const auto& c : cases) {
        cObjOleDrag d = Device(93, 5, c.conf);
        EXPECT_TRUE(AmbiguousCandidates(Db(), d).empty());
        ASSERT_TRUE(ResolveKeyObject(Db(), d));
        EXPECT_EQ(d.ID_OBJ, c.obj);
        EXPECT_EQ(d.ID_ASS, c.ass);
        EXPECT_EQ(d.ID_FAMIGLIA, c.obj == 1 ? 1 : 2);
    }
}

TEST(KeyObjects, NothingMatchesLeavesTheDeviceAsItWas) {
    FixtureEnv env;
    for (cObjOleDrag d : {Device(93, 4, {}), Device(99, 5, {}), Device(93, 5, {}, "SOUND"),
                          Device(93, 5, {}, "x' OR '1'='1")}) {
        EXPECT_FALSE(ResolveKeyObject(Db(), d));
        EXPECT_EQ(d.ID_OBJ, 0);
        EXPECT_EQ(d.ID_ASS, 0);
        EXPECT_EQ(d.ID_FAMIGLIA, 0);
    }
    // Key systems compare without letter case.
    cObjOleDrag lower = Device(93, 5, {}, "automation");
    EXPECT_TRUE(ResolveKeyObject(Db(), lower));
}

TEST(KeyObjects, AmbiguousDeviceOffersTheObjectsThatWouldMatch) {
    FixtureEnv env;
    using C = std::vector<Candidate>;
    EXPECT_EQ(AmbiguousCandidates(Db(), Device(92, 5, {})), (C{{1, "Luce"}, {42, "Dimmer"}}));
    // The conditioned association joins once its condition holds (KEY_CONF
    // "modo" names the upper-cased MODO).
    EXPECT_EQ(AmbiguousCandidates(Db(), Device(92, 5, {{"MODO", "TAPPARELLA"}})),
              (C{{1, "Luce"}, {2, "Tapparella"}, {42, "Dimmer"}}));
}

TEST(KeyObjects, CancelledChoiceResolvesNothing) {
    FixtureEnv env;
    cObjOleDrag d = Device(92, 5, {});
    KeyObjectResolution r = KeyObjectResolution::Begin(Db(), d);
    ASSERT_TRUE(r.NeedsChoice());
    editor::AmbiguityDialog& dlg = *r.Choice();
    ASSERT_EQ(dlg.cmbAmbiguo.count(), 2);
    EXPECT_EQ(dlg.cmbAmbiguo.index(), 0);
    dlg.KeyPress(editor::kKeyEscape);  // Escape does nothing here
    EXPECT_FALSE(dlg.Confirmed);
    dlg.Cancel();
    EXPECT_FALSE(r.Finish(Db(), d));
    EXPECT_EQ(d.ID_OBJ, 0);
    EXPECT_EQ(d.ID_ASS, 0);

    KeyObjectResolution again = KeyObjectResolution::Begin(Db(), d);
    again.Choice()->cmbAmbiguo.setIndex(1);
    again.Choice()->KeyPress(editor::kKeyEnter);
    ASSERT_TRUE(again.Finish(Db(), d));
    EXPECT_EQ(d.ID_OBJ, 42);
    EXPECT_EQ(d.ID_ASS, 921);

    // A device the catalogue maps to one object needs no choice.
    cObjOleDrag one = Device(93, 5, {});
    KeyObjectResolution plain = KeyObjectResolution::Begin(Db(), one);
    EXPECT_FALSE(plain.NeedsChoice());
    EXPECT_TRUE(plain.Finish(Db(), one));
}

TEST(KeyObjects, LightRulesFillThePropertyDialog) {
    FixtureEnv env;
    cObjOleDrag d = Device(90, 5, {{"A", "1"}, {"PL", "1"}, {"STATO", "01"}});
    d.USERDESCRIPTION = "Kitchen ceiling light";
    ASSERT_TRUE(ResolveKeyObject(Db(), d));
    ASSERT_EQ(d.ID_ASS, 900);
    auto rules = ComputeParameters(Db(), d);
    ASSERT_EQ(rules.size(), 4u);
    EXPECT_EQ(rules[0].found.code, "11");
    EXPECT_EQ(Key(rules, P::kWhere), 3);
    EXPECT_EQ(Key(rules, P::kLevel), 0);                // Point 11 has no plain level
    EXPECT_EQ(Rule(rules, P::kWhat)->found.code, "1");  // VAL("01")
    EXPECT_EQ(Key(rules, P::kWhat), 1);

    editor::PropertyDialog dlg;
    dlg.Form_Load();
    dlg.LoadData(1, 5);
    dlg.txtDescri.maxLength = 15;
    ApplyRules(dlg, rules);
    EXPECT_EQ(dlg.cmbCosa.data(), 1);
    EXPECT_EQ(dlg.cmbDove.data(), 3);
    EXPECT_EQ(dlg.txtDescri.text, "Kitchen ceiling");

    // A code the object's lists do not carry selects nothing.
    cObjOleDrag other = Device(90, 5, {{"A", "4"}, {"PL", "4"}, {"STATO", "99"}});
    ASSERT_TRUE(ResolveKeyObject(Db(), other));
    editor::PropertyDialog unchanged;
    unchanged.Form_Load();
    unchanged.LoadData(1, 5);
    const std::string before = unchanged.StateText();
    auto none = ComputeParameters(Db(), other);
    EXPECT_EQ(Key(none, P::kWhere), 0);
    EXPECT_EQ(Key(none, P::kWhat), 0);
    other.USERDESCRIPTION = unchanged.txtDescri.text;
    ApplyParameters(Db(), unchanged, other);
    EXPECT_EQ(unchanged.StateText(), before);
}

TEST(KeyObjects, RankedRulesOfOnePropertyTakeTheFirstThatFinds) {
    FixtureEnv env;
    struct {
        const char* motor;
        int64_t where;
        int order;
    } cases[] = {
        {"5", 905, 1},   // "2[X]" gives "25"
        {"12", 901, 2},  // "212" is no where; "iif(x<10;0[x];x)" gives "12"
        {"3", 0, 0},     // neither "23" nor "03"
    };
    for (const auto& c : cases) {
        cObjOleDrag d = Device(91, 5, {{"MOTORE", c.motor}, {"COMANDO", "2"}, {"SLA", "2"}});
        ASSERT_TRUE(ResolveKeyObject(Db(), d));
        auto rules = ComputeParameters(Db(), d);
        int wheres = 0;
        for (const auto& r : rules) wheres += r.property == P::kWhere;
        EXPECT_EQ(wheres, c.order ? 1 : 0) << c.motor;
        if (c.order) {
            EXPECT_EQ(Key(rules, P::kWhere), c.where) << c.motor;
            EXPECT_EQ(Rule(rules, P::kWhere)->order, c.order) << c.motor;
        }
        EXPECT_EQ(Key(rules, P::kWhat), 901);
        EXPECT_EQ(Rule(rules, P::kProbe)->number, 3);  // SLA + 1
    }
}

TEST(KeyObjects, LevelAndInterfaceFollowTheBusLevel) {
    FixtureEnv env;
    cObjOleDrag d = Device(91, 5, {{"MOTORE", "12"}});
    ASSERT_TRUE(ResolveKeyObject(Db(), d));
    d.BUS_LEVEL = 3;
    EXPECT_EQ(Key(ComputeParameters(Db(), d), P::kLevel), 1);  // LEVEL_OPEN Null
    d.BUS_LEVEL = 4;
    d.I1 = 20;
    d.I2 = -3;  // counted only above 0
    auto rules = ComputeParameters(Db(), d);
    EXPECT_EQ(Key(rules, P::kLevel), 2);
    EXPECT_EQ(Rule(rules, P::kInterface)->number, 20);
    EXPECT_EQ(Rule(rules, P::kProbe)->number, std::nullopt);  // no SLA

    editor::PropertyDialog dlg;
    dlg.Form_Load();
    dlg.LoadData(900, 5);
    ApplyRules(dlg, rules);
    EXPECT_EQ(dlg.cmbDove.data(), 901);
    EXPECT_EQ(dlg.cmbLevel.data(), 2);
    EXPECT_EQ(dlg.cmbADDInt.data(), 20);
}

TEST(KeyObjects, CustomWhereFormatsAndFormulasReachTheWhere) {
    FixtureEnv env;
    struct {
        std::initializer_list<std::pair<const char*, const char*>> conf;
        int64_t where;
        int order;
    } cases[] = {
        {{{"A", "10"}, {"PF", "0"}}, 902, 1},                       // A-PF, 3[F[HEX(X)-HEX(Y)]]
        {{{"Z", "1"}, {"N_AI", "2"}}, 903, 2},                      // Z-N_AI, 3#X#Y
        {{{"A", "1"}, {"PL", "15"}}, 904, 3},                       // A+PL gives "0115"
        {{{"NUMERO", "7"}}, 906, 4},                                // 4000+[X]
        {{{"TASTO", "007"}}, 907, 5},                               // 2[VAL(X)]
        {{{"MOTORE", "05"}}, 0, 0},                                 // "X+1" is no formula
        {{{"NUMERO", "7' OR '1'='1"}, {"TASTO", "x'--"}}, 906, 4},  // bound, not pasted
    };
    for (const auto& c : cases) {
        cObjOleDrag d = Device(96, 5, c.conf, "sound");
        ASSERT_TRUE(ResolveKeyObject(Db(), d));
        auto rules = ComputeParameters(Db(), d);
        EXPECT_EQ(Key(rules, P::kWhere), c.order ? c.where : -1);
        if (c.order) {
            EXPECT_EQ(Rule(rules, P::kWhere)->order, c.order);
        }
    }
}
