#include "env/profile.h"

#include <gtest/gtest.h>

#include <fstream>

#include "env/files.h"
#include "support/test_env.h"

using namespace tessed;
using tessed::test::TempDir;

TEST(Profile, ReadingFollowsTheWindowsRules) {
    TempDir d;
    auto f = d / "a.ini";
    test::WriteText(f,
                    "stray=before any section\r\n"
                    "[ General ] trailing words\r\n"
                    "  Lingua =  ENG  \r\n"
                    "; Lingua=comment\r\n"
                    "lingua=second occurrence\r"
                    "Quoted=\"  spaced  \"\n"
                    "Single='x'\n"
                    "Half=\"x'\n"
                    "Hash=#not a comment\n"
                    "NoEquals\n"
                    "[general]\n"
                    "Other=in duplicate section\n");
    EXPECT_EQ(profile::GetString(f, "GENERAL", "LINGUA", "ITA"), "ENG");
    EXPECT_EQ(profile::GetString(f, "general", "quoted"), "  spaced  ");
    EXPECT_EQ(profile::GetString(f, "General", "Single"), "x");
    EXPECT_EQ(profile::GetString(f, "General", "Half"), "\"x'");
    EXPECT_EQ(profile::GetString(f, "General", "Hash"), "#not a comment");
    EXPECT_EQ(profile::GetString(f, "General", "NoEquals", "dflt"), "dflt");
    EXPECT_EQ(profile::GetString(f, "General", "Other", "dflt"), "dflt");
    EXPECT_EQ(profile::GetString(f, "General", "stray", "dflt"), "dflt");
    EXPECT_EQ(profile::GetString(d / "missing.ini", "General", "Lingua", "ITA"), "ITA");
    EXPECT_EQ(profile::GetString(f, "Nowhere", "Lingua"), "");
}

TEST(Profile, BufferCutsLongValuesButWholeReadDoesNot) {
    TempDir d;
    auto f = d / "long.ini";
    std::string v(400, 'x');
    v += "\xC3\xA8";  // a two-byte character after the cut
    ASSERT_TRUE(profile::WriteString(f, "S", "K", v));
    EXPECT_EQ(profile::GetString(f, "S", "K").size(), 254u);
    EXPECT_EQ(*profile::GetWhole(f, "S", "K"), v);
    EXPECT_EQ(profile::GetString(f, "S", "K", "", 3), "xx");
    EXPECT_FALSE(profile::GetWhole(f, "S", "missing").has_value());
}

TEST(Profile, WritingKeepsLayoutAndAppendsWhereWindowsDoes) {
    TempDir d;
    auto f = d / "w.ini";
    test::WriteText(f, "; head\r\n[One]\r\nA = 1\r\n\r\n[Two]\r\nB=2\r\n");
    ASSERT_TRUE(profile::WriteString(f, "one", "a", "10"));   // existing key keeps its spelling
    ASSERT_TRUE(profile::WriteString(f, "ONE", "C", "3"));    // new key at the end of its section
    ASSERT_TRUE(profile::WriteString(f, "Three", "D", "4"));  // new section at the end
    EXPECT_EQ(test::ReadText(f),
              "; head\r\n[One]\r\nA=10\r\nC=3\r\n\r\n[Two]\r\nB=2\r\n[Three]\r\nD=4\r\n");

    ASSERT_TRUE(profile::WriteString(f, "One", "A", std::nullopt));  // null value deletes the key
    ASSERT_TRUE(profile::WriteString(f, "Two", std::nullopt, std::nullopt));  // null key: section
    EXPECT_EQ(test::ReadText(f), "; head\r\n[One]\r\nC=3\r\n\r\n[Three]\r\nD=4\r\n");
}

TEST(Profile, EncodingsOfWindowsFilesAreReadAndKept) {
    TempDir d;
    // UTF-16LE with its byte-order mark stays UTF-16LE when written.
    auto u16 = d / "u16.ini";
    test::WriteText(
        u16, std::string("\xFF\xFE", 2) + profile::Utf8ToUtf16Le("[S]\r\nK=caff\xC3\xA8\r\n"));
    EXPECT_EQ(profile::GetString(u16, "S", "K"), "caff\xC3\xA8");
    ASSERT_TRUE(profile::WriteString(u16, "S", "L", "\xE2\x82\xAC"));
    std::string raw = test::ReadText(u16);
    ASSERT_GE(raw.size(), 2u);
    EXPECT_EQ(raw.substr(0, 2), std::string("\xFF\xFE", 2));
    EXPECT_EQ(profile::Utf16LeToUtf8(raw.substr(2)), "[S]\r\nK=caff\xC3\xA8\r\nL=\xE2\x82\xAC\r\n");

    // A single-byte Windows file reads as Windows-1252.
    auto ansi = d / "ansi.ini";
    test::WriteText(ansi, "[S]\r\nK=caff\xE8 \x80\r\n");
    EXPECT_EQ(profile::GetString(ansi, "S", "K"), "caff\xC3\xA8 \xE2\x82\xAC");
}

TEST(Profile, FailedWriteLeavesTheFileAlone) {
    TempDir d;
    auto f = d / "nofolder" / "x.ini";
    EXPECT_FALSE(profile::WriteString(f, "S", "K", "V"));
    EXPECT_FALSE(std::filesystem::exists(f));
}
