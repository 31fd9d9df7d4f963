#include "env/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "env/profile.h"
#include "support/test_env.h"

using namespace tessed;
using tessed::test::TempDir;
namespace fs = std::filesystem;

namespace {
void touch(const fs::path& p, time_t when) {
    std::ofstream(p) << "x";
    struct utimbuf t {
        when, when
    };
    utime(p.c_str(), &t);
}
void touchNs(const fs::path& p, time_t sec, long nsec) {
    std::ofstream(p) << "x";
    struct timespec t[2] = {{sec, nsec}, {sec, nsec}};
    utimensat(AT_FDCWD, p.c_str(), t, 0);
}

// The id of a process that has ended (and been reaped).
long GonePid() {
    pid_t pid = fork();
    if (pid == 0) _exit(0);
    waitpid(pid, nullptr, 0);
    return long(pid);
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename());
    std::sort(out.begin(), out.end());
    return out;
}
}  // namespace

TEST(Files, NextScenarioNumberTakesTheFirstGap) {
    TempDir d;
    EXPECT_EQ(files::NextScenarioNumber(d.path()), 1);
    fs::create_directory(d / "1.spt");
    fs::create_directory(d / "3.spt");
    std::ofstream(d / "2.spt") << "a file, not a folder";
    EXPECT_EQ(files::NextScenarioNumber(d.path()), 2);
    // A folder of an archive made on Windows takes its number in any letter case.
    fs::create_directory(d / "2.SPT");
    EXPECT_EQ(files::NextScenarioNumber(d.path()), 4);
    fs::remove(d / "2.SPT");
    fs::remove(d / "2.spt");
    for (int i = 1; i <= 999; ++i) fs::create_directories(d / (std::to_string(i) + ".spt"));
    EXPECT_EQ(files::NextScenarioNumber(d.path()), 0);
}

TEST(Files, ScenarioCompileStateComparesWholeSeconds) {
    TempDir d;
    auto tdx = d / "Kitchen.tdx";
    touch(tdx, 1700000000);
    EXPECT_EQ(files::ScenarioCompileState(tdx), 0);  // neither .spt nor .err
    touch(d / "Kitchen.err", 1699999990);
    EXPECT_EQ(files::ScenarioCompileState(tdx), 1);
    touch(d / "Kitchen.spt", 1700000000);  // same second: compiled
    EXPECT_EQ(files::ScenarioCompileState(tdx), -1);
    touch(d / "Kitchen.spt", 1699999999);  // older than the scenario
    EXPECT_EQ(files::ScenarioCompileState(tdx), 0);
}

TEST(Files, ScenarioCompileStateSeesAFailedRecompile) {
    TempDir d;
    auto tdx = d / "Kitchen.tdx";
    touch(tdx, 1700000000);
    touchNs(d / "Kitchen.spt", 1700000001, 100);
    EXPECT_EQ(files::ScenarioCompileState(tdx), -1);
    // A recompile that fails in the same second keeps the old compiled file.
    touchNs(d / "Kitchen.err", 1700000001, 200);
    EXPECT_EQ(files::ScenarioCompileState(tdx), 1);
    // A file system that keeps whole seconds only (or a project unpacked from
    // an archive) gives both the same time: only a failure leaves both files.
    touchNs(d / "Kitchen.err", 1700000001, 100);
    EXPECT_EQ(files::ScenarioCompileState(tdx), 1);
    touchNs(d / "Kitchen.spt", 1700000001, 300);
    EXPECT_EQ(files::ScenarioCompileState(tdx), -1);
    // The error wins even over a scenario file changed after the compile.
    touchNs(d / "Kitchen.err", 1700000005, 0);
    touch(tdx, 1700000009);
    EXPECT_EQ(files::ScenarioCompileState(tdx), 1);
}

TEST(Files, CsvLineIsQuotedUtf16) {
    EXPECT_EQ(files::CsvLineBytes("a\tb\"c"), profile::Utf8ToUtf16Le("\"a\";\"b\"\"c\"\r\n"));
    // An empty line keeps the file valid UTF-16LE.
    EXPECT_EQ(files::CsvLineBytes(""), std::string("\r\0\n\0", 4));
    // Line breaks inside a field never split the record.
    EXPECT_EQ(files::CsvLineBytes("x\r\ny"), profile::Utf8ToUtf16Le("\"x  y\"\r\n"));
    EXPECT_EQ(files::CsvLineBytes("\t"), profile::Utf8ToUtf16Le("\"\";\"\"\r\n"));
}

