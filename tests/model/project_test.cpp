#include "model/project.h"

#include <gtest/gtest.h>

#include "env/environment.h"
#include "support/test_env.h"

namespace tessed {
namespace {

TEST(KeyedCollection, ItemByKeyOrPositionAndEnumerationOrder) {
    Scenari s;
    auto a = s.Add("b-key");
    auto b = s.Add("A-KEY");
    auto c = s.Add("");  // no key: reachable by position only
    EXPECT_EQ(s.Item("a-key"), b) << "keys compare without regard to case";
    EXPECT_EQ(s.Item(3), c);
    EXPECT_EQ(s.Item(1L), a);
    for (auto none : {s.Item("missing"), s.Item(""), s.Item(0), s.Item(4)})
        EXPECT_EQ(none, nullptr);
    EXPECT_EQ(s.Item("1"), nullptr) << "a text is a key, never a position";

    std::vector<std::shared_ptr<Scenario>> seen;
    for (const auto& m : s) seen.push_back(m);
    EXPECT_EQ(seen, (std::vector<std::shared_ptr<Scenario>>{a, b, c}));
}

TEST(KeyedCollection, DuplicateKeyAndMissingMemberFailClearly) {
    Oggetti o;
    o.Add("1");
    EXPECT_THROW(o.Add("1"), CollectionError);
    EXPECT_EQ(o.Count(), 1);
    EXPECT_THROW(o.Remove("2"), CollectionError);
    EXPECT_THROW(o.Remove(2), CollectionError);
    o.Add("");
    o.Add("3");
    o.Remove(2);  // by position: the member without a key
    o.Remove("1");
    EXPECT_EQ(o.Count(), 1);
    EXPECT_NE(o.Item("3"), nullptr);
}

TEST(Collezione, FindsAScenarioByItsPathInAnyCase) {
    Collezione p;
    EXPECT_EQ(p.FindByFullPath("/tmp/w/1.spt/cucina.tdx"), nullptr);
    auto sc = std::make_shared<Scenario>();
    sc->FullPath = "/tmp/W/1.spt/Cucina.tdx";
    p.Scenari()->Add("k", sc);
    EXPECT_EQ(p.FindByFullPath("/TMP/w/1.SPT/cucina.TDX"), sc);
    EXPECT_EQ(p.FindByFullPath("/tmp/w/2.spt/cucina.tdx"), nullptr);
}

TEST(CurrentProject, ClearingTheWorkingFolderReplacesIt) {
    test::FixtureEnv env;
    auto before = CurrentProject();
    before->Nome = "Casa";
    EXPECT_EQ(CurrentProject(), before);
    env::Env().ClearWorkingFolder();
    auto after = CurrentProject();
    EXPECT_NE(after, before);
    EXPECT_TRUE(after->Nome.empty());
    EXPECT_EQ(after->Scenari()->Count(), 0);
}

TEST(Oggetto, CapabilityFlagsFromTheCatalogue) {
    test::FixtureEnv env;
    // The groups an object may go into, as the letters of its flags: Trigger,
    // trigger Stop, condition Ok, condition Ko, Act, act Else. Object 99 has
    // all six False in the catalogue, 12345 no row at all.
    for (auto [key, flags] : {std::pair("23", "TSO"), std::pair("45", "A"), std::pair("99", ""),
                              std::pair("12345", "")}) {
        Oggetto o;
        o.Key = key;
        o.ReadCapabilities(env::Env().master());
        std::string got;
        for (auto [on, letter] : {std::pair(o.IsTrigger, 'T'), std::pair(o.IsTriggerSTOP, 'S'),
                                  std::pair(o.IsCondOk, 'O'), std::pair(o.IsCondKO, 'K'),
                                  std::pair(o.IsAct, 'A'), std::pair(o.IsActElse, 'E')})
            if (on) got += letter;
        EXPECT_EQ(got, flags) << key;
    }
}

}  // namespace
}  // namespace tessed
