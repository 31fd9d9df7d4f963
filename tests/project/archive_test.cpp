#include "project/archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <random>

#include "env/files.h"
#include "support/test_env.h"
#include "zip_writer.h"

namespace tessed::archive {
namespace {

using test::TempDir;
constexpr auto Get = test::ReadText;

void Put(const fs::path& p, const std::string& bytes, int64_t mtime = 0) {
    test::WriteText(p, bytes);
    if (mtime) {
        struct timespec t[2] = {{0, UTIME_OMIT}, {mtime, 0}};
        utimensat(AT_FDCWD, p.c_str(), t, 0);
    }
}

// Every path under a folder, relative, sorted: shows exactly what an operation left.
std::vector<std::string> Tree(const fs::path& root) {
    std::vector<std::string> out;
    std::error_code ec;
    if (!fs::exists(root, ec)) return out;
    for (auto& e : fs::recursive_directory_iterator(root))
        out.push_back(fs::relative(e.path(), root).string());
    std::sort(out.begin(), out.end());
    return out;
}

int Shell(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()); }

// An archive written straight through the library, so that entries this module
// would never write (unsafe names, links) can be offered to the reader.
struct Raw {
    std::string name, data;
    char kind = 'f';  // f file, d folder, s symbolic link (zip has no hard links)
    std::string link = {};
};
void Craft(const fs::path& target, const std::vector<Raw>& entries) {
    struct archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    ASSERT_EQ(archive_write_open_filename(a, target.c_str()), ARCHIVE_OK);
    for (const auto& r : entries) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, r.name.c_str());
        archive_entry_set_filetype(e, r.kind == 'd'   ? AE_IFDIR
                                      : r.kind == 's' ? AE_IFLNK
                                                      : AE_IFREG);
        archive_entry_set_perm(e, 0644);
        if (r.kind == 's') archive_entry_set_symlink(e, r.link.c_str());
        archive_entry_set_size(e, r.kind == 'f' ? int64_t(r.data.size()) : 0);
        archive_write_header(a, e);
        if (r.kind == 'f') archive_write_data(a, r.data.data(), r.data.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}

std::vector<std::string> Names(const fs::path& zip) {
    std::vector<ArchiveEntryInfo> list;
    EXPECT_TRUE(ListArchive(zip, list));
    std::vector<std::string> out;
    for (const auto& e : list) out.push_back(e.name + (e.encrypted ? " (encrypted)" : ""));
    return out;
}

const std::string kBinary("PK\x03\x04\0\xff\r\n\x1a tail", 15);

TEST(Archive, SafeEntryNames) {
    EXPECT_EQ(SafeEntryName("3.spt\\Kitchen.tdx"), "3.spt/Kitchen.tdx");
    EXPECT_EQ(SafeEntryName("./a//b/"), "a/b");
    for (const char* bad :
         {"", "/abs", "\\abs", "../x", "a/../../x", "..\\x", "a/..", "C:x", "c:\\x", "./", "."})
        EXPECT_EQ(SafeEntryName(bad), "") << bad;
}

TEST(Archive, EncryptedRoundTripKeepsBytesNamesAndTimes) {
    TempDir t;
    // The compiled file one second newer than the scenario file: the compile
    // state depends on that second surviving the archive (zip's own time field
    // has two-second steps).
    Put(t / "src/a.tdx", "<SCENARIO/>", 1700000001);
    Put(t / "src/a.spt", kBinary, 1700000002);
    Put(t / "src/empty", "");
    std::vector<ArchiveItem> items{{"3.spt\\a.tdx", t / "src/a.tdx"},
                                   {"3.spt/a.spt", t / "src/a.spt"},
                                   {"Cucina è.tdx", t / "src/empty"}};
    ASSERT_TRUE(WriteArchive(t / "p.tdj", items, kProjectPassword));

    std::vector<ArchiveEntryInfo> list;
    ASSERT_TRUE(ListArchive(t / "p.tdj", list));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "3.spt/a.tdx");
    EXPECT_TRUE(list[0].encrypted && list[1].encrypted);
    EXPECT_EQ(list[1].size, int64_t(kBinary.size()));