TEST(Files, ACsvFieldNeverAddsAFieldNorBreaksTheLine) {
    struct Case {
        std::string text, field, written;  // written: the field as the line shows it
    };
    const Case cases[] = {
        {"plain text; more", "plain text; more", "plain text; more"},
        {"a\tb", "a b", "a b"},
        {"\t\tlead", "  lead", "  lead"},
        {"x\r\ny\t", "x\r\ny ", "x  y "},
        {"caf\xC3\xA9\t", "caf\xC3\xA9 ", "caf\xC3\xA9 "},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(files::CsvField(c.text), c.field) << c.text;
        // Joined with another field, the line keeps two fields.
        EXPECT_EQ(files::CsvLineBytes("k\t" + files::CsvField(c.text)),
                  profile::Utf8ToUtf16Le("\"k\";\"" + c.written + "\"\r\n"))
            << c.text;
    }
}

TEST(Files, HexTextRoundTripsAndNeverFails) {
    EXPECT_EQ(files::TextToHex("A"), "4100");
    std::string text = "Cucina \xC3\xA8 \xE2\x82\xAC \xF0\x9F\x92\xA1";  // è € and an emoji
    EXPECT_EQ(files::HexToText(files::TextToHex(text)), text);
    EXPECT_EQ(files::HexToText(""), "");
    EXPECT_EQ(files::HexToText("41000"), "A");  // odd length: the last digit is ignored
    EXPECT_EQ(files::HexToText("4Z00"), std::string("\x04", 1));
    EXPECT_NO_THROW(files::HexToText("zz\xff\x80 garbage"));
    EXPECT_NO_THROW(files::HexToText("00D8"));  // a lone surrogate
}

TEST(Files, TemporaryNamesAreUniqueAndReserved) {
    TempDir d;
    std::string err;
    std::set<std::string> names;
    for (int i = 0; i < 200; ++i) {
        std::string n = files::GetTempFileName((d / "work").string(), "RS~", "tmp", err);
        ASSERT_FALSE(n.empty());
        EXPECT_TRUE(fs::exists(n));
        EXPECT_EQ(fs::path(n).extension(), ".tmp");
        EXPECT_EQ(fs::path(n).filename().string().substr(0, 3), "RS~");
        names.insert(n);
    }
    EXPECT_EQ(names.size(), 200u);
    EXPECT_TRUE(err.empty());

    std::string folder = files::UniqueFolderName((d / "imports").string(), "prj", err);
    EXPECT_TRUE(fs::is_directory(d / "imports"));
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(fs::path(folder).parent_path(), d / "imports");
}

TEST(Files, UnwritableFolderGivesTheMessageText) {
    TempDir d;
    std::ofstream(d / "file") << "x";
    std::string err;
    EXPECT_EQ(files::GetTempFileName((d / "file" / "sub").string(), "A", "tmp", err), "");
    EXPECT_FALSE(err.empty());
    err.clear();
    EXPECT_EQ(files::UniqueFolderName((d / "file" / "sub").string(), "A", err), "");
    EXPECT_FALSE(err.empty());
}

TEST(Files, AtomicWriteReplacesWholeOrNothing) {
    TempDir d;
    auto f = d / "x.txt";
    ASSERT_TRUE(files::WriteFileAtomic(f, "first"));
    ASSERT_TRUE(files::WriteFileAtomic(f, "second"));
    std::string s;
    ASSERT_TRUE(files::ReadFile(f, s));
    EXPECT_EQ(s, "second");
    EXPECT_FALSE(files::WriteFileAtomic(d / "none" / "x.txt", "data"));
    int count = 0;
    for (auto& e : fs::directory_iterator(d.path())) count += e.path() != f;
    EXPECT_EQ(count, 0) << "no temporary file is left behind";
}

TEST(Files, IsInsideRejectsEscapes) {
    TempDir d;
    fs::create_directories(d / "data" / "temp");
    EXPECT_TRUE(files::IsInside(d / "data" / "temp", d / "data"));
    EXPECT_FALSE(files::IsInside(d / "data", d / "data"));
    EXPECT_FALSE(files::IsInside(d / "data" / "temp" / ".." / "..", d / "data"));
    EXPECT_FALSE(files::IsInside(d / "database", d / "data"));
    fs::create_directory_symlink(d.path(), d / "data" / "link");
    EXPECT_FALSE(files::IsInside(d / "data" / "link" / "elsewhere", d / "data"));
}

