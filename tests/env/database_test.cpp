#include "env/database.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/test_env.h"

using namespace tessed;

TEST(Database, NullStaysDistinctAndNamesAreCaseInsensitive) {
    db::Database db(":memory:", db::Database::Mode::Create);
    db.execute("CREATE TABLE T (A INTEGER, B TEXT, C INTEGER)");
    EXPECT_EQ(db.execute("INSERT INTO T VALUES (?1, ?2, ?3)", {0, "", nullptr}), 1);
    EXPECT_EQ(db.execute("INSERT INTO T VALUES (?1, ?2, ?3)", {-1, "x'; DROP TABLE T; --", 7}), 1);
    auto rows = db.query("SELECT * FROM T ORDER BY A DESC");
    ASSERT_EQ(rows.size(), 2u);
    // The first row holds 0, "" and Null: three different things.
    EXPECT_TRUE(rows[0]["a"].isInt());
    EXPECT_EQ(rows[0].getInt("A", 99), 0);
    EXPECT_TRUE(rows[0]["b"].isText());
    EXPECT_EQ(rows[0].getText("b", "dflt"), "");
    EXPECT_TRUE(rows[0]["c"].isNull());
    EXPECT_EQ(rows[0].getInt("C", 99), 99);
    EXPECT_EQ(rows[1].getInt("c"), 7);
    EXPECT_TRUE(rows[1].getBool("A"));
    EXPECT_EQ(rows[1].getText("B"), "x'; DROP TABLE T; --");
    EXPECT_TRUE(rows[0]["NOPE"].isNull());
    EXPECT_EQ(db.execute("UPDATE T SET C = 1"), 2);
    EXPECT_EQ(db.execute("DELETE FROM T WHERE A = ?1", {99}), 0);
}

TEST(Database, ValueConversionsReadLikeNumericConversions) {
    EXPECT_EQ(db::Value("12").toInt(), 12);
    EXPECT_EQ(db::Value("12.6").toInt(), 13);
    EXPECT_EQ(db::Value("abc").toInt(), 0);
    EXPECT_EQ(db::Value().toInt(5), 5);
    EXPECT_EQ(db::Value(3.0).toText(), "3");
    EXPECT_TRUE(db::Value("True").toBool());
    EXPECT_TRUE(db::Value(-1).toBool());
    EXPECT_FALSE(db::Value("0").toBool());
}

TEST(Database, TransactionsRollBackUnlessCommitted) {
    db::Database db(":memory:", db::Database::Mode::Create);
    db.execute("CREATE TABLE T (A INTEGER)");
    {
        db::Transaction t(db);
        db.execute("INSERT INTO T VALUES (1)");
    }
    EXPECT_TRUE(db.query("SELECT * FROM T").empty());
    {
        db::Transaction t(db);
        db.execute("INSERT INTO T VALUES (1)");
        t.commit();
    }
    EXPECT_EQ(db.query("SELECT * FROM T").size(), 1u);
}

TEST(Database, BadFilesAndStatementsThrowClearErrors) {
    test::TempDir d;
    std::ofstream(d / "junk.mdb") << "this is not a database at all, just text";
    EXPECT_THROW(db::Database((d / "junk.mdb").string()), db::Error);
    EXPECT_THROW(db::Database((d / "missing.mdb").string()), db::Error);
    db::Database db(":memory:", db::Database::Mode::Create);
    EXPECT_THROW(db.execute("SELECT * FROM NOWHERE"), db::Error);
    db.execute("CREATE TABLE T (A INTEGER)");
    auto& st = db.cached("SELECT COUNT(*) AS N FROM T WHERE A > ?1");
    st.bind(1, 0);
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.column("n").toInt(), 0);
    auto& again = db.cached("SELECT COUNT(*) AS N FROM T WHERE A > ?1");
    EXPECT_EQ(&again, &st);
}