    ASSERT_TRUE(ExtractArchive(t / "p.tdj", t / "out", kProjectPassword));
    EXPECT_EQ(Tree(t / "out"),
              (std::vector<std::string>{"3.spt", "3.spt/a.spt", "3.spt/a.tdx", "Cucina è.tdx"}));
    EXPECT_EQ(Get(t / "out/3.spt/a.spt"), kBinary);
    EXPECT_EQ(Get(t / "out/Cucina è.tdx"), "");
    EXPECT_EQ(files::ModifiedSeconds(t / "out/3.spt/a.tdx"), 1700000001);
    EXPECT_EQ(files::ScenarioCompileState(t / "out/3.spt/a.tdx"), -1);

    std::string data;
    ASSERT_TRUE(ReadEntry(t / "p.tdj", "3.spt\\a.spt", data, kProjectPassword));
    EXPECT_EQ(data, kBinary);
    EXPECT_EQ(ReadEntry(t / "p.tdj", "nope", data, kProjectPassword).status,
              ArchiveStatus::NotFound);
}

TEST(Archive, PackFolderTakesOnlyTheFolderFilesWithoutPassword) {
    TempDir t;
    Put(t / "3.spt/b.tdx", "b");
    Put(t / "3.spt/a.csv", "a");
    Put(t / "3.spt/sub/x", "x");
    fs::create_symlink("/etc/passwd", t / "3.spt/link");
    ASSERT_TRUE(
        PackFolder(t / "3.spt", t / "3.spt/3.spt.zip"));  // written inside the folder itself
    EXPECT_EQ(Names(t / "3.spt/3.spt.zip"), (std::vector<std::string>{"a.csv", "b.tdx"}));
    EXPECT_EQ(PackFolder(t / "none", t / "x.zip").status, ArchiveStatus::Missing);
}

TEST(Archive, FailedWriteLeavesTheOldArchiveAndNoTemporaryFile) {
    TempDir t;
    Put(t / "f", "new");
    Put(t / "p.tdj", "old archive");
    EXPECT_EQ(WriteArchive(t / "p.tdj", {{"f", t / "f"}, {"g", t / "missing"}}).status,
              ArchiveStatus::Missing);
    EXPECT_EQ(WriteArchive(t / "p.tdj", {{"../f", t / "f"}}).status, ArchiveStatus::UnsafeEntry);
    EXPECT_EQ(Get(t / "p.tdj"), "old archive");
    EXPECT_EQ(Tree(t.path()), (std::vector<std::string>{"f", "p.tdj"}));
    ASSERT_TRUE(WriteArchive(t / "p.tdj", {{"f", t / "f"}}));
    std::string data;
    ASSERT_TRUE(ReadEntry(t / "p.tdj", "f", data));
    EXPECT_EQ(data, "new");
}

// A disk that fills up while the archive is written: the process may write no
// more than `bytes` into any file while the object lives (SIGXFSZ ignored, so
// the write fails with EFBIG as it would with ENOSPC).
class FullDisk {
  public:
    explicit FullDisk(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }

  private:
    struct rlimit old_ {};
    void (*handler_)(int) = nullptr;
};

