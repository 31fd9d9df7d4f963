// A save killed with SIGKILL at a random moment leaves the old or the new
// project file, complete: never a mix of the two, never nothing.
//
// A child process opens the project, reports what it found, and then changes
// and saves it in a loop, reporting every completed save. Save k writes the
// description "save k" and the scenarios S(k-2), S(k-1) and S(k) (the first
// save drops the demo's own, so that a save is short and the kills many), so a
// project file tells which save made it. The parent kills the child
// after a random delay and starts the next one, whose open is the check: the
// project must open without missing or invalid scenarios, hold save k or
// k + 1 (k the last save reported), and its scenarios must be those of that
// save and no other.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <sstream>

#include "env/environment.h"
#include "env/errors.h"
#include "env/state.h"
#include "model/schema.h"
#include "project/session.h"
#include "support/test_env.h"

using namespace tessed;
namespace fs = std::filesystem;

namespace {

constexpr int kKills = 100;

// The scenarios save k leaves: the last three added.
std::string ExpectedNames(int k) {
    std::string s;
    for (int i = std::max(1, k - 2); i <= k; ++i) s += "S" + std::to_string(i) + "|";
    return s;
}

void say(int fd, const std::string& line) {
    std::string l = line + "\n";
    (void)!::write(fd, l.data(), l.size());
}

std::string oneLine(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return s;
}

// The child: never returns.
// With `openOnly` it reports the open and waits to be killed.
[[noreturn]] void Saver(const fs::path& dir, const fs::path& project, int fd, bool openOnly) {
    ::setenv("TESSED_DATA_DIR", (dir / "data").c_str(), 1);
    ::setenv("TESSED_DOCUMENTS_DIR", (dir / "docs").c_str(), 1);
    ::setenv("TESSED_SHARE_DIR", TESSED_BINARY_DIR, 1);
    Host() = HostSettings{};
    schema::InstallWorkingTables();
    if (!env::Env().InitFolders(env::AppFolderName()) || !env::Env().OpenSystemDatabase()) {
        say(fd, "error cannot start");
        _exit(3);
    }
    project::ProjectSession session;
    std::string message;
    bool ok = false;
    try {
        ok = session.LoadFilePrj(project.string(), message);
    } catch (const ProjectError& e) {
        message = e.what();
    }
    auto scenari = session.Project()->Scenari();
    std::string names;
    for (long i = 1; i <= long(scenari->Count()); ++i) names += scenari->Item(i)->ScriptName + "|";
    const std::string description = session.Project()->Descrizione;
    say(fd, "open\t" + std::string(ok && message.empty() ? "ok" : "bad") + "\t" + oneLine(message) +
                "\t" + description + "\t" + names);
    if (openOnly)
        while (true) ::pause();
    int k = 0;
    if (description.rfind("save ", 0) == 0) {
        k = std::stoi(description.substr(5));
    } else {
        while (scenari->Count() > 0) session.DeleteScenario(scenari->Item(1L)->Key);
    }
    while (true) {
        ++k;
        std::string shown, error;
        session.SetProperty("COLLEZIONE$DESCRIZIONE", "save " + std::to_string(k), shown, error);
        session.NewScenario("S" + std::to_string(k));
        for (long i = 1; i <= long(scenari->Count()); ++i)
            if (scenari->Item(i)->ScriptName == "S" + std::to_string(k - 3)) {
                session.DeleteScenario(scenari->Item(i)->Key);
                break;
            }
        std::string err = session.SaveCurrent();
        say(fd, err.empty() ? "saved\t" + std::to_string(k) : "error\t" + oneLine(err));
        if (!err.empty()) _exit(4);
    }
}

// Lines from the child as they come.
class Lines {
  public:
    explicit Lines(int fd) : fd_(fd) {}
    // The next line, or nullopt after `ms` milliseconds or at the end of the pipe.
    std::optional<std::string> next(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (true) {
            if (auto nl = buf_.find('\n'); nl != std::string::npos) {
                std::string l = buf_.substr(0, nl);
                buf_.erase(0, nl + 1);
                return l;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            end - std::chrono::steady_clock::now())
                            .count();
            if (left <= 0) return std::nullopt;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, int(left)) <= 0) continue;
            char b[4096];
            ssize_t n = ::read(fd_, b, sizeof b);
            if (n <= 0) return std::nullopt;
            buf_.append(b, size_t(n));
        }
    }

  private:
    int fd_;
    std::string buf_;
};

std::vector<std::string> fields(const std::string& l) {
    std::vector<std::string> v;
    std::string f;
    std::istringstream in(l);
    while (std::getline(in, f, '\t')) v.push_back(f);
    return v;
}

struct Child {
    pid_t pid = -1;
    int fd = -1;
};

Child Start(const fs::path& dir, const fs::path& project, bool openOnly = false) {
    int p[2];
    if (::pipe(p) != 0) return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(p[0]);
        Saver(dir, project, p[1], openOnly);
    }
    ::close(p[1]);
    return {pid, p[0]};
}

fs::path DemoProject() {
    return fs::path(TESSED_TEST_SOURCE_FIXTURES).parent_path().parent_path() / "examples" /
           "demo.tdj";
}

}  // namespace