TEST(Files, AnOverwriteFollowsLinksAndRefusesWriteProtectedTargets) {
    TempDir d;
    const fs::path real = d / "real.txt";
    ASSERT_TRUE(files::WriteFileAtomic(real, "first"));
    fs::permissions(real, fs::perms(0640));
    fs::create_symlink("real.txt", d / "link.txt");
    fs::create_symlink(d / "link.txt", d / "chain.txt");
    ASSERT_TRUE(files::WriteFileAtomic(d / "chain.txt", "second"));
    EXPECT_TRUE(fs::is_symlink(d / "link.txt"));
    EXPECT_TRUE(fs::is_symlink(d / "chain.txt"));
    EXPECT_EQ(test::ReadText(real), "second");
    EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640));

    // Read-only counts even for a user who could write anyway.
    fs::permissions(real, fs::perms(0444));
    files::AtomicFile::Status why{};
    EXPECT_FALSE(files::WriteFileAtomic(real, "third", &why));
    EXPECT_EQ(why, files::AtomicFile::Status::ReadOnly);
    EXPECT_FALSE(files::WriteFileAtomic(d / "link.txt", "third", &why));
    EXPECT_EQ(why, files::AtomicFile::Status::ReadOnly);
    EXPECT_TRUE(files::IsWriteProtected(d / "chain.txt"));
    EXPECT_EQ(test::ReadText(real), "second");
    fs::create_directory(d / "folder");
    EXPECT_FALSE(files::WriteFileAtomic(d / "folder", "x", &why));
    EXPECT_EQ(why, files::AtomicFile::Status::NotAFile);
    EXPECT_EQ(Names(d.path()),
              (std::vector<std::string>{"chain.txt", "folder", "link.txt", "real.txt"}));
}

TEST(Files, TemporariesOfKilledWritersAreRemovedOnlyWhenTheirOwnerHasGone) {
    TempDir d;
    const std::string gone = std::to_string(GonePid()), own = std::to_string(getpid());
    for (const std::string& name : {".x.txt.~p" + gone + "-AbCdEf", ".x.txt.~p" + own + "-AbCdEf",
                                    ".y.txt.~p" + gone + "-123456", ".x.txt.~p" + gone + "-toolong",
                                    "x.txt.~p" + gone + "-AbCdEf"})
        test::WriteText(d / name, "left");
    // An overwrite of x.txt takes away what a killed writer of x.txt left.
    ASSERT_TRUE(files::WriteFileAtomic(d / "x.txt", "new"));
    std::vector<std::string> left = {".x.txt.~p" + gone + "-toolong", ".x.txt.~p" + own + "-AbCdEf",
                                     ".y.txt.~p" + gone + "-123456", "x.txt",
                                     "x.txt.~p" + gone + "-AbCdEf"};
    std::sort(left.begin(), left.end());
    EXPECT_EQ(Names(d.path()), left);
    // The sweep of a folder takes every stale one, and only those.
    EXPECT_EQ(files::RemoveStaleTemporaries(d.path()), 1);
    EXPECT_FALSE(fs::exists(d / (".y.txt.~p" + gone + "-123456")));
    EXPECT_TRUE(fs::exists(d / (".x.txt.~p" + own + "-AbCdEf")));
    // The own temporary of a write in progress is recognisable as such.
    files::AtomicFile pending(d / "x.txt");
    ASSERT_TRUE(pending.ok());
    EXPECT_EQ(Names(d.path()).size(), 5u);
    EXPECT_EQ(files::RemoveStaleTemporaries(d.path()), 0);
}

TEST(Files, FolderNamesEndWhenEveryNumberIsTaken) {
    TempDir d;
    std::string err;
    // Every name the search may give exists (files will do: a name is taken).
    // The numbers run to 1000 here instead of 100000, to keep the test quick.
    constexpr int kRange = 1000;
    fs::create_directory(d / "full");
    for (int n = 1; n <= kRange; ++n) {
        std::string p = (d / "full" / ("PRJ" + std::to_string(n))).string();
        ::close(::open(p.c_str(), O_CREAT | O_WRONLY, 0644));
    }
    EXPECT_EQ(files::UniqueFolderName((d / "full").string(), "PRJ", err, kRange), "");
    EXPECT_FALSE(err.empty());
    // One free number is found however full the folder is.
    fs::remove(d / "full" / "PRJ777");
    err.clear();
    EXPECT_EQ(files::UniqueFolderName((d / "full").string(), "PRJ", err, kRange),
              (d / "full" / "PRJ777").string());
    // Folders of one's own are made at once, each a new one.
    fs::path a = files::CreateUniqueFolder(d / "full", "PRJ", err);
    fs::path b = files::CreateUniqueFolder(d / "full", "PRJ", err);
    EXPECT_TRUE(fs::is_directory(a));
    EXPECT_TRUE(fs::is_directory(b));
    EXPECT_NE(a, b);
    EXPECT_EQ(a.parent_path(), d / "full");
    test::WriteText(d / "file", "x");
    EXPECT_EQ(files::CreateUniqueFolder(d / "file" / "sub", "PRJ", err), fs::path());
}