TEST(Archive, ASaveOnAFullDiskFailsWholeAndReleasesEverything) {
    TempDir t;
    // Data that does not compress, so the archive outgrows the disk mid-entry.
    std::string noise(1 << 20, '\0');
    std::mt19937 gen(7);
    for (auto& c : noise) c = char(gen());
    Put(t / "big", noise);
    Put(t / "p.tdj", "old archive");
    const std::vector<ArchiveItem> items{{"a", t / "big"}, {"b", t / "big"}};
    size_t before = 0, after = 0;
    {
        FullDisk disk(256 * 1024);
        // The first failure settles what the library keeps for the process.
        EXPECT_EQ(WriteArchive(t / "p.tdj", items, kProjectPassword).status,
                  ArchiveStatus::CannotWrite);
        before = mallinfo2().uordblks;
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(WriteArchive(t / "p.tdj", items, kProjectPassword).status,
                      ArchiveStatus::CannotWrite);
        after = mallinfo2().uordblks;
    }
    // Every compressor's state (about 270 KB each) is freed on the failed path.
    EXPECT_LT(after, before + 512 * 1024) << "grew by " << (after - before) << " bytes";
    EXPECT_EQ(Get(t / "p.tdj"), "old archive");
    EXPECT_EQ(Tree(t.path()), (std::vector<std::string>{"big", "p.tdj"}));
}

TEST(Archive, WrongOrMissingPasswordChangesNothing) {
    TempDir t;
    Put(t / "f", "secret");
    ASSERT_TRUE(WriteArchive(t / "p.tdj", {{"a", t / "f"}, {"b", t / "f"}}, kProjectPassword));
    Put(t / "work/keep", "keep");
    for (std::string_view pw : {std::string_view("WRONG"), std::string_view()}) {
        auto r = ExtractArchive(t / "p.tdj", t / "work", pw);
        EXPECT_EQ(r.status, ArchiveStatus::WrongPassword) << r.detail;
        EXPECT_EQ(ExtractArchive(t / "p.tdj", t / "fresh", pw).status,
                  ArchiveStatus::WrongPassword);
        std::string data;
        EXPECT_EQ(ReadEntry(t / "p.tdj", "a", data, pw).status, ArchiveStatus::WrongPassword);
    }
    EXPECT_EQ(Tree(t.path()), (std::vector<std::string>{"f", "p.tdj", "work", "work/keep"}));
}

TEST(Archive, UnsafeEntriesAreRefusedAndNothingIsWritten) {
    TempDir t;
    // Each after a harmless entry, which must not be written either.
    const std::vector<std::vector<Raw>> bad{
        {{"../escape", "x"}},      {{"/tmp/tessed-abs-escape", "x"}},
        {{"a/../../escape", "x"}}, {{"..\\escape", "x"}},
        {{"C:\\escape", "x"}},     {{"lnk", "", 's', "/etc"}, {"lnk/passwd", "x"}},
    };
    int n = 0;
    for (auto entries : bad) {
        fs::path zip = t / ("bad" + std::to_string(++n) + ".zip");
        entries.insert(entries.begin(), Raw{"ok", "1"});
        Craft(zip, entries);
        Put(t / "work/keep", "keep");
        auto r = ExtractArchive(zip, t / "work/dest");
        EXPECT_EQ(r.status, ArchiveStatus::UnsafeEntry) << zip << " " << r.detail;
        EXPECT_EQ(Tree(t / "work"), std::vector<std::string>{"keep"}) << zip;
        EXPECT_EQ(UnpackProject(zip, t / "work/dest", {}).status, ArchiveStatus::UnsafeEntry);
        EXPECT_EQ(Tree(t / "work"), std::vector<std::string>{"keep"}) << zip;
    }
    EXPECT_FALSE(fs::exists(t / "escape"));
    EXPECT_FALSE(fs::exists("/tmp/tessed-abs-escape"));
}

