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
    ASSERT_EQ(s.Count(), 3);
    EXPECT_EQ(s.Item("b-key"), a);
    EXPECT_EQ(s.Item("a-key"), b) << "keys compare without regard to case";
    EXPECT_EQ(s.Item(3), c);
    EXPECT_EQ(s.Item(1L), a);
    EXPECT_EQ(s.Item("missing"), nullptr);
    EXPECT_EQ(s.Item(""), nullptr);
    EXPECT_EQ(s.Item(0), nullptr);
    EXPECT_EQ(s.Item(4), nullptr);
    EXPECT_EQ(s.Item("1"), nullptr) << "a text is a key, never a position";

    std::vector<std::shared_ptr<Scenario>> seen;
    for (const auto& m : s) seen.push_back(m);
    EXPECT_EQ(seen, (std::vector<std::shared_ptr<Scenario>>{a, b, c}));
    EXPECT_TRUE(a->Key.empty()) << "Add leaves the member's own Key to the caller";
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
    EXPECT_EQ(o.Count(), 2);
    o.Remove("1");
    EXPECT_EQ(o.Count(), 1);
    EXPECT_NE(o.Item("3"), nullptr);
}

TEST(Collezione, ScenariCreatedOnFirstReadAndReplaceable) {
    Collezione p;
    auto first = p.Scenari();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Count(), 0);
    EXPECT_EQ(p.Scenari(), first);
    auto other = std::make_shared<Scenari>();
    p.SetScenari(other);
    EXPECT_EQ(p.Scenari(), other);

    auto sc = std::make_shared<Scenario>();
    sc->FullPath = "/tmp/W/1.spt/Cucina.tdx";
    EXPECT_EQ(p.Scenari()->Add("k", sc), sc);
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
    auto& db = env::Env().master();
    Oggetti palette;
    auto timer = palette.Add("23");
    timer->Key = "23";
    timer->ReadCapabilities(db);
    EXPECT_TRUE(timer->IsTrigger);
    EXPECT_TRUE(timer->IsTriggerSTOP);
    EXPECT_TRUE(timer->IsCondOk);
    EXPECT_FALSE(timer->IsCondKO);
    EXPECT_FALSE(timer->IsAct);
    EXPECT_FALSE(timer->IsActElse);

    auto wait = palette.Add("45");
    wait->Key = "45";
    wait->ReadCapabilities(db);
    EXPECT_TRUE(wait->IsAct);
    EXPECT_FALSE(wait->IsActElse);
    EXPECT_FALSE(wait->IsTrigger);

    // All six False in the catalogue, and no row at all: no slot accepts it.
    for (const char* key : {"99", "12345"}) {
        Oggetto o;
        o.Key = key;
        o.ReadCapabilities(db);
        EXPECT_FALSE(o.IsTrigger || o.IsTriggerSTOP || o.IsCondOk || o.IsCondKO || o.IsAct ||
                     o.IsActElse)
            << key;
    }
}

}  // namespace
}  // namespace tessed