TEST(KillDuringSave, LeavesTheOldOrTheNewProjectWhole) {
    test::TempDir dir;
    const fs::path project = dir / "house.tdj";
    fs::copy_file(DemoProject(), project);
    const char* seedText = std::getenv("TESSED_KILL_SEED");
    const unsigned seed = seedText ? unsigned(std::stoul(seedText)) : 20240115u;
    std::mt19937 random(seed);

    // The first child measures how long a save takes, so that the kills
    // spread over whole saves.
    int lastSaved = 0;
    double saveMs = 0;
    {
        Child c = Start(dir.path(), project);
        ASSERT_GT(c.pid, 0);
        Lines lines(c.fd);
        auto open = lines.next(30000);
        ASSERT_TRUE(open && open->rfind("open", 0) == 0) << open.value_or("no answer");
        auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < 3; ++i) {
            auto l = lines.next(30000);
            ASSERT_TRUE(l && l->rfind("saved", 0) == 0) << l.value_or("no answer");
            lastSaved = std::stoi(fields(*l)[1]);
        }
        saveMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                     .count() /
                 3;
        ::kill(c.pid, SIGKILL);
        ::waitpid(c.pid, nullptr, 0);
        while (auto l = lines.next(5000))
            if (l->rfind("saved", 0) == 0) lastSaved = std::stoi(fields(*l)[1]);
        ::close(c.fd);
    }
    // Within the first two saves after the open, so that kills fall both
    // before and after a rename.
    std::uniform_int_distribution<int> delay(0, std::max(2, int(saveMs * 2)));

    // unchanged: the kill came before the child's first save completed;
    // advanced: after it (the open found a later save than the previous open).
    int oldKept = 0, newKept = 0, leftovers = 0, unchanged = 0, advanced = 0, prevFound = lastSaved;
    for (int kill = 1; kill <= kKills + 1; ++kill) {
        ASSERT_TRUE(fs::exists(project)) << "no project file after kill " << kill - 1;
        Child c = Start(dir.path(), project, kill > kKills);
        ASSERT_GT(c.pid, 0);
        Lines lines(c.fd);
        auto open = lines.next(30000);
        ASSERT_TRUE(open.has_value()) << "no answer after kill " << kill - 1;
        auto f = fields(*open);
        ASSERT_EQ(f.size(), 5u) << *open;
        EXPECT_EQ(f[1], "ok") << "after kill " << kill - 1 << " (seed " << seed << "): " << f[2];
        ASSERT_EQ(f[3].rfind("save ", 0), 0u) << f[3];
        const int found = std::stoi(f[3].substr(5));
        EXPECT_TRUE(found == lastSaved || found == lastSaved + 1)
            << "after kill " << kill - 1 << " (seed " << seed << "): save " << found
            << " found, the last reported was " << lastSaved;
        EXPECT_EQ(f[4], ExpectedNames(found))
            << "after kill " << kill - 1 << ": the scenarios are not those of save " << found;
        (found == lastSaved ? oldKept : newKept)++;
        if (kill > 1) (found == prevFound ? unchanged : advanced)++;
        prevFound = lastSaved = found;
        if (kill > kKills) {
            ::kill(c.pid, SIGKILL);
        } else {
            ::usleep(useconds_t(delay(random)) * 1000);
            ::kill(c.pid, SIGKILL);
        }
        ::waitpid(c.pid, nullptr, 0);
        // The child is gone: what it reported is read up to the end of the pipe.
        while (auto l = lines.next(5000)) {
            auto g = fields(*l);
            if (g[0] == "saved") lastSaved = std::stoi(g[1]);
            EXPECT_NE(g[0], "error") << *l;
        }
        ::close(c.fd);
        if (HasFailure()) break;
    }
    // Scratch a killed save leaves: temporaries beside the project, staging
    // folders in the data folder. Each child's start-up sweep removes the
    // areas of owners that have gone, so only the last child's area may be
    // left under "temp", and no staging folder at the top of the data folder.
    int staging = 0, areas = 0;
    for (const auto& e : fs::directory_iterator(dir.path()))
        if (e.path().filename().string().rfind(".house.tdj.", 0) == 0) ++leftovers;
    for (const auto& e : fs::directory_iterator(dir / "data"))
        if (e.path().filename().string().rfind("PRJ", 0) == 0) ++staging;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir / "data" / "temp", ec))
        if (e.is_directory()) ++areas;
    std::cout << "[ " << kKills << " kills, seed " << seed << ", a save takes about " << int(saveMs)
              << " ms: " << oldKept << " times the old project, " << newKept
              << " times the new one (" << unchanged << " kills before a save completed, "
              << advanced << " after); left behind: " << leftovers << " temporary files beside it, "
              << staging << " staging folders, " << areas << " working areas ]\n";
    EXPECT_EQ(leftovers, 0) << "temporaries of killed saves beside the project";
    EXPECT_EQ(staging, 0);
    EXPECT_LE(areas, 1) << "working areas of killed children were not swept";
    // The kills fell both before and after a save completed.
    EXPECT_GT(unchanged, 0);
    EXPECT_GT(advanced, 0);
}