TEST(Archive, DamagedArchivesGiveErrorsNotCrashes) {
    TempDir t;
    std::string body;
    for (int i = 0; i < 3000; ++i) body += "line " + std::to_string(i * 7919 % 1000) + "\n";
    Put(t / "f", body);
    for (std::string_view pw : {std::string_view(), kProjectPassword}) {
        ASSERT_TRUE(WriteArchive(t / "good.zip", {{"a", t / "f"}, {"b", t / "f"}}, pw));
        std::string good = Get(t / "good.zip");
        for (size_t cut : {size_t(0), size_t(10), size_t(40), good.size() / 2, good.size() - 30}) {
            Put(t / "cut.zip", good.substr(0, cut));
            auto r = ExtractArchive(t / "cut.zip", t / "dest", pw);
            EXPECT_FALSE(r.ok()) << cut;
            EXPECT_FALSE(fs::exists(t / "dest")) << cut;
        }
        std::string flipped = good;
        for (size_t i = 200; i < 240; ++i) flipped[i] = char(flipped[i] ^ 0x5a);
        Put(t / "flip.zip", flipped);
        EXPECT_FALSE(ExtractArchive(t / "flip.zip", t / "dest", pw).ok());
        EXPECT_FALSE(fs::exists(t / "dest"));
    }
    Put(t / "text.zip", "not an archive at all");
    EXPECT_EQ(ExtractArchive(t / "text.zip", t / "dest").status, ArchiveStatus::CannotRead);
    EXPECT_EQ(ExtractArchive(t / "none.zip", t / "dest").status, ArchiveStatus::Missing);
}

TEST(Archive, ExtractMergesIntoAnExistingFolderOrRefusesAClash) {
    TempDir t;
    Put(t / "f", "new");
    ASSERT_TRUE(WriteArchive(t / "a.zip", {{"same", t / "f"}, {"d/x", t / "f"}}));
    Put(t / "dest/same", "old");
    Put(t / "dest/other", "other");
    ASSERT_TRUE(ExtractArchive(t / "a.zip", t / "dest"));
    EXPECT_EQ(Get(t / "dest/same"), "new");
    EXPECT_EQ(Get(t / "dest/other"), "other");
    EXPECT_EQ(Get(t / "dest/d/x"), "new");

    Put(t / "clash/same", "old");
    Put(t / "clash/d", "a file where the archive has a folder");
    EXPECT_EQ(ExtractArchive(t / "a.zip", t / "clash").status, ArchiveStatus::CannotWrite);
    EXPECT_EQ(Get(t / "clash/same"), "old");
    EXPECT_EQ(Tree(t / "clash"), (std::vector<std::string>{"d", "same"}));
}

// A staging folder as a project save leaves it: settings file, inner zips, info.xml.
void Stage(const TempDir& t, const fs::path& staging) {
    Put(t / "w/3.spt/Kitchen.tdx", "<SCENARIO/>", 1700000003);
    Put(t / "w/3.spt/Kitchen.spt", kBinary, 1700000004);
    Put(t / "w/12.spt/Hall.tdx", "<SCENARIO/>", 1700000009);
    Put(t / "w/12.spt/Hall.spt", "old", 1700000008);  // stale
    ASSERT_TRUE(PackFolder(t / "w/3.spt", staging / "3.spt.zip"));
    ASSERT_TRUE(PackFolder(t / "w/12.spt", staging / "12.spt.ZIP"));
    Put(staging / "Home.prj", "[generale]\r\nkeyfile=Tessaro\r\n");
    Put(staging / "info.xml", "<info/>");
}

TEST(Archive, ProjectUnpacksInnerZipsIntoTheirFolders) {
    TempDir t;
    Stage(t, t / "staging");
    ASSERT_TRUE(PackProject(t / "staging", t / "Home.tdj"));
    EXPECT_EQ(Names(t / "Home.tdj").size(), 4u);

    fs::create_directories(t / "data/temp");
    ASSERT_TRUE(UnpackProject(t / "Home.tdj", t / "data/temp"));
    EXPECT_EQ(Tree(t / "data/temp"),
              (std::vector<std::string>{"12.spt", "12.spt/Hall.spt", "12.spt/Hall.tdx", "3.spt",
                                        "3.spt/Kitchen.spt", "3.spt/Kitchen.tdx", "Home.prj",
                                        "info.xml"}));
    EXPECT_EQ(files::ScenarioCompileState(t / "data/temp/3.spt/Kitchen.tdx"), -1);
    EXPECT_EQ(files::ScenarioCompileState(t / "data/temp/12.spt/Hall.tdx"), 0);
    // No scratch folder is left beside the destination.
    EXPECT_EQ(std::distance(fs::directory_iterator(t / "data"), fs::directory_iterator()), 1);
    EXPECT_EQ(UnpackProject(t / "Home.tdj", t / "x", "WRONG").status, ArchiveStatus::WrongPassword);
}

