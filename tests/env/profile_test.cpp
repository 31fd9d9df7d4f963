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

TEST(Profile, TextsThatWouldAddLinesOfTheirOwnAreNeverWritten) {
    TempDir d;
    auto f = d / "Tessed40.INI";
    test::WriteText(f, "[FileCfg]\r\nFile1=/p/a.tdj\r\n");
    const std::string before = test::ReadText(f);
    // A file name holding line breaks must not turn into a section of its own.
    const std::string hostile = "x\n[KERNIX]\nProgram=/tmp/prog\n.tdj";
    struct Case {
        std::string section, key, value;
    };
    for (const Case& c : std::vector<Case>{{"FileCfg", "File2", hostile},
                                           {"FileCfg", "File2", "x\rProgram=y"},
                                           {"FileCfg", "File2", std::string("a\0b", 3)},
                                           {"FileCfg\n[KERNIX]", "File2", "v"},
                                           {"File]Cfg", "File2", "v"},
                                           {"FileCfg", "Program=/tmp/prog\nFile2", "v"},
                                           {"FileCfg", "a=b", "v"},
                                           {"FileCfg", "[KERNIX]", "v"},
                                           {"FileCfg", ";x", "v"}}) {
        EXPECT_FALSE(profile::WriteString(f, c.section, c.key, c.value)) << c.section << c.key;
        EXPECT_EQ(test::ReadText(f), before);
    }
    EXPECT_EQ(profile::GetString(f, "KERNIX", "Program", "none"), "none");
    EXPECT_TRUE(profile::WriteString(f, "FileCfg", "File2", "/p/with = and ; and [x].tdj"));
    EXPECT_EQ(profile::GetString(f, "FileCfg", "File2"), "/p/with = and ; and [x].tdj");
}

TEST(Profile, AFileFarLargerThanAnyRealOneIsNeitherReadNorRewritten) {
    TempDir d;
    auto f = d / "big.ini";
    std::string text = "[generale]\r\nnome=x\r\n";
    text.resize(size_t(profile::kMaxFileSize) + 1, ';');
    test::WriteText(f, text);
    EXPECT_EQ(profile::File::Read(f).state(), profile::File::State::kTooLarge);
    EXPECT_EQ(profile::GetString(f, "generale", "nome", "dflt"), "dflt");
    EXPECT_FALSE(profile::WriteString(f, "generale", "nome", "y"));
    EXPECT_EQ(test::ReadText(f), text);
}

TEST(Profile, OneReadAnswersEveryKeyWithTheFirstOccurrenceRules) {
    TempDir d;
    auto f = d / "p.ini";
    std::string text = "[file]\r\n";
    for (int i = 1; i <= 300; ++i)
        text += "file" + std::to_string(i) + "=" + std::to_string(i) + ".spt\\x.tdx\r\n";
    text += "FILE1=duplicate\r\n[FILE]\r\nfile301=in a duplicate section\r\n";
    test::WriteText(f, text);
    profile::File file = profile::File::Read(f);
    ASSERT_EQ(file.state(), profile::File::State::kRead);
    EXPECT_EQ(file.Whole("File", "FILE1"), "1.spt\\x.tdx");
    EXPECT_EQ(file.Whole("file", "file300"), "300.spt\\x.tdx");
    EXPECT_EQ(file.Whole("file", "file301"), std::nullopt);
    EXPECT_EQ(file.Keys("file").size(), 300u);
    EXPECT_EQ(profile::File::Read(d / "none.ini").state(), profile::File::State::kMissing);
}
