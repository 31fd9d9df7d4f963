#include "compiler/external_kernix.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "compiler/builtin_kernix.h"
#include "env/environment.h"
#include "env/profile.h"
#include "env/texts.h"

extern char** environ;

namespace tessed::compiler {

namespace {

constexpr long kTxtCannotStart = 1915;  // the compiler program %1 cannot be started
constexpr long kTxtFailed = 1916;       // the compiler program ended with status %1
constexpr long kTxtNoOutput = 1918;     // the compiler program wrote no compiled file %1

// The clock the kernel stamps file times with. The fine clock may run up to a
// tick ahead of it, so a file written just after a start read from the fine
// clock could look older than the start.
timespec fileClockNow() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME_COARSE, &t);
    return t;
}

// A regular file at `path` last written at or after `start`.
bool writtenSince(const std::string& path, const timespec& start) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const timespec& m = st.st_mtim;
    return m.tv_sec > start.tv_sec || (m.tv_sec == start.tv_sec && m.tv_nsec >= start.tv_nsec);
}

// Runs the program, collecting its standard output and error line by line.
// Returns the exit status, or -1 when it could not be started.
int run(const std::vector<std::string>& args, const std::function<void(const std::string&)>& line) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        return -1;
    }
    std::string pending;
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(buf, size_t(n));
        for (size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
            std::string l = pending.substr(0, nl);
            if (!l.empty() && l.back() == '\r') l.pop_back();
            line(l);
            pending.erase(0, nl + 1);
        }
    }
    if (!pending.empty()) line(pending);
    ::close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // A program that could not be executed at all ends with 127.
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

}  // namespace

std::string ConfiguredKernixProgram() {
    return profile::GetString(env::Env().configFile(), "KERNIX", "Program", "");
}

void ExternalKernix::Compile(db::Database&, const std::string& sptPath, const std::string& text1,
                             const std::string& text2, std::string& errorText, int32_t& status) {
    errorText.clear();
    status = 0;
    std::filesystem::path scenario = sptPath;
    scenario.replace_extension(".tdx");
    std::string firstError, last;
    const timespec start = fileClockNow();
    int rc = run({program_, scenario.string(), sptPath, text1, text2}, [&](const std::string& l) {
        bool isError = l.rfind("error:", 0) == 0;
        if (isError && firstError.empty()) {
            firstError = l.substr(6);
            while (!firstError.empty() && firstError.front() == ' ') firstError.erase(0, 1);
        }
        if (!l.empty()) last = l;
        Operation(l, isError ? kColourRed : kColourBlack);
    });
    // A program that ends well but leaves no compiled file of this run (none,
    // or the one of an earlier compile) has compiled nothing.
    if (rc == 0 && writtenSince(sptPath, start)) {
        status = -1;
        return;
    }
    if (rc == 0) {
        errorText = texts::Format(texts::GetText(kTxtNoOutput), {sptPath});
    } else if (rc < 0 || rc == 127) {
        errorText = texts::Format(texts::GetText(kTxtCannotStart), {program_});
    } else {
        errorText = !firstError.empty() ? firstError
                    : !last.empty()
                        ? last
                        : texts::Format(texts::GetText(kTxtFailed), {std::to_string(rc)});
    }
    Operation(errorText, kColourRed);
}

}  // namespace tessed::compiler