TEST(Archive, ProjectWithABadInnerZipLeavesNothing) {
    TempDir t;
    Put(t / "f", "x");
    Craft(t / "evil.zip", {{"../../escape", "x"}});
    Put(t / "broken.zip", "PK\x03\x04 truncated");
    for (auto [name, inner] : {std::pair{"3.spt.zip", "evil.zip"},
                               std::pair{"3.spt.zip", "broken.zip"}, std::pair{"...zip", "good"}}) {
        if (std::string(inner) == "good") {
            ASSERT_TRUE(WriteArchive(t / "good", {{"a", t / "f"}}));
        }
        ASSERT_TRUE(WriteArchive(t / "p.tdj", {{"Home.prj", t / "f"}, {name, t / inner}},
                                 kProjectPassword));
        EXPECT_FALSE(UnpackProject(t / "p.tdj", t / "data/temp").ok()) << name << " " << inner;
        EXPECT_FALSE(fs::exists(t / "data/temp"));
        EXPECT_EQ(Tree(t / "data"), std::vector<std::string>{});
    }
    EXPECT_FALSE(fs::exists(t / "escape"));
}

hostile::ZipEntry Entry(std::string name, std::string content) {
    hostile::ZipEntry e;
    e.name = std::move(name);
    e.content = std::move(content);
    return e;
}

// Archives that unpack to more than any project: each refused as TooLarge,
// whatever its headers say, quickly, leaving neither the destination nor a
// scratch folder. Limits are small here so that a case costs kilobytes, the
// real ones are tried once each with gigabytes.
TEST(ArchiveLimits, BombsAreRefusedWhileUnpackingAndLeaveNothing) {
    using hostile::ZipEntry;
    auto plain = [](std::string name, size_t bytes) {
        ZipEntry e;
        e.name = std::move(name);
        e.content = std::string(bytes, 'z');
        return e;
    };
    auto zeros = [](std::string name, uint64_t mib, uint64_t claimed = 0) {
        ZipEntry e;
        e.name = std::move(name);
        e.precompressed = true;
        e.deflated = hostile::DeflatedZeros(mib);
        e.lieAboutSize = claimed != 0;
        e.claimedSize = claimed;
        return e;
    };
    ExtractLimits small;
    small.entries = 4;
    small.entryBytes = 1000;
    small.totalBytes = 2500;
    small.scenarioBytes = 300;
    const ExtractLimits real;
    struct Case {
        const char* what;
        std::vector<ZipEntry> entries;
        const ExtractLimits& limits;
        bool refused;
    };
    const std::vector<Case> cases{
        {"entries at the limit",
         {plain("a", 1), plain("b", 1), plain("c", 1), plain("d", 1)},
         small,
         false},
        {"one entry too many",
         {plain("a", 1), plain("b", 1), plain("c", 1), plain("d", 1), plain("e", 1)},
         small,
         true},
        {"an entry at the limit", {plain("a", 1000)}, small, false},
        {"an entry one byte over", {plain("a", 1001)}, small, true},
        {"a total at the limit",
         {plain("a", 1000), plain("b", 1000), plain("c", 500)},
         small,
         false},
        {"a total one byte over",
         {plain("a", 1000), plain("b", 1000), plain("c", 501)},
         small,
         true},
        {"a scenario file at its limit", {plain("1.tdx", 300)}, small, false},
        {"a scenario file over it, in capitals", {plain("sub/1.TDX", 301)}, small, true},
        {"another file of that size", {plain("1.spt", 301)}, small, false},
        {"4 GiB of zeros", {plain("1.tdx", 10), zeros("junk.bin", 4096)}, real, true},
        {"an entry claiming 100 bytes", {zeros("small.bin", 200, 100)}, real, true},
        {"a total of 8 entries of 20 MiB",
         {zeros("a", 20), zeros("b", 20), zeros("c", 20), zeros("d", 20), zeros("e", 20),
          zeros("f", 20), zeros("g", 20), zeros("h", 20)},
         real,
         true},
        {"a scenario file of 9 MiB", {zeros("1.tdx", 9)}, real, true},
    };
    for (const auto& c : cases) {
        TempDir t;
        ASSERT_TRUE(hostile::WriteZip(t / "in.zip", c.entries)) << c.what;
        // Processor time, not wall time: a loaded machine must not make a
        // refusal that stopped at the limit look like one that inflated
        // gigabytes (which costs seconds of processor time wherever it runs).
        const double start = test::ProcessSeconds();
        auto r = ExtractArchive(t / "in.zip", t / "data/dest", {}, c.limits);
        const double seconds = test::ProcessSeconds() - start;
        if (!c.refused) {
            EXPECT_TRUE(r.ok()) << c.what << ": " << r.detail;
            continue;
        }
        EXPECT_EQ(r.status, ArchiveStatus::TooLarge) << c.what << ": " << r.detail;
        EXPECT_EQ(Tree(t / "data"), std::vector<std::string>{}) << c.what;
        EXPECT_LT(seconds, 2.0) << c.what;
    }
}

