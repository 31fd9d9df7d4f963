#include "env/texts.h"

#include <gtest/gtest.h>

#include <fstream>

#include "env/database.h"
#include "env/environment.h"
#include "env/state.h"
#include "support/test_env.h"

using namespace tessed;

TEST(Texts, LookupsAndFallbacks) {
    test::FixtureEnv fx;
    EXPECT_EQ(texts::GetText(1002), "Attenzione");
    EXPECT_EQ(texts::GetText(424242), "?????");
    EXPECT_EQ(texts::GetText(1099), "----");  // present but Null
    EXPECT_EQ(texts::GetText(1700), "Tessaro Editor - informazioni su Tessaro Editor");
    {
        // The identifier is found by its name "Id", not by its place.
        db::Database other(":memory:", db::Database::Mode::Create);
        other.execute("CREATE TABLE ANA_LABELS (Lang TEXT, TESTO TEXT, Id INTEGER)");
        other.execute("INSERT INTO ANA_LABELS VALUES ('ITA', 'cinque', 5)");
        texts::Load(other);
        EXPECT_EQ(texts::GetText(5), "cinque");
        texts::Load(env::Env().master());
    }
    Host().TEXTID = true;
    EXPECT_EQ(texts::GetText(424242),
              "?????"
              "-424242");
    EXPECT_EQ(texts::GetText(1002), "Attenzione-1002");
}

TEST(Texts, CaptionListHoldsTheEditorTexts) {
    test::FixtureEnv fx;
    texts::FillCaptionList();
    const auto& list = texts::CaptionList();
    ASSERT_EQ(list.size(), 112u);
    EXPECT_EQ(list[0], "T1000");
    EXPECT_EQ(list[2], "Attenzione");
    EXPECT_EQ(list[110], "T1110");
    EXPECT_EQ(list[111], "Ora");
    EXPECT_EQ(texts::Caption(88), "Ora");
    EXPECT_EQ(texts::Caption(1561), "Raggiunto il numero massimo di elementi");
}

TEST(Texts, ChangingLanguageReloadsTheTexts) {
    test::FixtureEnv fx(true, "ENG");
    EXPECT_EQ(texts::GetText(1002), "Warning");
    std::ofstream(env::Env().configFile()) << "[GENERALE]\r\nLINGUA=ITA\r\n";
    ASSERT_TRUE(env::Env().OpenSystemDatabase());
    EXPECT_EQ(texts::GetText(1002), "Attenzione");
}