TEST(ArchiveLimits, AProjectCountsItsInnerArchivesWithTheOuterOne) {
    using hostile::ZipEntry;
    auto entry = [](std::string name, std::string content, std::string password = {}) {
        ZipEntry e;
        e.name = std::move(name);
        e.content = std::move(content);
        e.password = std::move(password);
        return e;
    };
    auto project = [&](int innerFiles, size_t innerBytes) {
        std::vector<ZipEntry> inner;
        for (int i = 0; i < innerFiles; ++i) {
            inner.push_back(entry("f" + std::to_string(i), std::string(innerBytes, 'x')));
            inner.back().deflate = false;
        }
        return std::vector<ZipEntry>{
            entry("Home.prj", "[generale]", std::string(kProjectPassword)),
            entry("1.spt.zip", hostile::ZipBytes(inner), std::string(kProjectPassword))};
    };
    ExtractLimits limits;
    limits.entries = 5;
    // Two outer entries and three inner ones are five; a fourth inner one is
    // one too many though each archive alone holds fewer than five.
    for (auto [files, refused] : {std::pair{3, false}, std::pair{4, true}}) {
        TempDir t;
        ASSERT_TRUE(hostile::WriteZip(t / "p.tdj", project(files, 1)));
        auto r = UnpackProject(t / "p.tdj", t / "data/temp", kProjectPassword, limits);
        EXPECT_EQ(r.status, refused ? ArchiveStatus::TooLarge : ArchiveStatus::Ok) << r.detail;
        if (refused) {
            EXPECT_EQ(Tree(t / "data"), std::vector<std::string>{});
        }
    }
    // Bytes likewise: the inner zip's own bytes count (about 1100 and 2100,
    // stored), then what it unpacks to.
    limits = {};
    limits.totalBytes = 3000;
    for (auto [bytes, refused] : {std::pair{size_t(1000), false}, std::pair{size_t(2000), true}}) {
        TempDir t;
        ASSERT_TRUE(hostile::WriteZip(t / "p.tdj", project(1, bytes)));
        auto r = UnpackProject(t / "p.tdj", t / "data/temp", kProjectPassword, limits);
        EXPECT_EQ(r.status, refused ? ArchiveStatus::TooLarge : ArchiveStatus::Ok) << r.detail;
        if (refused) {
            EXPECT_EQ(Tree(t / "data"), std::vector<std::string>{});
        }
    }
}

TEST(ArchiveLimits, ReadEntryStopsAtItsBound) {
    TempDir t;
    ASSERT_TRUE(hostile::WriteZip(t / "a.zip", {Entry("s.prj", std::string(600, 's'))}));
    std::string out;
    EXPECT_TRUE(ReadEntry(t / "a.zip", "s.prj", out, {}, 600));
    EXPECT_EQ(out.size(), 600u);
    EXPECT_EQ(ReadEntry(t / "a.zip", "s.prj", out, {}, 599).status, ArchiveStatus::TooLarge);
    EXPECT_EQ(out, "");
}

// DOS times are local wall-clock times: an archive written in a zone east of
// the reader unpacks into the future. The times move back together, so the
// order the compile state reads is the archive's, and a compile made now is
// not older than its scenario file.
TEST(ArchiveTimes, TimesInTheFutureMoveBackTogether) {
    const int64_t now = int64_t(::time(nullptr));
    const int64_t past = 1705312800;  // 2024-01-15 10:00:00 UTC
    struct Case {
        const char* what;
        int64_t tdx, spt;   // as stored
        int64_t dosOffset;  // added to the DOS fields only
        bool unixTime;      // the extended timestamp stored too
        int state;          // ScenarioCompileState after extraction
    };
    const std::vector<Case> cases{
        {"compiled, 14 hours east", now - 60, now - 58, 14 * 3600, false, -1},
        {"not compiled, 14 hours east", now - 58, now - 60, 14 * 3600, false, 0},
        {"compiled, far in the future", now + 400'000'000, now + 400'000'004, 0, true, -1},
        {"compiled in the past, exact times", past, past + 1, 0, true, -1},
        {"not compiled in the past", past + 1, past, 0, true, 0},
    };
    for (const auto& c : cases) {
        TempDir t;
        hostile::ZipEntry tdx = Entry("1.tdx", "<root/>");
        hostile::ZipEntry spt = Entry("1.spt", "compiled");
        hostile::SetTime(tdx, c.tdx, c.dosOffset);
        hostile::SetTime(spt, c.spt, c.dosOffset);
        tdx.unixTime = spt.unixTime = c.unixTime;
        ASSERT_TRUE(hostile::WriteZip(t / "s.zip", {tdx, spt}));
        ASSERT_TRUE(ExtractArchive(t / "s.zip", t / "out")) << c.what;
        const int64_t after = int64_t(::time(nullptr));
        const int64_t mTdx = files::ModifiedSeconds(t / "out/1.tdx");
        const int64_t mSpt = files::ModifiedSeconds(t / "out/1.spt");
        EXPECT_LE(std::max(mTdx, mSpt), after) << c.what;
        // DOS times keep even seconds only.
        EXPECT_NEAR(double(mSpt - mTdx), double(c.spt - c.tdx), c.unixTime ? 0 : 1) << c.what;
        if (c.tdx < now && c.unixTime) {
            EXPECT_EQ(mTdx, c.tdx) << c.what;
        }
        EXPECT_EQ(files::ScenarioCompileState(t / "out/1.tdx"), c.state) << c.what;
        // A compile now makes a compiled file not older than the scenario file.
        Put(t / "out/1.spt", "recompiled");
        EXPECT_EQ(files::ScenarioCompileState(t / "out/1.tdx"), -1) << c.what;
    }
}

// Interoperability with the common zip tools, both ways.
TEST(ArchiveInterop, OurArchivesOpenWithUnzipAndBsdtar) {
    if (!test::ToolAvailable("unzip") || !test::ToolAvailable("bsdtar"))
        GTEST_SKIP() << "unzip or bsdtar missing";
    TempDir t;
    Stage(t, t / "staging");
    ASSERT_TRUE(PackProject(t / "staging", t / "Home.tdj"));
    std::string tdj = (t / "Home.tdj").string();
    EXPECT_NE(Shell("unzip -P WRONG -o " + tdj + " -d " + (t / "bad").string()), 0);
    ASSERT_EQ(Shell("unzip -P KORVASNU -o " + tdj + " -d " + (t / "u").string()), 0);
    ASSERT_EQ(Shell("mkdir " + (t / "b").string() + " && bsdtar --passphrase KORVASNU -xf " + tdj +
                    " -C " + (t / "b").string()),
              0);
    for (const char* dir : {"u", "b"}) {
        EXPECT_EQ(Tree(t / dir), Tree(t / "staging")) << dir;
        EXPECT_EQ(Get(t / dir / "Home.prj"), Get(t / "staging/Home.prj"));
        EXPECT_EQ(files::ModifiedSeconds(t / dir / "3.spt.zip"),
                  files::ModifiedSeconds(t / "staging/3.spt.zip"));
    }
    // The inner zips have no password.
    ASSERT_EQ(Shell("unzip -o " + (t / "u/3.spt.zip").string() + " -d " + (t / "i").string()), 0);
    EXPECT_EQ(Get(t / "i/Kitchen.spt"), kBinary);
    EXPECT_EQ(files::ModifiedSeconds(t / "i/Kitchen.spt"), 1700000004);
}

TEST(ArchiveInterop, InfoZipArchivesOpenHere) {
    if (!test::ToolAvailable("zip")) GTEST_SKIP() << "zip missing";
    TempDir t;
    Put(t / "src/3.spt/Kitchen.tdx", "<SCENARIO/>", 1700000003);
    Put(t / "src/3.spt/Kitchen.spt", kBinary + std::string(5000, 'z'), 1700000004);
    Put(t / "src/Home.prj", "[generale]\r\nkeyfile=Tessaro\r\n");
    const std::string cd = "cd " + (t / "src").string() + " && ";
    // With folder entries (-r), without them (-D), stored (-0) and deflated.
    int n = 0;
    for (const char* flags : {"-r", "-r -D", "-r -0", "-r -D -0"}) {
        fs::path zip = t / ("z" + std::to_string(++n) + ".tdj");
        ASSERT_EQ(Shell(cd + "zip -q -P KORVASNU " + flags + " " + zip.string() + " ."), 0);
        fs::path out = t / ("o" + std::to_string(n));
        auto r = ExtractArchive(zip, out, kProjectPassword);
        ASSERT_TRUE(r) << flags << " " << r.detail;
        EXPECT_EQ(Tree(out), Tree(t / "src")) << flags;
        EXPECT_EQ(Get(out / "3.spt/Kitchen.spt"), Get(t / "src/3.spt/Kitchen.spt"));
        EXPECT_EQ(files::ScenarioCompileState(out / "3.spt/Kitchen.tdx"), -1);
        EXPECT_EQ(ExtractArchive(zip, t / "w", "WRONG").status, ArchiveStatus::WrongPassword);
    }
    // A whole project: inner zip without password inside the protected outer one.
    fs::create_directories(t / "st");
    ASSERT_EQ(Shell("cd " + (t / "src/3.spt").string() + " && zip -q " +
                    (t / "st/3.spt.zip").string() + " Kitchen.tdx Kitchen.spt"),
              0);
    fs::copy_file(t / "src/Home.prj", t / "st/Home.prj");
    ASSERT_EQ(Shell("cd " + (t / "st").string() + " && zip -q -P KORVASNU ../Home.tdj *"), 0);
    ASSERT_TRUE(UnpackProject(t / "Home.tdj", t / "work"));
    EXPECT_EQ(Tree(t / "work"), (std::vector<std::string>{"3.spt", "3.spt/Kitchen.spt",
                                                          "3.spt/Kitchen.tdx", "Home.prj"}));
    // Links stored by zip -y are refused.
    fs::create_symlink("/etc/passwd", t / "src/link");
    ASSERT_EQ(Shell(cd + "zip -q -y -P KORVASNU " + (t / "l.tdj").string() + " Home.prj link"), 0);
    EXPECT_EQ(ExtractArchive(t / "l.tdj", t / "lo", kProjectPassword).status,
              ArchiveStatus::UnsafeEntry);
    EXPECT_FALSE(fs::exists(t / "lo"));
}

}  // namespace
}  // namespace tessed::archive
